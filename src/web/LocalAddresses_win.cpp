#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include <algorithm>
#include <vector>

#include "web/LocalAddresses.h"

namespace tavelapp {
namespace {

std::string numeric(const SOCKADDR* address, int length) {
    char text[INET6_ADDRSTRLEN + 16] = {};
    DWORD size = sizeof(text);
    if (::WSAAddressToStringA(const_cast<SOCKADDR*>(address), static_cast<DWORD>(length), nullptr, text, &size) != 0)
        return std::string();
    std::string out(text);
    // A scope ("%12") is the PC's own business, not part of what a phone types.
    return out.substr(0, out.find('%'));
}

}  // namespace

std::vector<std::string> LocalAddresses::usable() {
    // Asked of the routing table only: no packet is sent.
    DWORD best = 0;
    const bool haveBest = ::GetBestInterface(::htonl(0x01010101), &best) == NO_ERROR;
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    for (int tries = 0; tries < 3 && result == ERROR_BUFFER_OVERFLOW; ++tries) {
        buffer.resize(size);
        result = ::GetAdaptersAddresses(AF_UNSPEC,
                                        GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER,
                                        nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    struct Found {
        int rank;
        std::string text;
    };
    std::vector<Found> found;
    if (result == NO_ERROR) {
        for (auto* adapter = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter != nullptr;
             adapter = adapter->Next) {
            if (adapter->OperStatus != IfOperStatusUp || adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK) continue;
            const bool preferred = haveBest && adapter->IfIndex == best;
            for (auto* unicast = adapter->FirstUnicastAddress; unicast != nullptr; unicast = unicast->Next) {
                const SOCKADDR* address = unicast->Address.lpSockaddr;
                bool v4 = address->sa_family == AF_INET;
                if (v4) {
                    const auto* in = reinterpret_cast<const sockaddr_in*>(address);
                    const unsigned char* b = reinterpret_cast<const unsigned char*>(&in->sin_addr);
                    if (b[0] == 127 || (b[0] == 169 && b[1] == 254)) continue;
                } else if (address->sa_family == AF_INET6) {
                    const auto* in6 = reinterpret_cast<const sockaddr_in6*>(address);
                    if (IN6_IS_ADDR_LINKLOCAL(&in6->sin6_addr) || IN6_IS_ADDR_LOOPBACK(&in6->sin6_addr)) continue;
                } else {
                    continue;
                }
                const std::string text = numeric(address, unicast->Address.iSockaddrLength);
                if (!text.empty()) found.push_back({(preferred ? 0 : 2) + (v4 ? 0 : 1), text});
            }
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.rank < b.rank; });
    std::vector<std::string> out;
    for (const Found& f : found) {
        if (std::find(out.begin(), out.end(), f.text) == out.end()) out.push_back(f.text);
    }
    return out;
}

}  // namespace tavelapp

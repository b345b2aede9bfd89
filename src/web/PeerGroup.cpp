#include "web/PeerGroup.h"

#include <cstdio>

#include "input/AddressFilter.h"

namespace tavelapp {

std::string PeerGroup::of(const std::string& address) {
    AddressFilter::Address parsed;
    // A link-local peer's zone ("fe80::1%3") is no part of who it is.
    if (!AddressFilter::parseAddress(address.substr(0, address.find('%')), parsed)) return address;
    const auto& b = parsed.bytes;
    if (parsed.family == 4) return b[0] == 127 ? "loopback" : address;
    bool mapped = b[10] == 0xFF && b[11] == 0xFF;
    bool loopback = b[15] == 1;
    for (int i = 0; i < 10; ++i)
        mapped = mapped && b[i] == 0;
    for (int i = 0; i < 15; ++i)
        loopback = loopback && b[i] == 0;
    if (loopback) return "loopback";
    if (mapped) {
        if (b[12] == 127) return "loopback";
        char v4[16];
        std::snprintf(v4, sizeof(v4), "%u.%u.%u.%u", b[12], b[13], b[14], b[15]);
        return v4;
    }
    char prefix[48];
    std::snprintf(prefix, sizeof(prefix), "%x:%x:%x:%x::/64", b[0] << 8 | b[1], b[2] << 8 | b[3], b[4] << 8 | b[5],
                  b[6] << 8 | b[7]);
    return prefix;
}

}  // namespace tavelapp

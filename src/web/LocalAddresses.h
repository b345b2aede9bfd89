#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tavelapp {

// This computer's addresses as a phone on its network would use them.
class LocalAddresses {
public:
    // Numeric unicast addresses of the interfaces that are up, IPv4 before
    // IPv6, those of the interface with the default route first; no loopback
    // or link-local ones.
    static std::vector<std::string> usable();
    // "http://<address>:<port>/" with an IPv6 address in brackets, then the fragment.
    static std::string url(const std::string& address, std::uint16_t port, const std::string& fragment);
};

}  // namespace tavelapp

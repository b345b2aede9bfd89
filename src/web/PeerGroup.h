#pragma once
#include <string>

namespace tavelapp {

// The unit every per-address limit of the web remote counts in. One host can
// take any number of addresses in its IPv6 /64 (privacy and link-local
// addresses), and any local user all of 127.0.0.0/8, so those count as one.
class PeerGroup {
public:
    // "loopback" for 127.0.0.0/8 and ::1, "<first four groups>::/64" for
    // IPv6, the address itself for IPv4 (and for text that is no address).
    static std::string of(const std::string& address);
};

}  // namespace tavelapp

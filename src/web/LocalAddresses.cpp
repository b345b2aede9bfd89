#include "web/LocalAddresses.h"

namespace tavelapp {

std::string LocalAddresses::url(const std::string& address, std::uint16_t port, const std::string& fragment) {
    const bool v6 = address.find(':') != std::string::npos;
    return "http://" + (v6 ? "[" + address + "]" : address) + ":" + std::to_string(port) + "/" + fragment;
}

}  // namespace tavelapp

#include "web/HostCheck.h"

#include "input/AddressFilter.h"

namespace tavelapp {
namespace {

std::string lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// The 16 bytes of an address, IPv4 as ::ffff:a.b.c.d, so both spellings compare equal.
bool canonical(const std::string& text, std::string& out) {
    AddressFilter::Address address;
    if (!AddressFilter::parseAddress(text, address)) return false;
    if (address.family == 4) {
        out.assign(10, '\0');
        out.append(2, '\xff');
        out.append(reinterpret_cast<const char*>(address.bytes.data()), 4);
    } else {
        out.assign(reinterpret_cast<const char*>(address.bytes.data()), 16);
    }
    return true;
}

}  // namespace

HostCheck::HostCheck(std::uint16_t port) : port_(port) { names_.push_back("localhost"); }

void HostCheck::addName(const std::string& name) {
    if (!name.empty()) names_.push_back(lower(name));
}

void HostCheck::addAddress(const std::string& address) {
    std::string bytes;
    if (canonical(address, bytes)) addresses_.push_back(bytes);
}

bool HostCheck::split(const std::string& hostHeader, std::string& host, std::uint16_t& port) {
    if (hostHeader.empty() || hostHeader.size() > 255) return false;
    std::string rest;
    if (hostHeader[0] == '[') {
        const std::size_t close = hostHeader.find(']');
        if (close == std::string::npos) return false;
        host = hostHeader.substr(1, close - 1);
        rest = hostHeader.substr(close + 1);
    } else {
        const std::size_t colon = hostHeader.find(':');
        host = hostHeader.substr(0, colon);
        if (colon != std::string::npos) rest = hostHeader.substr(colon);
    }
    if (host.empty()) return false;
    port = 80;
    if (rest.empty()) return true;
    if (rest[0] != ':' || rest.size() < 2 || rest.size() > 6) return false;
    unsigned value = 0;
    for (std::size_t i = 1; i < rest.size(); ++i) {
        if (rest[i] < '0' || rest[i] > '9') return false;
        value = value * 10 + static_cast<unsigned>(rest[i] - '0');
    }
    if (value == 0 || value > 0xFFFF) return false;
    port = static_cast<std::uint16_t>(value);
    return true;
}

bool HostCheck::allows(const std::string& hostHeader, const std::string& localAddress) const {
    std::string host;
    std::uint16_t port = 0;
    if (!split(hostHeader, host, port) || port != port_) return false;
    std::string bytes;
    if (canonical(host, bytes)) {
        std::string local;
        if (canonical(localAddress, local) && local == bytes) return true;
        for (const std::string& address : addresses_) {
            if (address == bytes) return true;
        }
        return false;
    }
    std::string name = lower(host);
    if (name.back() == '.') name.pop_back();
    for (const std::string& known : names_) {
        if (known == name) return true;
    }
    return false;
}

bool HostCheck::originAllowed(const std::string& origin, const std::string& hostHeader) {
    if (origin.empty()) return true;
    return lower(origin) == "http://" + lower(hostHeader);
}

}  // namespace tavelapp

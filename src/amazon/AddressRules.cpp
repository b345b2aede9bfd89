#include "amazon/AddressRules.h"

#include <algorithm>

namespace tavelapp {
namespace amazon {
namespace {

std::string lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool hostCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_';
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

bool AddressRules::parse(const std::string& address, Origin& origin, std::string* rest) {
    origin = Origin();
    // Printable ASCII only: how the network library reads blanks, controls or
    // other bytes in an address is its own business.
    for (const char c : address) {
        if (c <= ' ' || c >= 0x7F) return false;
    }
    const std::size_t colon = address.find("://");
    if (colon == std::string::npos) return false;
    origin.scheme = lower(address.substr(0, colon));
    if (origin.scheme != "http" && origin.scheme != "https") return false;
    const std::size_t start = colon + 3;
    const std::size_t end = std::min(address.find_first_of("/?#", start), address.size());
    const std::string authority = lower(address.substr(start, end - start));
    std::size_t portAt = std::string::npos;
    if (!authority.empty() && authority[0] == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string::npos || close < 3) return false;
        for (std::size_t i = 1; i < close; ++i) {
            const char c = authority[i];
            if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || c == ':' || c == '.')) return false;
        }
        origin.host = authority.substr(0, close + 1);
        if (close + 1 < authority.size()) {
            if (authority[close + 1] != ':') return false;
            portAt = close + 2;
        }
    } else {
        const std::size_t portColon = authority.find(':');
        origin.host = authority.substr(0, portColon);
        if (origin.host.empty() || !std::all_of(origin.host.begin(), origin.host.end(), hostCharacter)) return false;
        // Empty labels (".archive.org", "a..b") name no server and would pass a domain rule.
        if (origin.host.front() == '.' || origin.host.back() == '.' || origin.host.find("..") != std::string::npos)
            return false;
        if (portColon != std::string::npos) portAt = portColon + 1;
    }
    const unsigned defaultPort = origin.scheme == "https" ? 443 : 80;
    origin.port = defaultPort;
    if (portAt != std::string::npos) {
        const std::string digits = authority.substr(portAt);
        if (digits.empty() || digits.size() > 5) return false;
        unsigned port = 0;
        for (const char c : digits) {
            if (c < '0' || c > '9') return false;
            port = port * 10 + static_cast<unsigned>(c - '0');
        }
        if (port == 0 || port > 65535) return false;
        origin.port = port;
    }
    origin.defaultPort = origin.port == defaultPort;
    if (rest) *rest = address.substr(end);
    return true;
}

std::string AddressRules::resolve(const std::string& from, const std::string& location) {
    Origin origin;
    std::string path;
    if (location.empty() || !parse(from, origin, &path)) return std::string();
    const std::size_t scheme = location.find("://");
    if (scheme != std::string::npos && scheme > 0 &&
        std::all_of(location.begin(), location.begin() + static_cast<std::ptrdiff_t>(scheme),
                    [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }))
        return location;
    const std::string port = origin.defaultPort ? std::string() : ":" + std::to_string(origin.port);
    if (location.compare(0, 2, "//") == 0) return origin.scheme + ":" + location;
    const std::string base = origin.scheme + "://" + origin.host + port;
    if (location[0] == '/') return base + location;
    // Relative to the folder of the path that answered.
    path = path.substr(0, path.find_first_of("?#"));
    const std::size_t slash = path.rfind('/');
    return base + (slash == std::string::npos ? std::string("/") : path.substr(0, slash + 1)) + location;
}

bool AddressRules::allowOrigin(const std::string& base) {
    Origin origin;
    if (!parse(base, origin)) return false;
    origins_.push_back(origin);
    return true;
}

void AddressRules::allowDomain(const std::string& domain) { domains_.push_back(lower(domain)); }

bool AddressRules::allows(const std::string& address) const {
    Origin origin;
    if (!parse(address, origin)) return false;
    for (const Origin& allowed : origins_) {
        if (allowed.host == origin.host && (allowed.port == origin.port || (allowed.defaultPort && origin.defaultPort)))
            return true;
    }
    if (!origin.defaultPort) return false;
    for (const std::string& domain : domains_) {
        if (origin.host == domain || endsWith(origin.host, "." + domain)) return true;
    }
    return false;
}

}  // namespace amazon
}  // namespace tavelapp

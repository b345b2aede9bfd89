#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tavelapp {

// Which Host and Origin headers the web remote answers. A page of another
// site that a DNS trick points at this machine still names its own host, so
// it gets nothing (no DNS rebinding); a page of another site that sends its
// visitor's browser here names itself as the origin.
class HostCheck {
public:
    explicit HostCheck(std::uint16_t port);

    // The machine's names (any case; "localhost" is always known) and the
    // address the server listens on, when it is one address.
    void addName(const std::string& name);
    void addAddress(const std::string& address);

    // hostHeader: "name", "name:port", "a.b.c.d:port", "[v6]:port". localAddress:
    // the address the connection came in at, numeric. A name must be one of
    // the machine's; an address the listening one or the connection's own.
    bool allows(const std::string& hostHeader, const std::string& localAddress) const;

    // A browser names the page's origin on every cross-origin request and on
    // every POST; one that names none is no browser (curl, scripts), and
    // those may send what they like anyway. A named one must be this host.
    static bool originAllowed(const std::string& origin, const std::string& hostHeader);

    // Splits "host[:port]" (brackets of an IPv6 address removed); false when it does not read.
    static bool split(const std::string& hostHeader, std::string& host, std::uint16_t& port);

private:
    std::uint16_t port_;
    std::vector<std::string> names_;
    std::vector<std::string> addresses_;
};

}  // namespace tavelapp

#pragma once
#include <string>
#include <vector>

namespace tavelapp {
namespace amazon {

// Which addresses the cover search may fetch. Pages from a server name the
// next addresses, so a hostile page must not reach other hosts (the user's
// network among them): only http(s) on the hosts the search was set up with.
// Anything the check cannot read plainly (user names, back slashes, escapes or
// odd characters in the host, a bad port) is refused.
class AddressRules {
public:
    struct Origin {
        std::string scheme;  // "http" or "https"
        std::string host;    // lower case; an IPv6 literal keeps its brackets
        unsigned port = 0;
        bool defaultPort = true;  // the scheme's own, written or not
    };
    // The origin of an http(s) address and the rest after it ("" or from '/',
    // '?' or '#'); false for anything else.
    static bool parse(const std::string& address, Origin& origin, std::string* rest = nullptr);
    // Where a redirect's location points, read against the address that
    // answered; "" when it does not read.
    static std::string resolve(const std::string& from, const std::string& location);

    // The host and port of a base address ("http://host:port"); false, and
    // nothing added, when it is no http(s) address. http and https count as
    // one when both are on their default ports.
    bool allowOrigin(const std::string& base);
    // A domain and all its sub-domains, on the default ports.
    void allowDomain(const std::string& domain);
    bool allows(const std::string& address) const;

private:
    std::vector<Origin> origins_;
    std::vector<std::string> domains_;
};

}  // namespace amazon
}  // namespace tavelapp

#pragma once
#include <string>
#include <utility>
#include <vector>

namespace tavelapp {

// A request as the web remote's rules see it: the socket layer has read it
// whole and within the size limits.
struct WebRequest {
    std::string method;
    std::string target;  // path and query
    std::string host;
    std::string origin;
    std::string secFetchSite;
    std::string cookie;
    std::string authorization;
    std::string acceptLanguage;
    std::string acceptEncoding;
    std::string ifNoneMatch;
    std::string body;
    std::string peer;          // the peer's address, numeric
    std::string localAddress;  // the address the connection came in at
};

struct WebResponse {
    int status = 200;
    std::string contentType;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
    // The connection turns into the event stream (status 200, no body here).
    bool eventStream = false;
    // The request carried a paired token, or paired: the connection is a device's.
    bool paired = false;
};

}  // namespace tavelapp

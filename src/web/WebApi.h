#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "web/HostCheck.h"
#include "web/PairingStore.h"
#include "web/RateLimiter.h"
#include "web/WebBackend.h"
#include "web/WebMessage.h"

namespace tavelapp {

// The web remote's rules over whole requests: the Host and Origin checks, the
// rate limit (per peer group), pairing, tokens and the routes of the page and
// the API. The socket layer reads requests, hands them here and writes what
// comes back. One thread at a time calls it.
class WebApi {
public:
    using Respond = std::function<void(WebResponse)>;
    static const std::size_t kMaxBody = 4096;

    WebApi(WebBackend& backend, HostCheck hosts, PairingStore& store, RateLimiter limiter);

    // Answers through respond, at once or (for an action) once the program
    // took it, on the thread that did.
    void handle(const WebRequest& request, std::int64_t nowMs, std::int64_t nowSeconds, const Respond& respond);

    // The headers every response carries; `api` adds those of /api.
    static void addCommonHeaders(WebResponse& response, bool api);
    // A response with {"error": text} (or a plain text off /api).
    static WebResponse error(int status, const std::string& text, bool api);

    // The token a request carries: cookie kx_token or Authorization: Bearer.
    static std::string tokenOf(const WebRequest& request);

private:
    WebResponse page(const std::string& path) const;
    WebResponse texts(const WebRequest& request, const std::string& query);
    WebResponse pairRequest(const WebRequest& request, std::int64_t nowMs);
    WebResponse pair(const WebRequest& request, std::int64_t nowMs, std::int64_t nowSeconds);
    void tellClosure();
    void action(const WebRequest& request, const Respond& respond);
    // The routes that need a paired token, once it was found.
    void handlePaired(const WebRequest& request, const std::string& path, const std::string& query,
                      const Respond& respond);

    WebBackend& backend_;
    HostCheck hosts_;
    PairingStore& store_;
    RateLimiter limiter_;
};

}  // namespace tavelapp

#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "web/HostCheck.h"
#include "web/PairingStore.h"
#include "web/RateLimiter.h"
#include "web/WebBackend.h"
#include "web/WebFields.h"
#include "web/WebMessage.h"

namespace tavelapp {

// The web remote's rules over whole requests: the Host and Origin checks, the
// rate limit (per peer group), pairing, tokens and the route table of the page
// and the API (404, 405 and 401 are answered in one place, before any
// handler). The socket layer reads requests, hands them here and writes what
// comes back. One thread at a time calls it.
class WebApi {
public:
    using Respond = std::function<void(WebResponse)>;
    static const std::size_t kMaxBody = 4096;
    static const std::size_t kMaxActionParams = 16;
    // Items in one page of a search or a playlist.
    static const long kMaxPage = 50;

    WebApi(WebBackend& backend, HostCheck hosts, PairingStore& store, RateLimiter limiter);

    // Answers through respond, at once or (for an action) once the program
    // took it, on the thread that did.
    void handle(const WebRequest& request, std::int64_t nowMs, std::int64_t nowSeconds, const Respond& respond);

    // The headers every response carries; `api` adds those of /api.
    static void addCommonHeaders(WebResponse& response, bool api);
    // A response with {"error": text} (or a plain text off /api).
    static WebResponse error(int status, const std::string& text, bool api);
    // 400 naming the request's first missing or wrong field.
    static WebResponse badField(const WebFields& fields);

    // The token a request carries: cookie kx_token or Authorization: Bearer.
    static std::string tokenOf(const WebRequest& request);

    // One entry of the route table.
    enum class Method { Get /* and HEAD */, GetOnly, Post };
    enum class Access { Public, Paired };
    struct Call;
    struct Route {
        Method method;
        // Literal segments and {name} for one segment of any text.
        const char* pattern;
        Access access;
        void (WebApi::*handler)(Call& call);
    };

    // The route table, for the check against the API's description.
    static std::vector<Route> routes();

private:
    static const Route kRoutes[];

    // The route handlers.
    void page(Call& call);
    void texts(Call& call);
    void pairRequest(Call& call);
    void pair(Call& call);
    void action(Call& call);
    void state(Call& call);
    void actions(Call& call);
    void artwork(Call& call);
    void events(Call& call);
    void description(Call& call);
    void search(Call& call);
    void playlists(Call& call);
    void playlistTracks(Call& call);
    void play(Call& call);
    void position(Call& call);

    void tellClosure();

    WebBackend& backend_;
    HostCheck hosts_;
    PairingStore& store_;
    RateLimiter limiter_;
};

}  // namespace tavelapp

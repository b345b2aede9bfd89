#include "web/WebApi.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "web/PeerGroup.h"
#include "web/WebAssets.h"
#include "win/util/TextCodec.h"

namespace tavelapp {
namespace {

using nlohmann::json;
using tavel::win::util::utf8ToWide;

const char kJson[] = "application/json; charset=utf-8";

std::string dumpJson(const json& value) { return value.dump(-1, ' ', false, json::error_handler_t::replace); }

WebResponse jsonResponse(int status, const json& value) {
    WebResponse response;
    response.status = status;
    response.contentType = kJson;
    response.body = dumpJson(value);
    WebApi::addCommonHeaders(response, true);
    return response;
}

// The value of one "name=value" of a query or cookie list, empty when absent.
std::string listValue(const std::string& list, const std::string& name, char separator) {
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(separator, start);
        if (end == std::string::npos) end = list.size();
        std::string item = list.substr(start, end - start);
        const std::size_t first = item.find_first_not_of(' ');
        item = first == std::string::npos ? std::string() : item.substr(first);
        if (item.size() > name.size() && item.compare(0, name.size(), name) == 0 && item[name.size()] == '=')
            return item.substr(name.size() + 1);
        start = end + 1;
    }
    return std::string();
}

// "ja" or "en": the query's choice, else the browser's first language of the two.
std::string languageOf(const std::string& query, const std::string& acceptLanguage) {
    const std::string asked = listValue(query, "lang", '&');
    if (asked == "ja" || asked == "en") return asked;
    std::string lowered;
    for (const char c : acceptLanguage)
        lowered.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    const std::size_t ja = lowered.find("ja"), en = lowered.find("en");
    if (ja != std::string::npos && (en == std::string::npos || ja < en)) return "ja";
    return "en";
}

// Whether the path fits the pattern; its {name} segments go to captures.
bool matches(const char* pattern, const std::string& path, std::vector<std::string>& captures) {
    std::size_t p = 0, q = 0;
    const std::string wanted = pattern;
    for (;;) {
        const std::size_t pEnd = std::min(wanted.find('/', p + 1), wanted.size());
        const std::size_t qEnd = std::min(path.find('/', q + 1), path.size());
        if (p >= wanted.size() || q >= path.size()) return p >= wanted.size() && q >= path.size();
        if (wanted[p] != '/' || path[q] != '/') return false;
        const std::string part = wanted.substr(p + 1, pEnd - p - 1);
        const std::string segment = path.substr(q + 1, qEnd - q - 1);
        if (part.size() > 2 && part.front() == '{' && part.back() == '}') {
            if (segment.empty()) return false;
            captures.push_back(segment);
        } else if (part != segment) {
            return false;
        }
        p = pEnd;
        q = qEnd;
    }
}

bool methodFits(WebApi::Method method, const std::string& asked) {
    switch (method) {
        case WebApi::Method::Get:
            return asked == "GET" || asked == "HEAD";
        case WebApi::Method::GetOnly:
            return asked == "GET";
        case WebApi::Method::Post:
            return asked == "POST";
    }
    return false;
}

const char* methodNames(WebApi::Method method) {
    switch (method) {
        case WebApi::Method::Get:
            return "GET, HEAD";
        case WebApi::Method::GetOnly:
            return "GET";
        case WebApi::Method::Post:
            return "POST";
    }
    return "";
}

}  // namespace

WebApi::WebApi(WebBackend& backend, HostCheck hosts, PairingStore& store, RateLimiter limiter)
    : backend_(backend), hosts_(std::move(hosts)), store_(store), limiter_(std::move(limiter)) {}

void WebApi::addCommonHeaders(WebResponse& response, bool api) {
    response.headers.emplace_back("Content-Security-Policy", "default-src 'self'");
    response.headers.emplace_back("X-Content-Type-Options", "nosniff");
    response.headers.emplace_back("X-Frame-Options", "DENY");
    response.headers.emplace_back("Referrer-Policy", "no-referrer");
    if (api) response.headers.emplace_back("Cache-Control", "no-store");
}

WebResponse WebApi::error(int status, const std::string& text, bool api) {
    if (api) return jsonResponse(status, json{{"error", text}});
    WebResponse response;
    response.status = status;
    response.contentType = "text/plain; charset=utf-8";
    response.body = text + "\n";
    addCommonHeaders(response, false);
    return response;
}

std::string WebApi::tokenOf(const WebRequest& request) {
    const std::string bearer = "Bearer ";
    if (request.authorization.compare(0, bearer.size(), bearer) == 0)
        return request.authorization.substr(bearer.size());
    return listValue(request.cookie, "kx_token", ';');
}

struct WebApi::Call {
    const WebRequest& request;
    std::string path;
    std::string query;
    std::vector<std::string> captures;  // the pattern's {name} segments, in order
    std::int64_t nowMs;
    std::int64_t nowSeconds;
    Respond respond;
};

// The page's files and the API. A stream has no length to tell a HEAD
// request, and must not start for one: the events are GET only.
const WebApi::Route WebApi::kRoutes[] = {
    {Method::Post, "/api/pair/request", Access::Public, &WebApi::pairRequest},
    {Method::Post, "/api/pair", Access::Public, &WebApi::pair},
    {Method::Post, "/api/action", Access::Paired, &WebApi::action},
    {Method::Get, "/api/state", Access::Paired, &WebApi::state},
    {Method::Get, "/api/actions", Access::Paired, &WebApi::actions},
    {Method::Get, "/api/artwork", Access::Paired, &WebApi::artwork},
    {Method::GetOnly, "/api/events", Access::Paired, &WebApi::events},
    {Method::Get, "/api/search", Access::Paired, &WebApi::search},
    {Method::Get, "/api/playlists", Access::Paired, &WebApi::playlists},
    {Method::Get, "/api/playlists/{id}/tracks", Access::Paired, &WebApi::playlistTracks},
    {Method::Post, "/api/play", Access::Paired, &WebApi::play},
    {Method::Post, "/api/position", Access::Paired, &WebApi::position},
    {Method::Get, "/api/openapi.json", Access::Public, &WebApi::description},
    {Method::Get, "/texts.json", Access::Public, &WebApi::texts},
    {Method::Get, "/", Access::Public, &WebApi::page},
    {Method::Get, "/{file}", Access::Public, &WebApi::page},
};

std::vector<WebApi::Route> WebApi::routes() { return {std::begin(kRoutes), std::end(kRoutes)}; }

void WebApi::handle(const WebRequest& request, std::int64_t nowMs, std::int64_t nowSeconds, const Respond& respond) {
    const std::size_t question = request.target.find('?');
    const std::string path = request.target.substr(0, question);
    const std::string query = question == std::string::npos ? std::string() : request.target.substr(question + 1);
    const bool api = path.compare(0, 5, "/api/") == 0;
    if (!hosts_.allows(request.host, request.localAddress)) {
        respond(error(403, "unknown host", api));
        return;
    }
    // Forged from another site: refused before anything runs, and before the
    // rate limit, so a page in this computer's browser cannot spend the
    // bucket that local clients share.
    if (!HostCheck::originAllowed(request.origin, request.host) || request.secFetchSite == "cross-site") {
        respond(error(403, "cross-origin request", api));
        return;
    }
    if (!limiter_.admit(PeerGroup::of(request.peer), nowMs)) {
        respond(error(429, "too many requests", api));
        return;
    }
    if (request.body.size() > kMaxBody) {
        respond(error(413, "request too large", api));
        return;
    }

    const Route* route = nullptr;
    std::vector<std::string> captures;
    std::string allowed;
    for (const Route& candidate : kRoutes) {
        std::vector<std::string> found;
        if (!matches(candidate.pattern, path, found)) continue;
        if (methodFits(candidate.method, request.method)) {
            route = &candidate;
            captures = std::move(found);
            break;
        }
        allowed += std::string(allowed.empty() ? "" : ", ") + methodNames(candidate.method);
    }
    if (route == nullptr) {
        WebResponse response = allowed.empty() ? error(404, "not found", api) : error(405, "method not allowed", api);
        if (!allowed.empty()) response.headers.emplace_back("Allow", allowed);
        respond(std::move(response));
        return;
    }
    const bool known = store_.knows(tokenOf(request), nowSeconds);
    if (route->access == Access::Paired && !known) {
        respond(error(401, "not paired", true));
        return;
    }
    Call call{request, path, query, std::move(captures), nowMs, nowSeconds, respond};
    // A paired phone, loading the page too, holds its connections as a device does.
    if (known)
        call.respond = [respond](WebResponse response) {
            response.paired = true;
            respond(std::move(response));
        };
    (this->*route->handler)(call);
}

WebResponse WebApi::badField(const WebFields& fields) {
    json body{{"error", fields.field().empty() ? fields.problem() : fields.field() + ": " + fields.problem()}};
    if (!fields.field().empty()) body["field"] = fields.field();
    return jsonResponse(400, body);
}

void WebApi::page(Call& call) {
    const WebAsset* asset = WebAssets::find(call.path == "/" ? "index.html" : call.path.substr(1));
    if (asset == nullptr) {
        call.respond(error(404, "not found", false));
        return;
    }
    WebResponse response;
    WebAssets::answer(*asset, call.request.ifNoneMatch, call.request.acceptEncoding, response);
    addCommonHeaders(response, false);
    // The page changes with the program only; a new one must be fetched after an update.
    response.headers.emplace_back("Cache-Control", "no-cache");
    call.respond(std::move(response));
}

void WebApi::texts(Call& call) {
    call.respond(jsonResponse(200, backend_.texts(languageOf(call.query, call.request.acceptLanguage))));
}

void WebApi::pairRequest(Call& call) {
    const PairingStore::Ask asked = store_.ask(call.request.peer, call.nowMs);
    tellClosure();
    switch (asked) {
        case PairingStore::Ask::Tell:
            backend_.askToPair(call.request.peer);
            break;
        case PairingStore::Ask::Told:
            break;
        case PairingStore::Ask::LockedOut:
            call.respond(error(429, "too many wrong codes; try again later", true));
            return;
        case PairingStore::Ask::Closed:
            call.respond(error(403, "pairing is closed; choose Pair a phone on the PC", true));
            return;
    }
    // No code exists yet: the PC's user opens pairing, which shows one.
    call.respond(jsonResponse(202, json{{"asked", true}}));
}

void WebApi::tellClosure() {
    const PairingStore::Closure closure = store_.takeClosure();
    if (closure != PairingStore::Closure::None) backend_.pairingClosed(closure == PairingStore::Closure::WrongGuesses);
}

void WebApi::pair(Call& call) {
    WebFields fields = WebFields::ofBody(call.request.body);
    const bool byCode = fields.has("code");
    if (fields.ok() && byCode == fields.has("ticket")) fields.reject("code", "send a code or a ticket, not both");
    const std::optional<std::string> proof = fields.text(byCode ? "code" : "ticket", false, 256);
    const std::optional<std::string> name = fields.text("name", false, 256);
    if (!fields.ok()) {
        call.respond(badField(fields));
        return;
    }
    std::string token;
    const PairingStore::Outcome outcome =
        store_.pair(call.request.peer, byCode ? PairingStore::Proof::Code : PairingStore::Proof::Ticket, *proof,
                    utf8ToWide(*name), call.nowMs, call.nowSeconds, token);
    tellClosure();
    switch (outcome) {
        case PairingStore::Outcome::Paired: {
            WebResponse response = jsonResponse(200, json{{"token", token}});
            response.headers.emplace_back(
                "Set-Cookie", "kx_token=" + token + "; HttpOnly; SameSite=Strict; Path=/; Max-Age=31536000");
            response.paired = true;
            call.respond(std::move(response));
            return;
        }
        case PairingStore::Outcome::Wrong:
            call.respond(error(403, "wrong or expired code", true));
            return;
        case PairingStore::Outcome::Closed:
            call.respond(error(403, "pairing is closed; choose Pair a phone on the PC", true));
            return;
        case PairingStore::Outcome::LockedOut:
            call.respond(error(429, "too many wrong codes; try again later", true));
            return;
        case PairingStore::Outcome::Failed:
            break;
    }
    call.respond(error(503, "no token", true));
}

void WebApi::action(Call& call) {
    WebFields fields = WebFields::ofBody(call.request.body);
    // The parameters: the "params" list, or the tabs of the reference.
    const std::optional<std::string> reference = fields.text("action", true);
    const std::optional<std::vector<std::string>> listed = fields.texts("params", kMaxActionParams);
    std::wstring name;
    std::vector<std::wstring> params;
    if (fields.ok()) {
        const std::wstring whole = utf8ToWide(*reference);
        std::size_t tab = whole.find(L'\t');
        name = whole.substr(0, tab);
        while (tab != std::wstring::npos) {
            const std::size_t next = whole.find(L'\t', tab + 1);
            params.push_back(whole.substr(tab + 1, next == std::wstring::npos ? std::wstring::npos : next - tab - 1));
            tab = next;
        }
        if (name.empty()) fields.reject("action", "no action name before its parameters");
        if (!params.empty() && !listed->empty()) fields.reject("params", "the action's tabs carry parameters already");
        if (params.size() > kMaxActionParams) fields.reject("action", "more than 16 parameters");
        for (const std::string& param : *listed)
            params.push_back(utf8ToWide(param));
    }
    if (!fields.ok()) {
        call.respond(badField(fields));
        return;
    }
    const Respond respond = call.respond;
    backend_.runAction(name, params, [respond](WebBackend::ActionOutcome outcome) {
        switch (outcome) {
            case WebBackend::ActionOutcome::Queued:
                respond(jsonResponse(202, json{{"queued", true}}));
                return;
            case WebBackend::ActionOutcome::Unknown:
                respond(error(400, "unknown action", true));
                return;
            case WebBackend::ActionOutcome::Forbidden:
                respond(error(403, "this action may not run over the network", true));
                return;
            case WebBackend::ActionOutcome::Busy:
                respond(error(429, "the action queue is full", true));
                return;
            case WebBackend::ActionOutcome::PlayerNotRunning:
                respond(error(503, "the player is not running", true));
                return;
        }
    });
}

void WebApi::state(Call& call) { call.respond(jsonResponse(200, backend_.state())); }

void WebApi::actions(Call& call) {
    call.respond(jsonResponse(200, backend_.actions(languageOf(call.query, call.request.acceptLanguage))));
}

void WebApi::artwork(Call& call) {
    const Respond respond = call.respond;
    backend_.artwork([respond](std::shared_ptr<const std::string> bytes, std::string contentType) {
        if (!bytes || bytes->empty()) {
            respond(error(404, "no artwork", true));
            return;
        }
        WebResponse response;
        response.body = *bytes;
        response.contentType = std::move(contentType);
        addCommonHeaders(response, true);
        respond(std::move(response));
    });
}

void WebApi::events(Call& call) {
    WebResponse response;
    response.eventStream = true;
    response.contentType = "text/event-stream";
    addCommonHeaders(response, true);
    call.respond(std::move(response));
}

void WebApi::description(Call& call) {
    const WebAsset* asset = WebAssets::find("openapi.json");
    if (asset == nullptr) {
        call.respond(error(404, "not found", true));
        return;
    }
    WebResponse response;
    response.contentType = kJson;
    response.body.assign(reinterpret_cast<const char*>(asset->data), asset->size);
    addCommonHeaders(response, true);
    call.respond(std::move(response));
}

namespace {

// The answer of a library request, by how it went.
WebBackend::BrowseDone browseAnswer(WebApi::Respond respond) {
    return [respond](WebBackend::BrowseOutcome outcome, json answer) {
        switch (outcome) {
            case WebBackend::BrowseOutcome::Done:
                respond(jsonResponse(200, answer));
                return;
            case WebBackend::BrowseOutcome::NotFound:
                respond(WebApi::error(404, "not found", true));
                return;
            case WebBackend::BrowseOutcome::PlayerNotRunning:
                respond(WebApi::error(503, "the player is not running", true));
                return;
            case WebBackend::BrowseOutcome::TimedOut:
                respond(WebApi::error(504, "the player is busy or did not answer in time", true));
                return;
        }
    };
}

const std::int64_t kMaxOffset = 1000000000;

}  // namespace

void WebApi::search(Call& call) {
    WebFields fields = WebFields::ofQuery(call.query);
    const std::optional<std::string> text = fields.text("q", true, 256);
    const std::optional<std::string> field = fields.choice("field", {"all", "artists", "albums", "songs"});
    const std::optional<std::int64_t> offset = fields.number("offset", 0, kMaxOffset, 0);
    const std::optional<std::int64_t> limit = fields.number("limit", 1, kMaxPage, 20);
    if (!fields.ok()) {
        call.respond(badField(fields));
        return;
    }
    const WebBackend::SearchField kind = *field == "artists"  ? WebBackend::SearchField::Artists
                                         : *field == "albums" ? WebBackend::SearchField::Albums
                                         : *field == "songs"  ? WebBackend::SearchField::Songs
                                                              : WebBackend::SearchField::All;
    backend_.search(*text, kind, static_cast<long>(*offset), static_cast<long>(*limit), browseAnswer(call.respond));
}

void WebApi::playlists(Call& call) { backend_.playlists(browseAnswer(call.respond)); }

void WebApi::playlistTracks(Call& call) {
    WebFields fields = WebFields::ofQuery(call.query);
    const std::optional<std::int64_t> offset = fields.number("offset", 0, kMaxOffset, 0);
    const std::optional<std::int64_t> limit = fields.number("limit", 1, kMaxPage, 20);
    if (!fields.ok()) {
        call.respond(badField(fields));
        return;
    }
    backend_.playlistTracks(call.captures.at(0), static_cast<long>(*offset), static_cast<long>(*limit),
                            browseAnswer(call.respond));
}

void WebApi::play(Call& call) {
    WebFields fields = WebFields::ofBody(call.request.body);
    const std::optional<std::string> playlist = fields.text("playlist", false, 64);
    const std::optional<std::string> track = fields.text("track", false, 64);
    if (fields.ok() && playlist->empty() && track->empty())
        fields.reject("playlist", "send a playlist, a track or both");
    if (!fields.ok()) {
        call.respond(badField(fields));
        return;
    }
    backend_.play(*playlist, *track, browseAnswer(call.respond));
}

void WebApi::position(Call& call) {
    WebFields fields = WebFields::ofBody(call.request.body);
    if (fields.ok() && !fields.has("seconds")) fields.reject("seconds", "missing");
    const std::optional<std::int64_t> seconds = fields.number("seconds", 0, 86400, 0);
    if (!fields.ok()) {
        call.respond(badField(fields));
        return;
    }
    backend_.setPosition(static_cast<long>(*seconds), browseAnswer(call.respond));
}

}  // namespace tavelapp

#include "web/WebApi.h"

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

// The parameters of an action reference: the "params" array, or the tabs of the name.
bool readAction(const json& body, std::wstring& name, std::vector<std::wstring>& params) {
    if (!body.is_object()) return false;
    const auto action = body.find("action");
    if (action == body.end() || !action->is_string()) return false;
    std::wstring reference = utf8ToWide(action->get<std::string>());
    std::size_t tab = reference.find(L'\t');
    name = reference.substr(0, tab);
    while (tab != std::wstring::npos) {
        const std::size_t next = reference.find(L'\t', tab + 1);
        params.push_back(reference.substr(tab + 1, next == std::wstring::npos ? std::wstring::npos : next - tab - 1));
        tab = next;
    }
    const auto list = body.find("params");
    if (list != body.end()) {
        if (!list->is_array() || !params.empty()) return false;
        for (const json& param : *list) {
            if (!param.is_string()) return false;
            params.push_back(utf8ToWide(param.get<std::string>()));
        }
    }
    return !name.empty() && params.size() <= 16;
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

WebResponse WebApi::page(const std::string& path) const {
    if (path.empty() || path[0] != '/') return error(404, "not found", false);
    const WebAsset* asset = WebAssets::find(path == "/" ? "index.html" : path.substr(1));
    if (asset == nullptr) return error(404, "not found", false);
    WebResponse response;
    response.contentType = asset->contentType;
    response.body.assign(reinterpret_cast<const char*>(asset->data), asset->size);
    addCommonHeaders(response, false);
    // The page changes with the program only; a new one must be fetched after an update.
    response.headers.emplace_back("Cache-Control", "no-cache");
    return response;
}

WebResponse WebApi::texts(const WebRequest& request, const std::string& query) {
    WebResponse response = jsonResponse(200, backend_.texts(languageOf(query, request.acceptLanguage)));
    return response;
}

WebResponse WebApi::pairRequest(const WebRequest& request, std::int64_t nowMs) {
    const PairingStore::Ask asked = store_.ask(request.peer, nowMs);
    tellClosure();
    switch (asked) {
        case PairingStore::Ask::Tell:
            backend_.askToPair(request.peer);
            break;
        case PairingStore::Ask::Told:
            break;
        case PairingStore::Ask::LockedOut:
            return error(429, "too many wrong codes; try again later", true);
        case PairingStore::Ask::Closed:
            return error(403, "pairing is closed; choose Pair a phone on the PC", true);
    }
    // No code exists yet: the PC's user opens pairing, which shows one.
    return jsonResponse(202, json{{"asked", true}});
}

void WebApi::tellClosure() {
    const PairingStore::Closure closure = store_.takeClosure();
    if (closure != PairingStore::Closure::None) backend_.pairingClosed(closure == PairingStore::Closure::WrongGuesses);
}

WebResponse WebApi::pair(const WebRequest& request, std::int64_t nowMs, std::int64_t nowSeconds) {
    const json body = json::parse(request.body, nullptr, false);
    const auto code = body.is_object() ? body.find("code") : body.end();
    const auto ticket = body.is_object() ? body.find("ticket") : body.end();
    const bool byCode = code != body.end() && code->is_string();
    const bool byTicket = ticket != body.end() && ticket->is_string();
    if (byCode == byTicket) return error(400, "send {\"code\": \"123456\", \"name\": ...} or {\"ticket\": ...}", true);
    std::wstring name;
    const auto named = body.find("name");
    if (named != body.end() && named->is_string()) name = utf8ToWide(named->get<std::string>());
    std::string token;
    const PairingStore::Outcome outcome =
        store_.pair(request.peer, byCode ? PairingStore::Proof::Code : PairingStore::Proof::Ticket,
                    (byCode ? code : ticket)->get<std::string>(), name, nowMs, nowSeconds, token);
    tellClosure();
    switch (outcome) {
        case PairingStore::Outcome::Paired: {
            WebResponse response = jsonResponse(200, json{{"token", token}});
            response.headers.emplace_back(
                "Set-Cookie", "kx_token=" + token + "; HttpOnly; SameSite=Strict; Path=/; Max-Age=31536000");
            response.paired = true;
            return response;
        }
        case PairingStore::Outcome::Wrong:
            return error(403, "wrong or expired code", true);
        case PairingStore::Outcome::Closed:
            return error(403, "pairing is closed; choose Pair a phone on the PC", true);
        case PairingStore::Outcome::LockedOut:
            return error(429, "too many wrong codes; try again later", true);
        case PairingStore::Outcome::Failed:
            break;
    }
    return error(503, "no token", true);
}

void WebApi::action(const WebRequest& request, const Respond& respond) {
    std::wstring name;
    std::vector<std::wstring> params;
    if (!readAction(json::parse(request.body, nullptr, false), name, params)) {
        respond(error(400, "send {\"action\": \"<entry ID or action name>\", \"params\": [...]}", true));
        return;
    }
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
    const bool get = request.method == "GET" || request.method == "HEAD";
    const bool post = request.method == "POST";
    if (request.body.size() > kMaxBody) {
        respond(error(413, "request too large", api));
        return;
    }

    if (!api) {
        WebResponse response = !get                    ? error(405, "method not allowed", false)
                               : path == "/texts.json" ? texts(request, query)
                                                       : page(path);
        // A paired phone loading the page holds its connections as a device does.
        const std::string token = tokenOf(request);
        response.paired = !token.empty() && store_.knows(token, nowSeconds);
        respond(std::move(response));
        return;
    }
    if (path == "/api/pair/request" || path == "/api/pair") {
        if (!post) {
            respond(error(405, "method not allowed", true));
        } else {
            respond(path == "/api/pair" ? pair(request, nowMs, nowSeconds) : pairRequest(request, nowMs));
        }
        return;
    }
    if (!store_.knows(tokenOf(request), nowSeconds)) {
        respond(error(401, "not paired", true));
        return;
    }
    const Respond device = [respond](WebResponse response) {
        response.paired = true;
        respond(std::move(response));
    };
    if (path == "/api/action") {
        if (!post) {
            device(error(405, "method not allowed", true));
        } else {
            action(request, device);
        }
        return;
    }
    handlePaired(request, path, query, device);
}

void WebApi::handlePaired(const WebRequest& request, const std::string& path, const std::string& query,
                          const Respond& respond) {
    const bool get = request.method == "GET" || request.method == "HEAD";
    // A stream has no length to tell a HEAD request, and must not start for one.
    if (!get || (path == "/api/events" && request.method != "GET")) {
        respond(error(405, "method not allowed", true));
    } else if (path == "/api/state") {
        respond(jsonResponse(200, backend_.state()));
    } else if (path == "/api/actions") {
        respond(jsonResponse(200, backend_.actions(languageOf(query, request.acceptLanguage))));
    } else if (path == "/api/artwork") {
        WebResponse response;
        if (!backend_.artwork(response.body, response.contentType)) {
            respond(error(404, "no artwork", true));
            return;
        }
        addCommonHeaders(response, true);
        respond(std::move(response));
    } else if (path == "/api/events") {
        WebResponse response;
        response.eventStream = true;
        response.contentType = "text/event-stream";
        addCommonHeaders(response, true);
        respond(std::move(response));
    } else {
        respond(error(404, "not found", true));
    }
}

}  // namespace tavelapp

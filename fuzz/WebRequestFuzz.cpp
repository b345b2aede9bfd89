// Requests reach the web remote from anyone on the network: any sequence of
// them (routes, headers, JSON bodies, pairing codes and tickets, tokens) must
// get exactly one answer each, never reach the API without a paired token,
// never pair while the PC's pairing window is shut, never pass a foreign Host
// or Origin, and answer JSON that reads.
//
// Input: up to eight requests separated by 0x1e; each is lines "METHOD TARGET", Host,
// Origin, Cookie, Authorization, peer address, then the body (the rest).
// "@CODE@", "@TICKET@" and "@TOKEN@" anywhere stand for the pairing window's
// code and ticket and the last token given, so pairing and paired requests
// are reached too. The method "OPEN" is the PC's user opening the pairing
// window (for the peer named in the target, when there is one).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "web/PairingStore.h"
#include "web/RateLimiter.h"
#include "web/Sha256.h"
#include "web/WebApi.h"

using namespace tavelapp;

namespace {

bool counting(std::uint8_t* out, std::size_t size) {
    static std::uint8_t next = 7;
    for (std::size_t i = 0; i < size; ++i)
        out[i] = next += 31;
    return true;
}

class Backend : public WebBackend {
public:
    nlohmann::json state() override { return {{"player", false}}; }
    void runAction(const std::wstring& name, const std::vector<std::wstring>&, ActionDone done) override {
        done(name.size() % 5 == 0 ? ActionOutcome::Queued : static_cast<ActionOutcome>(name.size() % 5));
    }
    nlohmann::json actions(const std::string&) override { return {{"groups", nlohmann::json::array()}}; }
    void artwork(ArtworkDone done) override { done(std::make_shared<const std::string>("GIF89a"), "image/gif"); }
    // The library answers by the request's size, so each outcome is reached.
    void search(const std::string& text, SearchField, long offset, long, BrowseDone done) override {
        done(static_cast<BrowseOutcome>(text.size() % 4), {{"total", 0}, {"offset", offset}, {"items", {}}});
    }
    void playlists(BrowseDone done) override { done(BrowseOutcome::Done, {{"items", nlohmann::json::array()}}); }
    void playlistTracks(const std::string& id, long offset, long, BrowseDone done) override {
        done(static_cast<BrowseOutcome>(id.size() % 4), {{"total", 0}, {"offset", offset}, {"items", {}}});
    }
    void play(const std::string& playlist, const std::string& track, BrowseDone done) override {
        done(static_cast<BrowseOutcome>((playlist.size() + track.size()) % 4), {{"playing", true}});
    }
    void setPosition(long seconds, BrowseDone done) override {
        done(static_cast<BrowseOutcome>(seconds % 4), {{"position", seconds}});
    }
    nlohmann::json texts(const std::string& language) override { return {{"lang", language}}; }
    void askToPair(const std::string&) override {}
    void pairingClosed(bool) override {}
};

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::vector<std::string> split(const std::string& text, char separator, std::size_t limit) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (parts.size() + 1 < limit) {
        const std::size_t end = text.find(separator, start);
        if (end == std::string::npos) break;
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Backend backend;
    PairingStore store(&counting);
    HostCheck hosts(8765);
    hosts.addName("kolibrix-pc");
    WebApi api(backend, hosts, store, RateLimiter(20, 5, 8));
    std::string token;
    std::int64_t nowMs = 0;
    const std::string input(reinterpret_cast<const char*>(data), size);
    for (const std::string& raw : split(input, '\x1e', 8)) {
        const PairingStore::Window window = store.window(nowMs);
        const std::string text =
            replaceAll(replaceAll(replaceAll(raw, "@CODE@", window.code), "@TICKET@", window.ticket), "@TOKEN@", token);
        const std::vector<std::string> lines = split(text, '\n', 7);
        WebRequest request;
        const std::vector<std::string> start = split(lines[0], ' ', 2);
        request.method = start[0];
        request.target = start.size() > 1 ? start[1] : "/";
        request.host = lines.size() > 1 ? lines[1] : "";
        request.origin = lines.size() > 2 ? lines[2] : "";
        request.cookie = lines.size() > 3 ? lines[3] : "";
        request.authorization = lines.size() > 4 ? lines[4] : "";
        request.peer = lines.size() > 5 ? lines[5] : "";
        request.body = lines.size() > 6 ? lines[6] : "";
        request.localAddress = "192.168.0.5";
        if (request.method == "OPEN") {
            store.openWindow(request.target == "/" ? std::string() : request.target, nowMs);
            continue;
        }
        // Whether the token is a paired one, asked before the request could pair it.
        const std::string presented = Sha256::hexHash(WebApi::tokenOf(request));
        bool known = false;
        for (const PairingStore::Device& device : store.devices())
            known |= device.hash == presented;

        int answers = 0;
        WebResponse response;
        api.handle(request, nowMs, 1700000000 + nowMs / 1000, [&](WebResponse r) {
            response = std::move(r);
            ++answers;
        });
        nowMs += request.method.size() == 1 ? 61000 : 700;
        if (answers != 1) __builtin_trap();
        const std::string path = request.target.substr(0, request.target.find('?'));
        const bool pairing = path == "/api/pair" || path == "/api/pair/request";
        const bool ok = response.status >= 200 && response.status < 300;
        if (ok && path.compare(0, 5, "/api/") == 0 && !pairing && !known) __builtin_trap();
        if (ok && !hosts.allows(request.host, request.localAddress)) __builtin_trap();
        if (ok && request.body.size() > WebApi::kMaxBody) __builtin_trap();
        if (ok && (!HostCheck::originAllowed(request.origin, request.host) ||
                   (!request.origin.empty() && request.origin.find("evil") != std::string::npos)))
            __builtin_trap();
        // No code, no ticket: nothing pairs before the PC's user opens pairing.
        if (ok && path == "/api/pair" && !window.open) __builtin_trap();
        if (store.window(nowMs).open && !window.open) __builtin_trap();
        if (ok && path == "/api/events" && request.method != "GET") __builtin_trap();
        if (response.contentType.compare(0, 16, "application/json") == 0 &&
            nlohmann::json::parse(response.body, nullptr, false).is_discarded())
            __builtin_trap();
        if (response.status == 200 && path == "/api/pair") {
            token = nlohmann::json::parse(response.body)["token"].get<std::string>();
            if (token.size() != 32) __builtin_trap();
        }
    }
    return 0;
}

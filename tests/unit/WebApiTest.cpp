#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <set>

#include "web/PairingStore.h"
#include "web/RateLimiter.h"
#include "web/Sha256.h"
#include "web/WebAssets.h"
#include "web/WebApi.h"

using namespace tavelapp;

namespace {

// Counts up, so codes and tokens are known to the test.
bool countingRandom(std::uint8_t* out, std::size_t size) {
    static std::uint8_t next = 0;
    for (std::size_t i = 0; i < size; ++i)
        out[i] = next++;
    return true;
}

class FakeBackend : public WebBackend {
public:
    nlohmann::json state() override { return {{"player", true}}; }
    void runAction(const std::wstring& name, const std::vector<std::wstring>& params, ActionDone done) override {
        ran = name;
        ranParams = params;
        done(outcome);
    }
    nlohmann::json actions(const std::string&) override { return {{"groups", nlohmann::json::array()}}; }
    void artwork(ArtworkDone done) override { done(nullptr, ""); }
    void search(const std::string& text, SearchField field, long offset, long limit, BrowseDone done) override {
        browsed = {{"q", text}, {"field", static_cast<int>(field)}, {"offset", offset}, {"limit", limit}};
        done(browseOutcome, browsed);
    }
    void playlists(BrowseDone done) override { done(browseOutcome, {{"items", nlohmann::json::array()}}); }
    void playlistTracks(const std::string& id, long offset, long limit, BrowseDone done) override {
        browsed = {{"id", id}, {"offset", offset}, {"limit", limit}};
        done(browseOutcome, browsed);
    }
    void play(const std::string& playlist, const std::string& track, BrowseDone done) override {
        browsed = {{"playlist", playlist}, {"track", track}};
        done(browseOutcome, {{"playing", true}});
    }
    void setPosition(long seconds, BrowseDone done) override {
        browsed = {{"seconds", seconds}};
        done(browseOutcome, {{"position", seconds}});
    }
    nlohmann::json texts(const std::string& language) override { return {{"lang", language}}; }
    void askToPair(const std::string& address) override { asked.push_back(address); }
    void pairingClosed(bool wrongGuesses) override { closed.push_back(wrongGuesses); }

    ActionOutcome outcome = ActionOutcome::Queued;
    BrowseOutcome browseOutcome = BrowseOutcome::Done;
    nlohmann::json browsed;
    std::wstring ran;
    std::vector<std::wstring> ranParams;
    std::vector<std::string> asked;
    std::vector<bool> closed;
};

struct Harness {
    explicit Harness(RateLimiter limiter = RateLimiter(1e6, 1e6, 1 << 16))
        : store(&countingRandom), api(backend, hosts(), store, std::move(limiter)) {}
    static HostCheck hosts() {
        HostCheck check(8765);
        check.addName("MyPC");
        return check;
    }
    WebResponse send(const std::string& method, const std::string& target, const std::string& body = "",
                     const std::string& peer = "192.168.1.20", const std::string& token = "") {
        WebRequest request;
        request.method = method;
        request.target = target;
        request.host = host;
        request.origin = origin;
        request.body = body;
        request.peer = peer;
        request.localAddress = "192.168.1.10";
        if (!token.empty()) request.authorization = "Bearer " + token;
        WebResponse out;
        int calls = 0;
        api.handle(request, nowMs, 1700000000, [&](WebResponse response) {
            out = std::move(response);
            ++calls;
        });
        EXPECT_EQ(1, calls);
        return out;
    }
    std::string code() const { return store.window(nowMs).code; }
    // Pairs through the window's code, opening the window when it is not.
    std::string pair(const std::string& peer = "192.168.1.20") {
        if (!store.window(nowMs).open) store.openWindow("", nowMs);
        const WebResponse paired = send("POST", "/api/pair", "{\"code\":\"" + code() + "\",\"name\":\"P\"}", peer);
        return paired.status == 200 ? nlohmann::json::parse(paired.body)["token"].get<std::string>() : "";
    }

    std::string host = "192.168.1.10:8765";
    std::string origin;
    std::int64_t nowMs = 1000;
    FakeBackend backend;
    PairingStore store;
    WebApi api;
};

}  // namespace

TEST(Sha256, KnownVectors) {
    EXPECT_EQ("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855", Sha256::hexHash(""));
    EXPECT_EQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", Sha256::hexHash("abc"));
    EXPECT_EQ("248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1",
              Sha256::hexHash("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"));
    EXPECT_EQ("cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0",
              Sha256::hexHash(std::string(1000000, 'a')));
}

TEST(WebApi, PairingStartsOnThePcAndEachTicketOrCodePairsOnce) {
    Harness h;
    EXPECT_EQ(401, h.send("GET", "/api/state").status);
    // A device can only ask: the PC is told, and no code exists yet.
    EXPECT_EQ(202, h.send("POST", "/api/pair/request", "").status);
    EXPECT_EQ(std::vector<std::string>{"192.168.1.20"}, h.backend.asked);
    EXPECT_FALSE(h.store.window(h.nowMs).open);
    EXPECT_TRUE(h.code().empty());
    ASSERT_TRUE(h.store.openWindow("", h.nowMs));
    const PairingStore::Window window = h.store.window(h.nowMs);
    ASSERT_EQ(32u, window.ticket.size());
    ASSERT_EQ(6u, window.code.size());
    const std::string byTicket = "{\"ticket\":\"" + window.ticket + "\",\"name\":\"Phone\\u0007\"}";
    const WebResponse paired = h.send("POST", "/api/pair", byTicket);
    ASSERT_EQ(200, paired.status);
    EXPECT_TRUE(paired.paired);
    const std::string token = nlohmann::json::parse(paired.body)["token"];
    EXPECT_EQ(32u, token.size());
    bool cookie = false;
    for (const auto& header : paired.headers)
        cookie |= header.first == "Set-Cookie" &&
                  header.second.find("kx_token=" + token + "; HttpOnly; SameSite=Strict") == 0;
    EXPECT_TRUE(cookie);
    ASSERT_EQ(1u, h.store.devices().size());
    EXPECT_EQ(Sha256::hexHash(token), h.store.devices()[0].hash);
    EXPECT_EQ(L"Phone", h.store.devices()[0].name);
    EXPECT_EQ(std::vector<std::wstring>{L"Phone"}, h.store.window(h.nowMs).paired);
    EXPECT_TRUE(h.store.takeChanged());
    EXPECT_EQ(403, h.send("POST", "/api/pair", byTicket).status) << "single use";
    EXPECT_NE(window.ticket, h.store.window(h.nowMs).ticket) << "a new one for the next device";
    EXPECT_TRUE(h.send("GET", "/api/state", "", "192.168.1.20", token).paired);
    WebRequest cookieRequest;
    cookieRequest.cookie = "a=b; kx_token=" + token;
    EXPECT_EQ(token, WebApi::tokenOf(cookieRequest));
    const std::string code = h.code();
    EXPECT_FALSE(h.pair("192.168.1.21").empty());
    EXPECT_EQ(403, h.send("POST", "/api/pair", "{\"code\":\"" + code + "\"}", "192.168.1.22").status);
    // Two minutes after it opened, the window's ticket and code are void.
    const std::string late = "{\"code\":\"" + h.code() + "\"}";
    h.nowMs += PairingStore::kWindowMs - 1;
    EXPECT_TRUE(h.store.window(h.nowMs).open);
    h.nowMs += 1;
    EXPECT_EQ(403, h.send("POST", "/api/pair", late).status);
    EXPECT_EQ(400, h.send("POST", "/api/pair", "{\"code\":\"1\",\"ticket\":\"2\"}").status);
}

// Guesses from many addresses: each group, and all of them together, have a
// budget that no number of addresses raises.
TEST(PairingStore, PairingBudget) {
    struct Row {
        const char* name;
        std::string (*peer)(int);
        int peers;
        int guessesEach;
        int wrongAtMost;
        bool closes;
    } rows[] = {
        {"one IPv6 /64", [](int i) { return "2001:db8:1:2::" + std::to_string(i + 1); }, 2000, 3,
         PairingStore::kWrongPerGroup, false},
        {"link-local zones", [](int i) { return "fe80::" + std::to_string(i + 1) + "%" + std::to_string(i % 7); }, 2000,
         3, PairingStore::kWrongPerGroup, false},
        {"across 127.x", [](int i) { return "127." + std::to_string(i / 250) + "." + std::to_string(i % 250) + ".9"; },
         2000, 3, PairingStore::kWrongPerGroup, false},
        {"2000 addresses of a LAN",
         [](int i) { return "10.0." + std::to_string(i / 250) + "." + std::to_string(i % 250); }, 2000, 3,
         PairingStore::kWrongInTotal, true},
        {"one short of the total", [](int i) { return "10.1.0." + std::to_string(i); }, PairingStore::kWrongInTotal - 1,
         1, PairingStore::kWrongInTotal - 1, false},
        {"the total", [](int i) { return "10.1.0." + std::to_string(i); }, PairingStore::kWrongInTotal, 1,
         PairingStore::kWrongInTotal, true},
    };
    for (const Row& row : rows) {
        Harness h;
        ASSERT_TRUE(h.store.openWindow("", h.nowMs));
        int wrong = 0;
        for (int i = 0; i < row.peers; ++i) {
            for (int j = 0; j < row.guessesEach; ++j) {
                std::string guess = h.code().empty() ? "000000" : h.code();
                guess[5] = guess[5] == '0' ? '1' : '0';
                wrong += h.send("POST", "/api/pair", "{\"code\":\"" + guess + "\"}", row.peer(i)).body ==
                         "{\"error\":\"wrong or expired code\"}";
            }
        }
        EXPECT_EQ(row.wrongAtMost, wrong) << row.name;
        EXPECT_EQ(row.closes, h.store.closed()) << row.name;
        EXPECT_EQ(row.closes ? std::vector<bool>{true} : std::vector<bool>{}, h.backend.closed) << row.name;
        // Whoever else comes pairs only while pairing is open.
        const WebResponse next = h.send("POST", "/api/pair", "{\"code\":\"" + h.code() + "\"}", "192.168.7.7");
        EXPECT_EQ(row.closes ? 403 : 200, next.status) << row.name;
    }
}

TEST(PairingStore, ALockStaysWhileThousandsFailAndAFullTableHoldsNewcomersBack) {
    Harness h;
    h.store.openWindow("", h.nowMs);
    for (int i = 0; i < PairingStore::kWrongPerGroup; ++i)
        h.send("POST", "/api/pair", "{\"code\":\"x\"}", "192.168.1.66");
    int refused = 0;
    for (int i = 0; i < 2000; ++i) {
        // The PC's user opens pairing again whenever it closed.
        if (!h.store.window(h.nowMs).open) h.store.openWindow("", h.nowMs);
        const std::string peer = "10.2." + std::to_string(i / 250) + "." + std::to_string(i % 250);
        refused += h.send("POST", "/api/pair", "{\"code\":\"x\"}", peer).status == 429;
    }
    EXPECT_EQ(2000 - static_cast<int>(PairingStore::kMaxTrackedGroups) + 1, refused);
    h.store.openWindow("", h.nowMs);
    EXPECT_EQ(429, h.send("POST", "/api/pair", "{\"code\":\"" + h.code() + "\"}", "192.168.1.66").status);
    h.nowMs += PairingStore::kLockoutMs;
    EXPECT_FALSE(h.pair("192.168.1.66").empty());
}

TEST(PairingStore, AsksShowNoCodeAndACodeForTheAskerIsItsAlone) {
    Harness h;
    EXPECT_EQ(202, h.send("POST", "/api/pair/request", "{}", "192.168.1.30").status);
    EXPECT_EQ(202, h.send("POST", "/api/pair/request", "{}", "192.168.1.30").status);
    EXPECT_EQ(1u, h.backend.asked.size()) << "shown once, not again and again";
    // Before the PC's user acts there is nothing to guess, and guessing spends nothing.
    for (int i = 0; i < 1000; ++i) {
        char code[8];
        std::snprintf(code, sizeof(code), "%06d", i);
        EXPECT_EQ(403, h.send("POST", "/api/pair", std::string("{\"code\":\"") + code + "\"}", "192.168.1.30").status);
    }
    EXPECT_TRUE(h.store.devices().empty());
    ASSERT_TRUE(h.store.openWindow("192.168.1.30", h.nowMs));
    const std::string code = h.code();
    for (int i = 0; i < 2 * PairingStore::kWrongPerCode; ++i)
        h.send("POST", "/api/pair", "{\"code\":\"" + std::to_string(100000 + i) + "\"}", "192.168.1.31");
    EXPECT_EQ(403, h.send("POST", "/api/pair", "{\"code\":\"" + code + "\"}", "192.168.1.31").status);
    EXPECT_EQ(code, h.code()) << "another peer's guesses do not void it";
    EXPECT_EQ(200, h.send("POST", "/api/pair", "{\"code\":\"" + code + "\"}", "192.168.1.30").status);
    // Three asks in ten minutes are shown; the fourth closes pairing until the PC opens it.
    Harness asks;
    for (int i = 0; i < PairingStore::kAsksPerSpell; ++i)
        EXPECT_EQ(202, asks.send("POST", "/api/pair/request", "{}", "10.0.0." + std::to_string(i)).status);
    EXPECT_EQ(403, asks.send("POST", "/api/pair/request", "{}", "10.0.0.9").status);
    EXPECT_EQ(std::vector<bool>{false}, asks.backend.closed);
    EXPECT_EQ(static_cast<std::size_t>(PairingStore::kAsksPerSpell), asks.backend.asked.size());
    EXPECT_FALSE(asks.pair("10.0.0.9").empty()) << "opened again on the PC";
}

TEST(PairingStore, ADeviceUnusedForNinetyDaysIsForgotten) {
    Harness h;
    const std::string token = h.pair();
    const std::int64_t paired = 1700000000;
    EXPECT_TRUE(h.store.knows(token, paired + PairingStore::kUnusedSeconds - 1));
    h.store.takeChanged();
    std::vector<PairingStore::Device> saved = h.store.devices();
    h.store.setDevices(saved, paired + 2 * PairingStore::kUnusedSeconds - 2);
    EXPECT_EQ(1u, h.store.devices().size());
    EXPECT_FALSE(h.store.takeChanged());
    EXPECT_FALSE(h.store.knows(token, paired + 2 * PairingStore::kUnusedSeconds - 1));
    EXPECT_TRUE(h.store.devices().empty());
    EXPECT_TRUE(h.store.takeChanged());
    h.store.setDevices(saved, paired + 2 * PairingStore::kUnusedSeconds);
    EXPECT_TRUE(h.store.devices().empty());
}

TEST(WebApi, HostOriginAndSizeChecks) {
    struct Case {
        const char* host;
        const char* origin;
        const char* method;
        const char* target;
        int status;
    } cases[] = {
        {"192.168.1.10:8765", "", "GET", "/", 200},
        {"evil.example:8765", "", "GET", "/", 403},
        {"mypc:8765", "", "GET", "/", 200},
        {"MyPC.:8765", "", "GET", "/", 200},
        {"localhost:8765", "", "GET", "/nothing", 404},
        {"192.168.1.10", "", "GET", "/", 403},
        {"192.168.1.11:8765", "", "GET", "/", 403},
        {"[::ffff:192.168.1.10]:8765", "", "GET", "/", 200},
        {"192.168.1.10:8765", "http://evil.example", "POST", "/api/pair/request", 403},
        {"192.168.1.10:8765", "null", "POST", "/api/pair/request", 403},
        {"192.168.1.10:8765", "http://192.168.1.10:8765", "POST", "/api/pair/request", 202},
        {"192.168.1.10:8765", "http://evil.example", "GET", "/api/events", 403},
        {"192.168.1.10:8765", "http://evil.example", "GET", "/", 403},
        {"192.168.1.10:8765", "http://evil.example", "GET", "/api/state", 403},
        {"192.168.1.10:8765", "", "DELETE", "/", 405},
    };
    for (const Case& c : cases) {
        Harness h;
        h.host = c.host;
        h.origin = c.origin;
        EXPECT_EQ(c.status, h.send(c.method, c.target, "{}").status) << c.host << " " << c.origin << " " << c.target;
    }
    Harness h;
    h.origin = "";
    h.send("GET", "/");
    EXPECT_EQ(413, h.send("POST", "/api/pair", std::string(WebApi::kMaxBody + 1, ' ')).status);
    const WebResponse page = h.send("GET", "/");
    bool policy = false;
    for (const auto& header : page.headers)
        policy |= header.first == "Content-Security-Policy" && header.second == "default-src 'self'";
    EXPECT_TRUE(policy);
}

TEST(WebApi, ActionsAndTheirAnswers) {
    Harness h;
    const std::string token = h.pair();
    ASSERT_FALSE(token.empty());
    EXPECT_EQ(
        202,
        h.send("POST", "/api/action", "{\"action\":\"Volume\",\"params\":[\"=40\"]}", "192.168.1.20", token).status);
    EXPECT_EQ(L"Volume", h.backend.ran);
    EXPECT_EQ(std::vector<std::wstring>{L"=40"}, h.backend.ranParams);
    h.send("POST", "/api/action", "{\"action\":\"Rating\\t=60\\tx\"}", "192.168.1.20", token);
    EXPECT_EQ((std::vector<std::wstring>{L"=60", L"x"}), h.backend.ranParams);
    // A bad body is answered 400, naming its field where it has one.
    const auto tabs = [](int n) {
        std::string out;
        for (int i = 0; i < n; ++i)
            out += "\\tp";
        return out;
    };
    const struct {
        std::string body;
        int status;
        const char* field;
    } bodies[] = {
        {"", 400, ""},
        {"[]", 400, ""},
        {"{\"action\":3}", 400, "action"},
        {"{\"action\":\"\"}", 400, "action"},
        {"{\"action\":\"\\tx\"}", 400, "action"},
        {"{\"action\":\"A\",\"params\":[1]}", 400, "params"},
        {"{\"action\":\"A\\tx\",\"params\":[\"y\"]}", 400, "params"},
        {"{\"action\":\"A\",\"params\":" + nlohmann::json(std::vector<std::string>(16, "p")).dump() + "}", 202, ""},
        {"{\"action\":\"A\",\"params\":" + nlohmann::json(std::vector<std::string>(17, "p")).dump() + "}", 400,
         "params"},
        {"{\"action\":\"A" + tabs(16) + "\"}", 202, ""},
        {"{\"action\":\"A" + tabs(17) + "\"}", 400, "action"},
    };
    for (const auto& c : bodies) {
        const WebResponse answer = h.send("POST", "/api/action", c.body, "192.168.1.20", token);
        EXPECT_EQ(c.status, answer.status) << c.body;
        EXPECT_EQ(c.field, nlohmann::json::parse(answer.body).value("field", "")) << c.body;
    }
    // One place answers paths and methods no route has, before pairing is asked for.
    const WebResponse post = h.send("POST", "/api/state");
    EXPECT_EQ(405, post.status);
    EXPECT_NE(post.headers.end(), std::find(post.headers.begin(), post.headers.end(),
                                            std::pair<std::string, std::string>("Allow", "GET, HEAD")));
    EXPECT_EQ(404, h.send("GET", "/api/state/", "", "192.168.1.20", token).status);
    EXPECT_EQ(404, h.send("GET", "/api/stateX").status);
    const std::pair<WebBackend::ActionOutcome, int> outcomes[] = {{WebBackend::ActionOutcome::Unknown, 400},
                                                                  {WebBackend::ActionOutcome::Forbidden, 403},
                                                                  {WebBackend::ActionOutcome::Busy, 429},
                                                                  {WebBackend::ActionOutcome::PlayerNotRunning, 503}};
    for (const auto& outcome : outcomes) {
        h.backend.outcome = outcome.first;
        EXPECT_EQ(outcome.second, h.send("POST", "/api/action", "{\"action\":\"X\"}", "192.168.1.20", token).status);
    }
    EXPECT_TRUE(h.send("GET", "/api/events", "", "192.168.1.20", token).eventStream);
    // A paired phone's page loads count as a device's connection too, a stranger's not.
    EXPECT_TRUE(h.send("GET", "/", "", "192.168.1.20", token).paired);
    EXPECT_FALSE(h.send("GET", "/", "", "192.168.1.20", std::string(32, '0')).paired);
    const WebResponse head = h.send("HEAD", "/api/events", "", "192.168.1.20", token);
    EXPECT_EQ(405, head.status);
    EXPECT_FALSE(head.eventStream);
    EXPECT_EQ(404, h.send("GET", "/api/artwork", "", "192.168.1.20", token).status);
    EXPECT_EQ("ja", nlohmann::json::parse(h.send("GET", "/texts.json?lang=ja").body)["lang"]);
}

TEST(WebApi, LibraryRoutesReadTheirParametersByNameAndTellHowTheBrowseWent) {
    Harness h;
    const std::string token = h.pair();
    const auto send = [&](const char* method, const std::string& target, const std::string& body = "") {
        return h.send(method, target, body, "192.168.1.20", token);
    };
    const struct {
        const char* method;
        std::string target;
        std::string body;
        int status;
        const char* field;       // named in a 400
        const char* backendSaw;  // what the backend was asked, as JSON
    } cases[] = {
        {"GET", "/api/search?q=Jude", "", 200, "", R"({"field":0,"limit":20,"offset":0,"q":"Jude"})"},
        {"GET", "/api/search?q=Hey+J%C3%BCde&field=songs&offset=3&limit=50", "", 200, "",
         R"({"field":3,"limit":50,"offset":3,"q":"Hey Jüde"})"},
        {"GET", "/api/search?q=a&limit=51", "", 400, "limit", nullptr},
        {"GET", "/api/search?q=a&limit=0", "", 400, "limit", nullptr},
        {"GET", "/api/search?q=a&offset=-1", "", 400, "offset", nullptr},
        {"GET", "/api/search?q=a&offset=2x", "", 400, "offset", nullptr},
        {"GET", "/api/search?q=a&field=song", "", 400, "field", nullptr},
        {"GET", "/api/search?q=a&field=songsX", "", 400, "field", nullptr},
        {"GET", "/api/search?q=", "", 400, "q", nullptr},
        {"GET", "/api/search?q=" + std::string(257, 'a'), "", 400, "q", nullptr},
        {"GET", "/api/playlists/0123456789ABCDEF/tracks?limit=50", "", 200, "",
         R"({"id":"0123456789ABCDEF","limit":50,"offset":0})"},
        {"GET", "/api/playlists//tracks", "", 404, "", nullptr},
        {"GET", "/api/playlists/X/tracks/more", "", 404, "", nullptr},
        {"POST", "/api/play", R"({"playlist":"A","track":"B"})", 200, "", R"({"playlist":"A","track":"B"})"},
        {"POST", "/api/play", R"({"track":"B"})", 200, "", R"({"playlist":"","track":"B"})"},
        {"POST", "/api/play", R"({})", 400, "playlist", nullptr},
        {"POST", "/api/play", R"({"track":7})", 400, "track", nullptr},
        {"POST", "/api/position", R"({"seconds":86400})", 200, "", R"({"seconds":86400})"},
        {"POST", "/api/position", R"({"seconds":86401})", 400, "seconds", nullptr},
        {"POST", "/api/position", R"({"seconds":1.5})", 400, "seconds", nullptr},
        {"POST", "/api/position", R"({})", 400, "seconds", nullptr},
        {"GET", "/api/position", "", 405, "", nullptr},
    };
    for (const auto& c : cases) {
        h.backend.browsed = nullptr;
        const WebResponse answer = send(c.method, c.target, c.body);
        EXPECT_EQ(c.status, answer.status) << c.target << " " << c.body;
        if (c.status == 400) EXPECT_EQ(c.field, nlohmann::json::parse(answer.body).value("field", "")) << c.target;
        EXPECT_EQ(c.backendSaw ? nlohmann::json::parse(c.backendSaw) : nlohmann::json(), h.backend.browsed)
            << c.target << " " << c.body;
    }
    const std::pair<WebBackend::BrowseOutcome, int> outcomes[] = {{WebBackend::BrowseOutcome::NotFound, 404},
                                                                  {WebBackend::BrowseOutcome::PlayerNotRunning, 503},
                                                                  {WebBackend::BrowseOutcome::TimedOut, 504}};
    for (const auto& [outcome, status] : outcomes) {
        h.backend.browseOutcome = outcome;
        EXPECT_EQ(status, send("GET", "/api/playlists").status);
    }
    EXPECT_EQ(401, h.send("GET", "/api/playlists").status);
}

// Every route is in the API's description with its method, and the description
// has no path the program does not answer.
TEST(WebApi, TheDescriptionNamesEveryRoute) {
    std::ifstream file(std::string(KOLIBRIX_SOURCE_DIR) + "/docs/openapi.json");
    const nlohmann::json description = nlohmann::json::parse(file, nullptr, false);
    ASSERT_TRUE(description.is_object());
    std::set<std::string> described;
    for (const auto& [path, operations] : description["paths"].items())
        for (const auto& [method, operation] : operations.items())
            described.insert(method + " " + path);
    std::set<std::string> routed;
    for (const WebApi::Route& route : WebApi::routes())
        routed.insert((route.method == WebApi::Method::Post ? "post " : "get ") + std::string(route.pattern));
    EXPECT_EQ(routed, described);
}

TEST(RateLimiter, ASpentBucketIsNeverForgottenAndForgedRequestsSpendNone) {
    RateLimiter limiter(3, 10, 2);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(limiter.admit("a", 0));
    EXPECT_FALSE(limiter.admit("a", 0));
    EXPECT_TRUE(limiter.admit("b", 50));
    // Full of spent buckets: a newcomer waits rather than one being forgotten (and filled).
    EXPECT_FALSE(limiter.admit("c", 60));
    EXPECT_FALSE(limiter.admit("a", 60));
    // Once a's bucket is whole again it can go, and c gets its place.
    EXPECT_TRUE(limiter.admit("c", 300));
    RateLimiter refill(1, 10, 4);
    EXPECT_TRUE(refill.admit("a", 0));
    EXPECT_FALSE(refill.admit("a", 50));
    EXPECT_TRUE(refill.admit("a", 100));
    // Loopback is one group: 127.0.0.5 and 127.0.0.1 share a bucket, and a
    // cross-site page in the local browser spends none of it.
    Harness h(RateLimiter(3, 0.001, 16));
    WebRequest forged;
    forged.method = "GET";
    forged.target = "/api/state";
    forged.host = "localhost:8765";
    forged.secFetchSite = "cross-site";
    forged.peer = "127.0.0.1";
    int refused = 0;
    for (int i = 0; i < 50; ++i)
        h.api.handle(forged, 0, 0, [&](WebResponse r) { refused += r.status == 403; });
    EXPECT_EQ(50, refused);
    h.host = "localhost:8765";
    EXPECT_EQ(401, h.send("GET", "/api/state", "", "127.0.0.5").status);
    EXPECT_EQ(401, h.send("GET", "/api/state", "", "::ffff:127.0.0.7").status);
    EXPECT_EQ(401, h.send("GET", "/api/state", "", "::1").status);
    EXPECT_EQ(429, h.send("GET", "/api/state", "", "127.0.0.1").status);
    EXPECT_EQ(401, h.send("GET", "/api/state", "", "2001:db8::1").status);
}

namespace {

std::string headerOf(const WebResponse& response, const std::string& name) {
    for (const auto& header : response.headers)
        if (header.first == name) return header.second;
    return "-";
}

}  // namespace

TEST(WebAssets, ATagSparesTheBodyAndGzipGoesWhereTaken) {
    for (const char* name : {"index.html", "app.js", "app.css"}) {
        const WebAsset* asset = WebAssets::find(name);
        ASSERT_NE(asset, nullptr) << name;
        ASSERT_NE(asset->gzip, nullptr) << name;
        const unsigned char* end = asset->gzip + asset->gzipSize;
        ASSERT_EQ(std::memcmp(asset->gzip, "\x1f\x8b\x08", 3), 0) << name;
        EXPECT_EQ(end[-4] | end[-3] << 8 | end[-2] << 16 | static_cast<std::uint32_t>(end[-1]) << 24, asset->size);
    }
    const WebAsset& page = *WebAssets::find("index.html");
    const std::string plain = page.etag;
    const std::string zipped = plain.substr(0, plain.size() - 1) + "-gz\"";
    const struct {
        const char* acceptEncoding;
        std::string ifNoneMatch;
        int status;
        bool gzip;
    } cases[] = {
        {"gzip, deflate, br", "", 200, true},
        {"", "", 200, false},
        {"GZIP;q=0.5", "", 200, true},
        {"gzip;q=0", "", 200, false},
        {"gzip;q=0.001", "", 200, true},
        {"br, *;q=0", "", 200, false},
        {"xgzip, gzipx", "", 200, false},
        {"gzip", zipped, 304, true},
        {"gzip", "\"other\", W/" + zipped, 304, true},
        {"gzip", "*", 304, true},
        // The plain form's tag does not stand for the compressed one, nor back.
        {"gzip", plain, 200, true},
        {"", zipped, 200, false},
        {"", plain, 304, false},
        {"", plain.substr(0, plain.size() - 1), 200, false},
    };
    for (const auto& c : cases) {
        WebResponse response;
        WebAssets::answer(page, c.ifNoneMatch, c.acceptEncoding, response);
        const std::string label = std::string(c.acceptEncoding) + " / " + c.ifNoneMatch;
        EXPECT_EQ(response.status, c.status) << label;
        EXPECT_EQ(headerOf(response, "ETag"), c.gzip ? zipped : plain) << label;
        EXPECT_EQ(headerOf(response, "Content-Encoding"), c.gzip && c.status == 200 ? "gzip" : "-") << label;
        EXPECT_EQ(headerOf(response, "Vary"), "Accept-Encoding") << label;
        EXPECT_EQ(response.body.size(), c.status == 304 ? 0 : c.gzip ? page.gzipSize : page.size) << label;
    }
}

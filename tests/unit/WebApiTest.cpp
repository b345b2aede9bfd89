#include <gtest/gtest.h>

#include <cstring>

#include "web/PairingStore.h"
#include "web/RateLimiter.h"
#include "web/Sha256.h"
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
    bool artwork(std::string&, std::string&) override { return false; }
    nlohmann::json texts(const std::string& language) override { return {{"lang", language}}; }
    void showPairingCode(const std::string& code) override { shown = code; }

    ActionOutcome outcome = ActionOutcome::Queued;
    std::wstring ran;
    std::vector<std::wstring> ranParams;
    std::string shown;
};

struct Harness {
    Harness() : store(&countingRandom), api(backend, hosts(), store, RateLimiter(1000, 1000, 16)) {}
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
    std::string pair(const std::string& peer = "192.168.1.20") {
        send("POST", "/api/pair/request", "{}", peer);
        const WebResponse paired =
            send("POST", "/api/pair", "{\"code\":\"" + backend.shown + "\",\"name\":\"P\"}", peer);
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

TEST(WebApi, PairingGivesATokenOnceAndKeepsOnlyItsHash) {
    Harness h;
    EXPECT_EQ(401, h.send("GET", "/api/state").status);
    EXPECT_EQ(202, h.send("POST", "/api/pair/request", "").status);
    const std::string code = h.backend.shown;
    ASSERT_EQ(6u, code.size());
    // A second request shows the same code: the one being typed stays valid.
    h.send("POST", "/api/pair/request", "{}");
    EXPECT_EQ(code, h.backend.shown);
    const WebResponse paired = h.send("POST", "/api/pair", "{\"code\":\"" + code + "\",\"name\":\"Phone\\u0007\"}");
    ASSERT_EQ(200, paired.status);
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
    EXPECT_TRUE(h.store.takeChanged());
    EXPECT_EQ(403, h.send("POST", "/api/pair", "{\"code\":\"" + code + "\"}").status) << "single use";
    EXPECT_EQ(200, h.send("GET", "/api/state", "", "192.168.1.20", token).status);
    WebRequest cookieRequest;
    cookieRequest.cookie = "a=b; kx_token=" + token;
    EXPECT_EQ(token, WebApi::tokenOf(cookieRequest));
    // Two minutes later the code is void.
    h.send("POST", "/api/pair/request", "{}");
    h.nowMs += PairingStore::kCodeLifeMs;
    EXPECT_EQ(403, h.send("POST", "/api/pair", "{\"code\":\"" + h.backend.shown + "\"}").status);
}

TEST(WebApi, FiveWrongCodesLockTheAddressOutForFiveMinutes) {
    Harness h;
    h.send("POST", "/api/pair/request", "{}");
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(403, h.send("POST", "/api/pair", "{\"code\":\"999999x\"}", "10.0.0.9").status);
    EXPECT_EQ(429, h.send("POST", "/api/pair", "{\"code\":\"" + h.backend.shown + "\"}", "10.0.0.9").status);
    EXPECT_EQ(429, h.send("POST", "/api/pair/request", "{}", "10.0.0.9").status);
    // Others are not held to it, and the lock ends.
    EXPECT_FALSE(h.pair("10.0.0.8").empty());
    h.nowMs += PairingStore::kLockoutMs;
    EXPECT_FALSE(h.pair("10.0.0.9").empty());
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
        {"192.168.1.10:8765", "", "DELETE", "/", 405},
    };
    for (const Case& c : cases) {
        Harness h;
        h.host = c.host;
        h.origin = c.origin;
        EXPECT_EQ(c.status, h.send(c.method, c.target, "{}").status) << c.host << " " << c.origin << " " << c.target;
    }
    Harness h;
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
    for (const char* bad : {"", "[]", "{\"action\":3}", "{\"action\":\"\"}", "{\"action\":\"A\",\"params\":[1]}"})
        EXPECT_EQ(400, h.send("POST", "/api/action", bad, "192.168.1.20", token).status) << bad;
    const std::pair<WebBackend::ActionOutcome, int> outcomes[] = {{WebBackend::ActionOutcome::Unknown, 400},
                                                                  {WebBackend::ActionOutcome::Forbidden, 403},
                                                                  {WebBackend::ActionOutcome::Busy, 429},
                                                                  {WebBackend::ActionOutcome::PlayerNotRunning, 503}};
    for (const auto& outcome : outcomes) {
        h.backend.outcome = outcome.first;
        EXPECT_EQ(outcome.second, h.send("POST", "/api/action", "{\"action\":\"X\"}", "192.168.1.20", token).status);
    }
    EXPECT_TRUE(h.send("GET", "/api/events", "", "192.168.1.20", token).eventStream);
    EXPECT_EQ(404, h.send("GET", "/api/artwork", "", "192.168.1.20", token).status);
    EXPECT_EQ("ja", nlohmann::json::parse(h.send("GET", "/texts.json?lang=ja").body)["lang"]);
}

TEST(RateLimiter, AnEmptyBucketRefillsAndAddressesAreBounded) {
    RateLimiter limiter(3, 10, 2);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(limiter.admit("a", 0));
    EXPECT_FALSE(limiter.admit("a", 0));
    // A third address pushes the one seen longest ago out; the table never grows past two.
    EXPECT_TRUE(limiter.admit("b", 50));
    EXPECT_TRUE(limiter.admit("c", 60));
    EXPECT_TRUE(limiter.admit("a", 60)) << "forgotten, so full again";
    RateLimiter refill(1, 10, 4);
    EXPECT_TRUE(refill.admit("a", 0));
    EXPECT_FALSE(refill.admit("a", 50));
    EXPECT_TRUE(refill.admit("a", 100));
}

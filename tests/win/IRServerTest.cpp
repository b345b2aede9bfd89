#include <gtest/gtest.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <af_irda.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "NoticeRecorder.h"
#include "base/AppException.h"
#include "base/AppPaths.h"
#include "app/ZEvared.h"
#include "base/Util.h"
#include "config/Ini.h"
#include "config/Lang.h"
#include "input/IRServer.h"
#include "win/winsock/SocketCalls.h"

using namespace tavelapp;
using tavel::win::winsock::SocketCalls;

namespace {

using Bytes = std::string;

const Bytes kConnect("\x80\x00\x07\x10\x00\x04\x00", 7);
const Bytes kConnectReply("\xA0\x00\x07\x10\x00\x04\x00", 7);
const Bytes kSuccess("\xA0\x00\x03", 3);
const Bytes kDisconnect("\x81\x00\x03", 3);

Bytes finalPut(const std::string& text) {
    const std::size_t body = text.size() + 3, length = body + 3;
    Bytes out;
    out += '\x82';
    out += static_cast<char>(length >> 8);
    out += static_cast<char>(length & 0xFF);
    out += '\x49';
    out += static_cast<char>(body >> 8);
    out += static_cast<char>(body & 0xFF);
    return out + text;
}

struct Notice {
    std::string key;
    std::wstring text;
};

// A blocking loopback client; while it waits for the server it keeps the
// test's message loop (the server's thread) running.
class Peer {
public:
    explicit Peer(u_short port, const char* from = nullptr) {
        s_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (from) {
            sockaddr_in local{};
            local.sin_family = AF_INET;
            local.sin_addr.s_addr = ::inet_addr(from);
            ::bind(s_, reinterpret_cast<sockaddr*>(&local), sizeof(local));
        }
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = ::inet_addr("127.0.0.1");
        connected_ = ::connect(s_, reinterpret_cast<sockaddr*>(&to), sizeof(to)) == 0;
    }
    ~Peer() { close(); }
    void close() {
        if (s_ != INVALID_SOCKET) ::closesocket(s_);
        s_ = INVALID_SOCKET;
    }
    bool connected() const { return connected_; }
    void send(const Bytes& bytes) { ::send(s_, bytes.data(), static_cast<int>(bytes.size()), 0); }
    // Up to `size` bytes, or fewer when the server closes or the time is up.
    Bytes receive(std::size_t size, DWORD timeoutMs = 3000) {
        Bytes out;
        closedByServer_ = false;
        pumpUntil(
            [&] {
                fd_set set;
                FD_ZERO(&set);
                FD_SET(s_, &set);
                timeval none{0, 0};
                while (out.size() < size && ::select(0, &set, nullptr, nullptr, &none) == 1) {
                    char buffer[64];
                    const int n = ::recv(s_, buffer,
                                         static_cast<int>(std::min<std::size_t>(sizeof(buffer), size - out.size())), 0);
                    if (n <= 0) {
                        closedByServer_ = true;
                        return true;
                    }
                    out.append(buffer, n);
                }
                return out.size() >= size;
            },
            timeoutMs);
        return out;
    }
    bool closedByServer() const { return closedByServer_; }
    // One whole exchange: what the server answered to the request.
    Bytes ask(const Bytes& request, std::size_t replySize) {
        send(request);
        return receive(replySize);
    }

private:
    SOCKET s_ = INVALID_SOCKET;
    bool connected_ = false;
    bool closedByServer_ = false;
};

u_short freePort() {
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = ::inet_addr("127.0.0.1");
    ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof(a));
    int length = sizeof(a);
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &length);
    ::closesocket(s);
    return ntohs(a.sin_port);
}

// Passes every call to the system, except IrDA sockets (which it fakes and
// records) and the failures a test asks for.
struct RecordingCalls : SocketCalls {
    static const SOCKET kIrda = 0x7FF0;
    SOCKET socket(int family, int type, int protocol) override {
        if (family != AF_IRDA) return SocketCalls::socket(family, type, protocol);
        calls.push_back("socket " + std::to_string(type) + " " + std::to_string(protocol));
        return fail == "socket" ? INVALID_SOCKET : kIrda;
    }
    int setsockopt(SOCKET s, int level, int name, const char* value, int length) override {
        if (s != kIrda) return SocketCalls::setsockopt(s, level, name, value, length);
        calls.push_back("setsockopt " + std::to_string(level) + " " + std::to_string(name));
        option.assign(value, length);
        return fail == "setsockopt" ? SOCKET_ERROR : 0;
    }
    int bind(SOCKET s, const sockaddr* address, int length) override {
        if (s != kIrda) return SocketCalls::bind(s, address, length);
        calls.push_back("bind");
        boundTo.assign(reinterpret_cast<const char*>(address), length);
        return fail == "bind" ? SOCKET_ERROR : 0;
    }
    int listen(SOCKET s, int backlog) override {
        if (s != kIrda) return SocketCalls::listen(s, backlog);
        calls.push_back("listen " + std::to_string(backlog));
        return fail == "listen" ? SOCKET_ERROR : 0;
    }
    int asyncSelect(SOCKET s, HWND window, unsigned int message, long events) override {
        if (s != kIrda) return SocketCalls::asyncSelect(s, window, message, events);
        if (events != 0) calls.push_back("asyncSelect " + std::to_string(message) + " " + std::to_string(events));
        return 0;
    }
    int closesocket(SOCKET s) override {
        if (s != kIrda) return SocketCalls::closesocket(s);
        calls.push_back("closesocket");
        return 0;
    }
    int recv(SOCKET s, char* buffer, int length, int flags) override {
        if (failRecv != 0) {
            failedRecv = failRecv;
            failRecv = 0;
            return SOCKET_ERROR;
        }
        failedRecv = 0;
        return SocketCalls::recv(s, buffer, length, flags);
    }
    int lastError() override { return failedRecv != 0 ? failedRecv : SocketCalls::lastError(); }

    std::string fail;
    int failRecv = 0;  // the error the next recv fails with
    int failedRecv = 0;
    std::vector<std::string> calls;
    std::string option;
    std::string boundTo;
};

class IRServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
        saved = Ini::instance();
        Ini& settings = Ini::instance();
        settings.detail.soundEnabled = false;
        settings.irComKeys.clear();
        bind(1, L"IRTestFirst");
        bind(0, L"IRTestUp");
        bind(1, L"IRTestSecond");
        langFile = moduleFolder() + L"\\irserver-test.lng";
        std::ofstream(langFile.c_str(), std::ios::binary)
            << "[Error]\r\nIRComOpen=No infrared socket\r\nIRComRecv=Receive failed\r\nIRComBind=Bind refused\r\n"
               "IRComTcpAllow=Bad allow list\r\nIRComTcpBind=Port taken\r\nIRComTcpRecv=Network receive failed\r\n"
               "[Notification]\r\nActionDoesNotExist=%1%\r\nIRComTooManyLines=Only %1% lines\r\n";
        Lang::instance().setFiles(langFile, {});
        Util::setController(&recorder);
        options.irda = false;
        options.tcpPort = freePort();
    }
    void TearDown() override {
        SocketCalls::setCurrent(nullptr);
        Util::setController(nullptr);
        Ini::instance() = saved;
        Lang::instance().reload();
        ::DeleteFileW(langFile.c_str());
        ::WSACleanup();
    }
    void bind(std::uint32_t key, const std::wstring& action) { Ini::instance().irComKeys.push_back({key, action}); }
    std::vector<std::wstring> ranAfterPumping(std::size_t expected) {
        pumpUntil([&] { return recorder.ran().size() >= expected; }, 2000);
        pumpFor(50);
        return recorder.ran();
    }

    Ini saved{L""};
    std::wstring langFile;
    NoticeRecorder recorder;
    IRServer::Options options;
};

}  // namespace

TEST_F(IRServerTest, ObjectOverLoopbackRunsBindingsAndReferencesInOrder) {
    options.tcpAllowAllActions = true;
    IRServer server(options);
    ASSERT_TRUE(server.tcpListening());
    Peer peer(static_cast<u_short>(options.tcpPort));
    ASSERT_TRUE(peer.connected());

    // A packet in two reads with a pause between is answered once, after the second.
    peer.send(kConnect.substr(0, 4));
    EXPECT_EQ("", peer.receive(1, 300));
    EXPECT_EQ(kConnectReply, peer.ask(kConnect.substr(4), 7));
    EXPECT_EQ(kSuccess, peer.ask(finalPut("KEY:1\nRUN: IRTestRun \nKEY:\n"), 3));
    EXPECT_EQ(kSuccess, peer.ask(kDisconnect, 3));
    EXPECT_EQ((std::vector<std::wstring>{L"irtestfirst", L"irtestsecond", L"irtestrun", L"irtestup"}),
              ranAfterPumping(4));
}

TEST_F(IRServerTest, OnePeerAtATimeAndTheNextAfterAPause) {
    options.tcpAllowAllActions = true;
    IRServer server(options);
    const u_short port = static_cast<u_short>(options.tcpPort);
    auto first = std::make_unique<Peer>(port);
    ASSERT_EQ(kConnectReply, first->ask(kConnect, 7));

    Peer second(port);
    EXPECT_EQ("", second.ask(kConnect + finalPut("KEY:1\n"), 7));
    EXPECT_TRUE(second.closedByServer());

    first.reset();
    pumpUntil([&] { return !server.serving(); }, 2000);
    Peer tooSoon(port);
    EXPECT_EQ("", tooSoon.ask(kConnect, 7));
    EXPECT_TRUE(tooSoon.closedByServer());

    pumpFor(600);
    Peer later(port);
    EXPECT_EQ(kConnectReply, later.ask(kConnect, 7));
    EXPECT_EQ(kSuccess, later.ask(finalPut("KEY:0"), 3));
    EXPECT_EQ(std::vector<std::wstring>{L"irtestup"}, ranAfterPumping(1));
}

TEST_F(IRServerTest, PeersFromAddressesNotAllowedAreClosedUnread) {
    options.tcpAllow = L"127.0.0.2";
    options.tcpAllowAllActions = true;
    IRServer server(options);
    const u_short port = static_cast<u_short>(options.tcpPort);

    Peer stranger(port, "127.0.0.3");
    ASSERT_TRUE(stranger.connected());
    EXPECT_EQ("", stranger.ask(kConnect + finalPut("RUN:IRTestStranger\n"), 10));
    EXPECT_TRUE(stranger.closedByServer());
    // Refusing a stranger costs the allowed peer no pause.
    Peer friendly(port, "127.0.0.2");
    EXPECT_EQ(kConnectReply + kSuccess, friendly.ask(kConnect + finalPut("RUN:IRTestFriend\n"), 10));
    EXPECT_EQ(std::vector<std::wstring>{L"irtestfriend"}, ranAfterPumping(1));
}

TEST_F(IRServerTest, NetworkPeersRunHarmlessActionsUnlessAllowedAll) {
    {
        IRServer server(options);
        Peer peer(static_cast<u_short>(options.tcpPort));
        // Programs, dialogs and unknown actions are refused, named or bound to a key.
        EXPECT_EQ(kConnectReply + kSuccess,
                  peer.ask(kConnect + finalPut("RUN:RunScript\nRUN:ExitSystem\nRUN:IRTestOther\nKEY:0\n"), 10));
        EXPECT_EQ(std::vector<std::wstring>{}, ranAfterPumping(1));
    }
    recorder.clear();
    options.tcpAllowAllActions = true;
    IRServer server(options);
    Peer peer(static_cast<u_short>(options.tcpPort));
    EXPECT_EQ(kConnectReply + kSuccess, peer.ask(kConnect + finalPut("RUN:IRTestOther\nKEY:0\n"), 10));
    EXPECT_EQ((std::vector<std::wstring>{L"irtestother", L"irtestup"}), ranAfterPumping(2));
}

TEST_F(IRServerTest, BrokenOrSilentPeersAreLetGoAndTheNextIsServedAtOnce) {
    options.idleMs = 300;
    IRServer server(options);
    const u_short port = static_cast<u_short>(options.tcpPort);
    {
        Peer oversized(port);
        EXPECT_EQ(Bytes("\xCD\x00\x03", 3), oversized.ask(Bytes("\x82\x10\x00", 3), 10));
        EXPECT_TRUE(oversized.closedByServer());
    }
    {
        Peer lying(port);
        EXPECT_EQ(kConnectReply + Bytes("\xC0\x00\x03", 3),
                  lying.ask(kConnect + Bytes("\x82\x00\x08\x49\x00\x40KE", 8), 10));
        EXPECT_FALSE(lying.closedByServer());
        EXPECT_EQ(kSuccess, lying.ask(kDisconnect, 3));
    }
    pumpFor(600);
    {
        Peer silent(port);
        ASSERT_TRUE(silent.connected());
        EXPECT_EQ("", silent.receive(1, 1000));
        EXPECT_TRUE(silent.closedByServer());
    }
    Peer next(port);
    EXPECT_EQ(kConnectReply, next.ask(kConnect, 7));
    EXPECT_TRUE(recorder.ran().empty());
}

TEST_F(IRServerTest, ReceiveFailureWarnsClosesItsTransportAndListensAgainLater) {
    RecordingCalls calls;
    SocketCalls::setCurrent(&calls);
    options.irda = true;  // faked by the calls: it must keep listening
    options.closeRestartMs = 100;
    options.failureRestartMs = 400;
    IRServer server(options);
    const u_short port = static_cast<u_short>(options.tcpPort);
    const auto failOnce = [&](int error) {
        Peer peer(port);
        pumpUntil([&] { return server.serving(); }, 2000);
        calls.failRecv = error;
        peer.send(kConnect);
        EXPECT_EQ("", peer.receive(7, 1000));
        EXPECT_TRUE(peer.closedByServer());
    };
    // A peer that resets its connection is an ordinary end.
    failOnce(WSAECONNRESET);
    EXPECT_TRUE(recorder.notices().empty());
    EXPECT_TRUE(server.tcpListening());
    pumpFor(200);

    failOnce(WSAENETDOWN);
    ASSERT_EQ(1u, recorder.notices().size());
    EXPECT_EQ("IRServer_RecvError", recorder.notices()[0].key);
    EXPECT_EQ(L"Network receive failed", recorder.notices()[0].text);
    EXPECT_FALSE(server.tcpListening());
    EXPECT_TRUE(server.irdaListening());
    EXPECT_FALSE(Peer(port).connected());

    pumpUntil([&] { return server.tcpListening(); }, 2000);
    Peer again(port);
    EXPECT_EQ(kConnectReply, again.ask(kConnect, 7));
}

TEST_F(IRServerTest, AnObjectRunsItsFirstLinesOnlyAndAPeerHasAMinuteAtMost) {
    options.tcpAllowAllActions = true;
    options.idleMs = 10000;
    options.maxConnectionMs = 500;
    IRServer server(options);
    const u_short port = static_cast<u_short>(options.tcpPort);
    std::string lines;
    for (int i = 0; i < 40; ++i)
        lines += "KEY:0\r\n";
    {
        Peer peer(port);
        EXPECT_EQ(kConnectReply + kSuccess + kConnectReply + kSuccess,
                  peer.ask(kConnect + finalPut(lines) + kConnect + finalPut(lines), 20));
        EXPECT_EQ(std::vector<std::wstring>(2 * ObexSession::kMaxLines, L"irtestup"),
                  ranAfterPumping(2 * ObexSession::kMaxLines));
        // Told once for the connection, however many objects overflowed.
        EXPECT_EQ(1, recorder.count("IRServer_TooManyLines"));
        for (const NoticeRecorder::Notice& notice : recorder.notices())
            if (notice.key == "IRServer_TooManyLines") EXPECT_EQ(L"Only 16 lines", notice.text);

        // A peer that keeps trickling bytes is let go all the same.
        const Bytes slow = finalPut(std::string(100, 'x'));
        const DWORD start = ::GetTickCount();
        for (std::size_t i = 0; i < slow.size() && !peer.closedByServer(); ++i) {
            peer.send(slow.substr(i, 1));
            peer.receive(1, 100);
        }
        EXPECT_TRUE(peer.closedByServer());
        EXPECT_LT(::GetTickCount() - start, 3000u);
    }
    Peer next(port);
    EXPECT_EQ(kConnectReply, next.ask(kConnect, 7));
}

TEST_F(IRServerTest, IrdaStartSequenceRegistersTheObexService) {
    RecordingCalls calls;
    SocketCalls::setCurrent(&calls);
    options.irda = true;
    options.tcpPort = 0;
    {
        IRServer server(options);
        EXPECT_TRUE(server.irdaListening());
    }
    EXPECT_EQ((std::vector<std::string>{"socket 1 0", "asyncSelect 1025 63", "setsockopt 255 17", "bind", "listen 2",
                                        "closesocket"}),
              calls.calls);

    ASSERT_EQ(sizeof(IAS_SET), calls.option.size());
    IAS_SET ias;
    std::memcpy(&ias, calls.option.data(), sizeof(ias));
    EXPECT_STREQ("OBEX", ias.irdaClassName);
    EXPECT_STREQ("IrDA:TinyTP", ias.irdaAttribName);
    EXPECT_EQ(3u, ias.irdaAttribType);
    EXPECT_EQ(12, ias.irdaAttribute.irdaAttribUsrStr.Len);

    ASSERT_EQ(32u, calls.boundTo.size());
    std::string expected(32, '\0');
    expected[0] = 26;
    expected.replace(6, 4, "OBEX");
    EXPECT_EQ(expected, calls.boundTo);
}

TEST_F(IRServerTest, EachFailingIrdaStepHasItsKey) {
    const struct {
        const char* step;
        const wchar_t* key;
    } cases[] = {{"socket", L"IRComOpen"},
                 {"setsockopt", L"IRComSetSockOpt"},
                 {"bind", L"IRComBind"},
                 {"listen", L"IRComListen"}};
    options.irda = true;
    options.tcpPort = 0;
    for (const auto& c : cases) {
        RecordingCalls calls;
        calls.fail = c.step;
        SocketCalls::setCurrent(&calls);
        try {
            IRServer server(options);
            ADD_FAILURE() << c.step;
        } catch (const AppException& e) {
            EXPECT_EQ(c.key, e.messageKey) << c.step;
        }
        SocketCalls::setCurrent(nullptr);
        // Nothing is left open.
        const std::size_t opened = std::count(calls.calls.begin(), calls.calls.end(), "socket 1 0");
        const std::size_t closed = std::count(calls.calls.begin(), calls.calls.end(), "closesocket");
        EXPECT_EQ(c.step == std::string("socket") ? 0u : opened, closed) << c.step;
    }
}

TEST_F(IRServerTest, WithoutIrdaTheNetworkListenerRunsAndTheFailureIsToldOnce) {
    // This system has no IrDA, as most have none now.
    options.irda = true;
    {
        IRServer server(options);
        EXPECT_FALSE(server.irdaListening());
        EXPECT_TRUE(server.tcpListening());
        ASSERT_EQ(1u, recorder.notices().size());
        EXPECT_EQ("IRServer_InitError", recorder.notices()[0].key);
        EXPECT_EQ(L"No infrared socket", recorder.notices()[0].text);
        Peer peer(static_cast<u_short>(options.tcpPort));
        EXPECT_EQ(kConnectReply, peer.ask(kConnect, 7));
    }

    options.tcpPort = 0;
    try {
        IRServer server(options);
        ADD_FAILURE();
    } catch (const AppException& e) {
        EXPECT_EQ(L"IRComOpen", e.messageKey);
    }

    const struct {
        const wchar_t* allow;
        const wchar_t* address;
        const wchar_t* key;
    } bad[] = {{L"127.0.0.1 phone", L"127.0.0.1", L"IRComTcpAllow"}, {L"127.0.0.1", L"localhost", L"IRComTcpAddress"}};
    options.irda = false;
    options.tcpPort = freePort();
    for (const auto& c : bad) {
        options.tcpAllow = c.allow;
        options.tcpAddress = c.address;
        try {
            IRServer server(options);
            ADD_FAILURE();
        } catch (const AppException& e) {
            EXPECT_EQ(c.key, e.messageKey);
        }
    }

    // A port another socket holds.
    options.tcpAllow = L"127.0.0.1";
    options.tcpAddress = L"127.0.0.1";
    IRServer holder(options);
    try {
        IRServer server(options);
        ADD_FAILURE();
    } catch (const AppException& e) {
        EXPECT_EQ(L"IRComTcpBind", e.messageKey);
    }
}

TEST_F(IRServerTest, KeyNamesForTheBindingLists) {
    std::ofstream(langFile.c_str(), std::ios::binary) << "[Others]\r\nIRComKeyRight=Right\r\nIRComKeyShift=Shift\r\n";
    Lang::instance().setFiles(langFile, {});
    EXPECT_EQ(L"Shift + Right", IRServer::displayName(0x101));
    EXPECT_EQ(L"#", IRServer::displayName(16));
}

namespace {

struct ControllerOwner : ZEvared::ZEvaredListener {
    void showNotifyWnd(ZEvared&, const NotifyWndInfo& info) override { shown.push_back({info.messageKey, info.text}); }
    void onPluginChange0(ZEvared&) override {}
    void onPluginChange1(ZEvared&) override {}
    std::vector<Notice> shown;
};

class IRControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
        settingsFile = AppPaths::settingsFolder() + L"\\Option.ini";
    }
    void TearDown() override {
        ::DeleteFileW(settingsFile.c_str());
        Ini::instance() = Ini(settingsFile);
        ::WSACleanup();
    }
    // What the controller shows within a second of its start with these settings.
    std::vector<Notice> start(const std::string& settings, const std::function<void()>& whileRunning) {
        std::ofstream(settingsFile.c_str(), std::ios::binary) << settings;
        ControllerOwner owner;
        ZEvared controller;
        controller.setListener(&owner);
        pumpFor(500);
        whileRunning();
        controller.setListener(nullptr);
        return owner.shown;
    }
    std::wstring settingsFile;
};

bool socketWindowExists() { return ::FindWindowW(L"tavel_win_winsock_Winsock_EventHandlerWnd", nullptr) != nullptr; }

}  // namespace

TEST_F(IRControllerTest, TheControllerRunsTheServerOnlyWhenEnabled) {
    bool window = true;
    std::vector<Notice> shown = start("", [&] { window = socketWindowExists(); });
    EXPECT_FALSE(window);
    for (const Notice& n : shown)
        EXPECT_NE("IRServer_InitError", n.key);

    // No IrDA here and no network listener: the server fails and says why.
    shown = start("[IRCom]\r\nDisable=0\r\n", [&] { window = socketWindowExists(); });
    EXPECT_FALSE(window);
    ASSERT_EQ(1,
              std::count_if(shown.begin(), shown.end(), [](const Notice& n) { return n.key == "IRServer_InitError"; }));

    // With a network port the server runs there; the IrDA failure is told once.
    const u_short port = freePort();
    bool answered = false;
    shown = start("[IRCom]\r\nDisable=0\r\nTcpPort=" + std::to_string(port) + "\r\n", [&] {
        Peer peer(port);
        answered = peer.ask(kConnect, 7) == kConnectReply;
    });
    EXPECT_TRUE(answered);
    EXPECT_EQ(1,
              std::count_if(shown.begin(), shown.end(), [](const Notice& n) { return n.key == "IRServer_InitError"; }));
}

#include <gtest/gtest.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <memory>
#include <string>

#include "NoticeRecorder.h"
#include "WinTestSupport.h"
#include "base/Util.h"
#include "web/WebServer.h"

using namespace tavelapp;

namespace {

// An exclusive listener on a free loopback port, as a connection of the
// server before can hold the port after the options close.
SOCKET holdPort(u_short& port) {
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    const BOOL exclusive = TRUE;
    ::setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive), sizeof(exclusive));
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(port);
    at.sin_addr.s_addr = ::inet_addr("127.0.0.1");
    ::bind(s, reinterpret_cast<sockaddr*>(&at), sizeof(at));
    ::listen(s, 1);
    int size = sizeof(at);
    ::getsockname(s, reinterpret_cast<sockaddr*>(&at), &size);
    port = ntohs(at.sin_port);
    return s;
}

// Whether a connection to 127.0.0.1:port is taken within the time.
bool listens(u_short port, DWORD withinMs) {
    const DWORD start = ::GetTickCount();
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = ::inet_addr("127.0.0.1");
    for (bool taken = false; !taken; ::Sleep(100)) {
        SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        taken = ::connect(s, reinterpret_cast<sockaddr*>(&to), sizeof(to)) == 0;
        ::closesocket(s);
        if (!taken && ::GetTickCount() - start >= withinMs) return false;
    }
    return true;
}

}  // namespace

TEST(WebServerTest, APortStillHeldIsTriedAgainAndOneHeldTooLongIsTold) {
    WSADATA data;
    ASSERT_EQ(0, ::WSAStartup(MAKEWORD(2, 2), &data));
    NoticeRecorder recorder;
    Util::setController(&recorder);
    u_short port = 0;
    SOCKET holder = holdPort(port);
    WebServer::Options options;
    options.port = port;
    options.address = L"127.0.0.1";
    options.allow = L"127.0.0.0/8";
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    options.devicesPath = std::wstring(temp) + L"KolibrixWebServerTest.ini";
    {
        std::unique_ptr<WebServer> server;
        ASSERT_NO_THROW(server = std::make_unique<WebServer>(options));
        ::Sleep(1000);
        ::closesocket(holder);
        EXPECT_TRUE(listens(port, WebServer::kRebindMs)) << "once the port is free";
    }
    pumpFor(300);
    EXPECT_EQ(0, recorder.count("WebServer_InitError"));
    holder = holdPort(port);
    {
        WebServer server(options);
        // Notices reach the controller through the main thread's messages.
        EXPECT_TRUE(pumpUntil([&] { return recorder.count("WebServer_InitError") > 0; }, WebServer::kRebindMs + 3000));
        pumpFor(500);
        EXPECT_EQ(1, recorder.count("WebServer_InitError")) << "told once, after the retries";
    }
    ::closesocket(holder);
    Util::setController(nullptr);
    ::DeleteFileW(options.devicesPath.c_str());
    ::WSACleanup();
}

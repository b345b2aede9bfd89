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

// Whether the page comes back from 127.0.0.1:port within the time.
bool answers(u_short port, DWORD withinMs) {
    const DWORD start = ::GetTickCount();
    do {
        SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = ::inet_addr("127.0.0.1");
        const DWORD wait = 2000;
        ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&wait), sizeof(wait));
        if (::connect(s, reinterpret_cast<sockaddr*>(&to), sizeof(to)) == 0) {
            const std::string request = "GET / HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n\r\n";
            ::send(s, request.data(), static_cast<int>(request.size()), 0);
            char head[9] = {};
            const bool ok = ::recv(s, head, 9, MSG_WAITALL) == 9 && std::string(head, 9) == "HTTP/1.1 ";
            ::closesocket(s);
            if (ok) return true;
        } else {
            ::closesocket(s);
        }
        ::Sleep(100);
    } while (::GetTickCount() - start < withinMs);
    return false;
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
        EXPECT_TRUE(answers(port, WebServer::kRebindMs)) << "listens once the port is free";
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

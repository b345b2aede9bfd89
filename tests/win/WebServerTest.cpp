#include <gtest/gtest.h>
#include <winsock2.h>

#include <memory>
#include <string>

#include "NoticeRecorder.h"
#include "WinTestSupport.h"
#include "base/Util.h"
#include "web/WebServer.h"

using namespace tavelapp;

namespace {

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

// The server before (here one that still runs) holds the port exclusively
// for a while: the new one waits for it, and tells when it waited in vain.
TEST(WebServerTest, APortStillHeldIsTriedAgainAndOneHeldTooLongIsTold) {
    WSADATA data;
    ASSERT_EQ(0, ::WSAStartup(MAKEWORD(2, 2), &data));
    NoticeRecorder recorder;
    Util::setController(&recorder);
    WebServer::Options options;
    options.address = L"127.0.0.1";
    options.allow = L"127.0.0.0/8";
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    options.devicesPath = std::wstring(temp) + L"KolibrixWebServerTest.ini";
    auto before = std::make_unique<WebServer>(options);
    options.port = before->port();
    {
        std::unique_ptr<WebServer> server;
        ASSERT_NO_THROW(server = std::make_unique<WebServer>(options));
        ::Sleep(1000);
        before.reset();
        EXPECT_TRUE(listens(options.port, WebServer::kRebindMs)) << "once the port is free";
        pumpFor(300);
        EXPECT_EQ(0, recorder.count("WebServer_InitError"));
        before = std::move(server);
    }
    {
        WebServer server(options);
        // Notices reach the controller through the main thread's messages.
        EXPECT_TRUE(pumpUntil([&] { return recorder.count("WebServer_InitError") > 0; }, WebServer::kRebindMs + 3000));
        pumpFor(500);
        EXPECT_EQ(1, recorder.count("WebServer_InitError")) << "told once, after the retries";
    }
    before.reset();
    Util::setController(nullptr);
    ::DeleteFileW(options.devicesPath.c_str());
    ::WSACleanup();
}

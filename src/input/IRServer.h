#pragma once
#include <winsock2.h>

#include <cstdint>
#include <string>

#include "input/AddressFilter.h"
#include "input/ObexSession.h"
#include "win/timer/Timer.h"
#include "win/winsock/Winsock.h"

namespace tavelapp {

// The OBEX command server: a phone sends a small text object of "KEY:" and
// "RUN:" lines over infrared (IrDA) or TCP, and each line runs actions. One
// peer is served at a time, for a bounded time; everything runs on the main
// thread, and an object's actions reach the runner as one posted task.
class IRServer : public tavel::win::winsock::Winsock::Listener, public tavel::win::timer::Timer::Listener {
public:
    struct Options {
        bool irda = true;
        std::uint32_t tcpPort = 0;  // 0: no network listener
        std::wstring tcpAddress = L"127.0.0.1";
        std::wstring tcpAllow = L"127.0.0.0/8 ::1";
        bool tcpAllowAllActions = false;
        unsigned int closeRestartMs = 500;
        unsigned int failureRestartMs = 10000;
        // A peer that sends nothing for this long is let go, so others get their turn.
        unsigned int idleMs = 15000;
        // Nor may one that trickles bytes keep the server longer than this.
        unsigned int maxConnectionMs = 60000;
    };

    // Options from the settings. Throws AppException with the failing step's
    // key; when IrDA fails but the network listener runs, the IrDA failure is
    // told once and the server lives on.
    IRServer();
    explicit IRServer(const Options& options);
    ~IRServer() override;
    IRServer(const IRServer&) = delete;
    IRServer& operator=(const IRServer&) = delete;

    bool irdaListening() const { return irdaListener_.valid(); }
    bool tcpListening() const { return tcpListener_.valid(); }
    bool serving() const { return connection_.valid(); }

    // How a binding reads in the settings dialogs, e.g. "Shift + 5".
    static std::wstring displayName(std::uint32_t code);

    void onAccept(tavel::win::winsock::Winsock& winsock) override;
    void onConnect(tavel::win::winsock::Winsock&) override {}
    void onSend(tavel::win::winsock::Winsock&) override {}
    void onReceive(tavel::win::winsock::Winsock& winsock, SOCKET handle) override;
    void onClose(tavel::win::winsock::Winsock& winsock, SOCKET handle) override;
    void onResolve(tavel::win::winsock::Winsock&, bool, const std::vector<char>&) override {}
    void onTimer(tavel::win::timer::Timer& timer) override;

private:
    void start();
    void startIrda();
    void startTcp();
    void restart();
    void endPeer(unsigned int pauseMs);
    void receiveFailed();
    void runLines(const std::vector<std::string>& lines, std::size_t dropped);

    Options options_;
    tavel::win::winsock::Winsock irdaListener_;
    tavel::win::winsock::Winsock tcpListener_;
    tavel::win::winsock::Winsock connection_;
    bool peerFromNetwork_ = false;
    ObexSession session_;
    AddressFilter allowed_;
    tavel::win::winsock::Socket::Startup startup_;
    tavel::win::timer::Timer restartTimer_;
    tavel::win::timer::Timer idleTimer_;
    tavel::win::timer::Timer lifetimeTimer_;
    tavel::win::timer::Timer relistenTimer_;
    // Between a peer and the next one: newcomers are turned away meanwhile.
    bool pausing_ = false;
    // After a failure the failing transport's listener is closed and made again later.
    bool irdaClosed_ = false;
    bool tcpClosed_ = false;
    // The surplus of an object is told once per connection.
    bool toldDroppedLines_ = false;
};

}  // namespace tavelapp

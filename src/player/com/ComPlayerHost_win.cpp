#include <windows.h>

#include <memory>

#include "player/PlayerHost.h"
#include "player/com/ITunesCom.h"

namespace tavelapp {
namespace itunes {
namespace {

class ComConnection : public PlayerConnection {
public:
    explicit ComConnection(ITunesEventsListener* listener = nullptr) {
        com_.setListener(listener);
        // The observed connection is made on the main thread: one try, the
        // observation timer retries.
        com_.setSingleAttempt(listener != nullptr);
    }
    App& app() override { return *com_.app(); }
    bool connect() override { return com_.connect(); }
    void disconnect() override { com_.disconnect(); }
    bool connected() const override { return com_.connected(); }

private:
    ITunesCom com_;
};

// A long-lived worker's one connection, and the player it was made to.
struct KeptConnection {
    std::unique_ptr<ITunesCom> com;
    HWND window = nullptr;
    DWORD process = 0;
};
// A plain pointer: thread_local objects with destructors crash this runtime's
// thread exit. The worker frees it itself (releaseThreadConnection).
thread_local KeptConnection* keptHere = nullptr;

KeptConnection& keptConnection() {
    if (keptHere == nullptr) keptHere = new KeptConnection;
    return *keptHere;
}

HWND playerWindow(DWORD& process) {
    HWND window = ::FindWindowA("iTunes", nullptr);
    process = 0;
    if (window != nullptr) ::GetWindowThreadProcessId(window, &process);
    return window;
}

// Borrows the thread's kept connection; made again when the player quit and
// came back (another window, another process) since it was made.
class BorrowedConnection : public PlayerConnection {
public:
    App& app() override {
        KeptConnection& kept = keptConnection();
        DWORD process = 0;
        HWND window = playerWindow(process);
        if (kept.com && kept.com->connected() && (window != kept.window || process != kept.process)) {
            kept.com->disconnect();
        }
        if (!kept.com) kept.com = std::make_unique<ITunesCom>();
        const bool fresh = !kept.com->connected();
        App& app = *kept.com->app();
        // Started by this very call: the window is the one that came up.
        if (fresh) kept.window = playerWindow(kept.process);
        return app;
    }
    bool connect() override {
        try {
            app();
            return true;
        } catch (...) {
            return false;
        }
    }
    bool connected() const override { return keptHere != nullptr && keptHere->com && keptHere->com->connected(); }
};

class ComPlayerHost : public PlayerHost {
public:
    std::unique_ptr<PlayerConnection> open() override {
        if (keepsConnectionOnThisThread()) return std::make_unique<BorrowedConnection>();
        return std::make_unique<ComConnection>();
    }
    std::unique_ptr<PlayerConnection> openObserved(ITunesEventsListener* listener) override {
        return std::make_unique<ComConnection>(listener);
    }
    bool isRunning() override { return isITunesRunning(); }
    bool boot() override { return bootITunes(false); }
    bool quit() override { return quitITunes(); }
    bool isWindowVisible() override {
        HWND window = ::FindWindowA("iTunes", nullptr);
        return window != nullptr && ::IsWindowVisible(window);
    }
    void activateWindow() override {
        if (HWND window = ::FindWindowA("iTunes", nullptr)) {
            if (::IsIconic(window)) ::ShowWindow(window, SW_RESTORE);
            ::SetForegroundWindow(window);
        }
    }
    void minimizeWindow() override {
        HWND window = ::FindWindowA("iTunes", nullptr);
        if (window != nullptr && ::IsWindowVisible(window)) ::ShowWindow(window, SW_MINIMIZE);
    }
};

}  // namespace

void PlayerHost::releaseThreadConnection() {
    delete keptHere;
    keptHere = nullptr;
}

PlayerHost& platformPlayerHost() {
    static ComPlayerHost host;
    return host;
}

}  // namespace itunes
}  // namespace tavelapp

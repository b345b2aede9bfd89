#include <windows.h>

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

class ComPlayerHost : public PlayerHost {
public:
    std::unique_ptr<PlayerConnection> open() override { return std::make_unique<ComConnection>(); }
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

PlayerHost& platformPlayerHost() {
    static ComPlayerHost host;
    return host;
}

}  // namespace itunes
}  // namespace tavelapp

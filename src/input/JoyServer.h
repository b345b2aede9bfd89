#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>

#include "input/JoyListenThread.h"
#include "input/JoyRules.h"
#include "win/util/Window.h"

namespace tavelapp {

// Turns the chosen game controller's directions and buttons into action runs.
// Created and destroyed on the main thread; the bindings are looked up and
// handed to the runner on the listening thread. A controller plugged in later
// or back in is taken up without a restart; the controllers are listed again
// for that on a worker.
class JoyServer : public JoyListenThread::JoyListenThreadListener {
public:
    // A hidden top-level window: the system tells those of devices coming and
    // going, and DirectInput wants one for the cooperative level.
    class EventHandlerWnd : public tavel::win::util::Window {
    public:
        explicit EventHandlerWnd(JoyServer& server);

    protected:
        LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    private:
        JoyServer& server_;
    };

    // Throws AppException "JoyInitialize" without DirectInput and
    // "JoySetEventNotification" when the controller refuses notification. A
    // controller that is not attached leaves the server waiting for it.
    JoyServer();
    ~JoyServer();
    JoyServer(const JoyServer&) = delete;
    JoyServer& operator=(const JoyServer&) = delete;

    // Whether a controller is open and listened to.
    bool connected() const { return thread_ != nullptr; }
    HWND hwnd() const { return window_ ? window_->hwnd() : nullptr; }

    void onJoyEvent(JoyListenThread& thread, std::uint32_t code, bool pressed) override;
    void onJoyLost(JoyListenThread& thread) override;

private:
    // Opens the controller anew and listens to it; false when it is not there.
    bool connect();
    // Listens to the controller DInput has open; false when none is.
    bool listen();
    void onDeviceChange();
    // Lists the controllers again on a worker, then takes the wanted one up.
    void rescan();
    void scanned(DInput::Listing listing);

    std::unique_ptr<EventHandlerWnd> window_;
    bool initialized_ = false;
    GUID wanted_{};
    JoyRules::ShiftLayer shift_;
    std::shared_ptr<JoyListenThread> thread_;
    bool scanning_ = false;
    bool rescanWanted_ = false;  // a change came while a listing ran
    // Work posted to the main thread finds the server through this, or finds it gone.
    std::shared_ptr<JoyServer*> self_;
};

}  // namespace tavelapp

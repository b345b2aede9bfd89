#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "base/Thread.h"
#include "input/DInput.h"
#include "input/JoyRules.h"
#include "win/util/ComPtr.h"
#include "win/util/Handle.h"

namespace tavelapp {

// Waits for the open controller's change notifications and reports stick
// directions and buttons as key codes, on its own thread.
class JoyListenThread : public Thread {
public:
    class JoyListenThreadListener {
    public:
        // On the listening thread.
        virtual void onJoyEvent(JoyListenThread& thread, std::uint32_t code, bool pressed) = 0;
        // The device stopped answering and could not be taken back (pulled
        // out); on the listening thread, once.
        virtual void onJoyLost(JoyListenThread&) {}

    protected:
        ~JoyListenThreadListener() = default;
    };

    // Throws AppException "JoyInitialize" when no controller is open and
    // "JoySetEventNotification" when the device refuses the event.
    explicit JoyListenThread(JoyListenThreadListener* listener);
    // Stops the thread and lets the device's notification go.
    ~JoyListenThread() override;

    // Makes the thread read the device now (the set of devices changed).
    void wake();
    bool lost() const { return lost_.load(); }

protected:
    int run() override;

private:
    void readBuffer();
    bool reacquire();

    JoyListenThreadListener* listener_;
    tavel::win::util::ComPtr<IDirectInputDeviceW> device_;
    tavel::win::util::Handle event_;
    std::atomic<bool> running_{false};
    std::atomic<bool> stopping_{false};
    std::atomic<bool> lost_{false};
    JoyRules::ItemDecoder decoder_;
};

}  // namespace tavelapp

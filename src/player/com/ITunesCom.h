#pragma once
#include <windows.h>

#include <memory>

#include "player/PlayerInterface.h"
#include "win/util/ComPtr.h"

namespace tavelapp {

class ITunesEvents;

// The only way to the player: starts it when needed, creates its application
// object and, with a listener, receives its events on the connecting thread
// (which must run a message loop for them).
class ITunesCom {
public:
    ITunesCom() = default;
    ITunesCom(const ITunesCom&) = delete;
    ITunesCom& operator=(const ITunesCom&) = delete;
    virtual ~ITunesCom();

    void setListener(itunes::ITunesEventsListener* listener) { listener_ = listener; }
    // One attempt to create the application object, no waiting: for the
    // main thread, which must not sleep while the player shows a dialog.
    void setSingleAttempt(bool single) { singleAttempt_ = single; }
    // With a listener, true only when the events are advised too; a failed
    // advise leaves the connection closed, so the next attempt starts afresh.
    bool connect();
    void disconnect();
    bool connected() const { return static_cast<bool>(app_); }
    // Connects first when needed; throws the empty-key AppException when the
    // player cannot be reached.
    std::shared_ptr<itunes::App>& app();
    HRESULT adviseResult() const { return adviseResult_; }

    // How long connect waits: tries and the pause before each retry.
    struct Waits {
        int windowTries = 90;
        int createTries = 90;
        DWORD pauseMs = 2000;
    };
    static void setWaits(const Waits& waits);
    static Waits waits();
    // Waits ms between tries; false at once, now and later, once the program
    // said it is ending (stopWaiting), so no worker holds the exit up.
    static bool pause(DWORD ms);
    static void stopWaiting();

private:
    std::shared_ptr<itunes::App> app_;
    tavel::win::util::ComPtr<IDispatch> dispatch_;
    itunes::ITunesEventsListener* listener_ = nullptr;
    std::shared_ptr<ITunesEvents> sink_;
    HRESULT adviseResult_ = S_OK;
    bool singleAttempt_ = false;
};

// The player runs while its top-level window of class "iTunes" exists.
bool isITunesRunning();
// Starts the player from its "App Paths" entry; false when it is not installed
// or could not be started. True at once when it runs.
bool bootITunes(bool wait);
// Asks a running player to quit; never starts it. Always true.
bool quitITunes();

}  // namespace tavelapp

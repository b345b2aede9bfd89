#pragma once
#include <string>

#include "base/Picture.h"

namespace tavelapp {

class PlayerState;

// Reaches the one live controller. Workers never call it: what they report
// is queued (notifications) or handled on their own thread (changes of the
// player), and only the main thread hands it on.
class Util {
public:
    // What follows the player's changes, on the worker that detected them;
    // lives to the end of the process, so it needs no lock.
    class ChangeListener {
    public:
        virtual void onTrackChanged(const PlayerState&) {}
        virtual void onPlayerStateChanged(const PlayerState&) {}

    protected:
        ~ChangeListener() = default;
    };

    // The controller; called on the main thread only. Without a change
    // listener of its own (tests), the controller hears the changes too.
    class UtilListener : public ChangeListener {
    public:
        virtual void notify(const std::string& key, const std::wstring& text, const PicturePtr& picture, int kind) = 0;
        virtual void checkObservationSoon() = 0;
        virtual void restartWiimoteServer() = 0;
        virtual void showOption() = 0;
        virtual ~UtilListener() = default;
    };

    // Whether notifications are held back now (the player shows its visual
    // effects, which nothing may cover); handed in at start, from any thread.
    using QuietTest = bool (*)();
    static void setQuietTest(QuietTest test);

    // Queues a notification from any thread; the main thread hands the
    // queue to the controller in one drain (or drops it when none lives).
    static void notify(const std::string& key, const std::wstring& text, int kind);
    static void notify(const std::string& key, const std::wstring& text, const PicturePtr& picture, int kind);
    // How a drain is arranged once the queue is armed: the program hands in
    // a timer (requests of a short moment shown together); without one the
    // drain runs on the main thread at once. Any thread may call it.
    using DrainArm = void (*)();
    static void setDrainArm(DrainArm arm);
    // Main thread: hands every queued request to the controller.
    static void drainNotifications();

    // The change detector's reports; any thread, no lock.
    static void onTrackChanged(const PlayerState& state);
    static void onPlayerStateChanged(const PlayerState& state);
    static void setChangeListener(ChangeListener* listener);

    static void restartWiimoteServer();
    static void showOption();

    // A plain store on the main thread: nothing waits for workers.
    static void setController(UtilListener* controller);
    static bool hasController();
};

}  // namespace tavelapp

#pragma once
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "feature/EventActionIni.h"
#include "feature/ListenerList.h"

namespace tavelapp {

class PlayerState;

// Runs the configured action when playback comes to an end. Switched from the
// main thread and from actions; the player's changes reach it on the worker
// that detected them. Listeners may therefore be called on any thread.
class EventAction {
public:
    class EventActionListener {
    public:
        virtual void onStateChanged(EventAction& eventAction) = 0;

    protected:
        ~EventActionListener() = default;
    };

    // When to run.
    enum Method { TrackFinished = 0, PlayerStopped = 1, AlbumFinished = 2 };

    using Runner = std::function<void(const std::wstring& action)>;

    static EventAction& instance();
    EventAction(EventActionIni& settings, Runner runner);
    EventAction(const EventAction&) = delete;
    EventAction& operator=(const EventAction&) = delete;

    void start();
    void stop();
    bool isRunning() const { return running_; }
    void run();

    std::wstring action() const;
    // Stores the reference and tells every listener, also when it is the same.
    void setAction(const std::wstring& action);
    int method() const;
    void setMethod(int method);

    void addListener(EventActionListener* listener);
    // Returns once no listener call to it is under way on another thread.
    void removeListener(EventActionListener* listener);

    // The controller's rules. A change of track: the one-shot method runs once
    // and switches off, unless the program itself caused the change.
    void onTrackChanged(bool ownChange);
    // A change of the player's state (playing, stopped, ...).
    void onPlayerStateChanged(const PlayerState& state);

private:
    void setRunning(bool running);
    void tellListeners();

    EventActionIni& settings_;
    Runner runner_;
    std::atomic<bool> running_{false};
    mutable std::recursive_mutex lock_;  // the settings and the listener list
    ListenerList<EventActionListener> listeners_;
};

}  // namespace tavelapp

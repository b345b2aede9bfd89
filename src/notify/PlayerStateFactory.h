#pragma once
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "player/PlayerState.h"

namespace tavelapp {

class ActionPlugin;
class ActionPluginMgr;

// Owner of the player snapshots: captures a new one on request and keeps the
// one before it for change detection, plus a long-lived copy of the newest for
// readers that only want a recent value.
//
// Hold the factory lock around update() and around every read that must see
// the same snapshots (current(), previous(), changed()). latest() needs no
// lock: it hands out the newest snapshot itself, which never changes, so the
// main thread never waits behind a capture's player calls.
class PlayerStateFactory {
public:
    using StatePtr = std::shared_ptr<const PlayerState>;

    // The process-wide factory, created on first use over the plug-in manager's
    // plug-ins of that moment. It takes no capture then (the first use may be
    // on the main thread, which must not wait for the player): its snapshots
    // are empty until the first update, which counts nothing as changed.
    // Never destroyed.
    static PlayerStateFactory& instance();
    // The factory if it exists; never creates it.
    static PlayerStateFactory* instanceIfCreated();
    static bool exists() { return instanceIfCreated() != nullptr; }
    // Makes instance() answer with the given factory (null undoes it); for tests.
    static void install(PlayerStateFactory* factory);

    // Whether the clock timer, the countdown timer and the event action run:
    // features above this layer, asked through what the program hands in
    // (all off until then).
    struct TimerStates {
        bool clock = false;
        bool countdown = false;
        bool event = false;
    };
    using TimerStateSource = TimerStates (*)();
    static void setTimerStates(TimerStateSource source);

    // The process-wide factory lock; recursive.
    static void lock();
    static void unlock();
    class Guard {
    public:
        Guard() { lock(); }
        ~Guard() { unlock(); }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;
    };

    enum class Start {
        Captured,  // two captures at once
        Empty,     // no capture until the first update
    };
    // A factory over the manager's current plug-ins; the manager must outlive it.
    explicit PlayerStateFactory(ActionPluginMgr& manager, Start start = Start::Captured);
    PlayerStateFactory(const PlayerStateFactory&) = delete;
    PlayerStateFactory& operator=(const PlayerStateFactory&) = delete;

    // previous <- current, current <- a new capture, latest <- its fields.
    // The first update of an empty factory makes both snapshots the capture.
    void update();
    // Two updates: both snapshots fresh, so nothing counts as changed. Only
    // for the start, before any detection.
    void reset();
    // A capture for a reader that shows the state (the track or settings
    // notification): latest <- it, and the detector's pair stays as it is, so
    // a change made just before is still found by the detection that follows.
    StatePtr captureLatest();

    StatePtr current() const { return current_; }
    StatePtr previous() const { return previous_; }
    // The newest capture; safe from any thread without the factory lock.
    StatePtr latest() const;

    // Field differs between previous and current (exact text comparison).
    bool changed(int index) const;
    // Track id or play count differs, so replaying a track counts too.
    bool trackChanged() const;

    // Builds a snapshot without storing it.
    PlayerState capture() const;
    // Captures taken so far, for benchmarks.
    unsigned long captureCount() const { return captures_.load(); }
    // Whether the latest copy shows the player's visual effects; readable
    // without the lock, so nobody waits behind a capture just to ask.
    bool latestShowsVisuals() const { return latestVisuals_.load(); }

private:
    struct Source {
        std::shared_ptr<ActionPlugin> plugin;
        std::wstring name;  // GetName never changes; asked once
    };

    ActionPluginMgr& manager_;
    std::vector<Source> sources_;
    mutable std::mutex latestLock_;  // guards latest_ alone, held for a pointer copy
    StatePtr latest_;
    std::atomic<bool> latestVisuals_{false};
    StatePtr current_;
    StatePtr previous_;
    bool captured_ = false;  // under the factory lock
    mutable std::atomic<unsigned long> captures_{0};
};

}  // namespace tavelapp

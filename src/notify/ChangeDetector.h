#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "config/Ini.h"

namespace tavelapp {

class ActionPluginMgr;
class PlayerState;
class PlayerStateFactory;

// Compares a new player snapshot with the one before it and announces what
// the user chose to observe. Runs on worker threads; two detections never
// overlap because each holds the snapshot factory's lock throughout.
class ChangeDetector {
public:
    // The observation switches of section Notify.
    struct Switches {
        bool systemVolume = true, systemMute = true, volume = true, mute = true, shuffle = true, repeat = true,
             rating = true, playerState = true, eq = true, visuals = true;
        static Switches fromSettings(const Ini::Item::Notify& n);
    };

    struct Decision {
        // Notification keys in the order they are raised.
        std::vector<std::string> keys;
        // The player quit, started or was swapped for another: nothing but
        // the system volume and mute was looked at.
        bool stopped = false;
        bool trackChanged = false;
        bool playerStateChanged = false;  // any change of the state field, fast-forward too
        bool lampsChanged = false;        // repeat, shuffle, EQ or mute: the remote's lamps show them
    };

    // The rules, over two snapshots. withinFiveSeconds: an action of ours ran
    // lately, so settings changes are its doing and worth announcing.
    // targetName / targetRunning: the action target's GetName and
    // IsPlayerRunning (no target: any name, not running).
    static Decision decide(const PlayerState& previous, const PlayerState& current, const Switches& switches,
                           bool withinFiveSeconds, const std::wstring& targetName, bool targetRunning);

    // Whether a dispatch at `lastDispatchTime` is less than 5000 ms before
    // `now`, both tick counts; correct across the 49.7-day wrap.
    static bool dispatchedRecently(std::uint32_t lastDispatchTime, std::uint32_t now);

    // Captures a snapshot with the process-wide factory, raises the
    // notifications through Util::notify and tells the controller of a new
    // track or player state.
    static void detectChanges();
    // The same over a given factory and plug-in manager. A detection asked
    // for while another one still waits to capture is dropped: that one
    // captures later, so it sees this change too.
    static void detectChanges(PlayerStateFactory& factory, ActionPluginMgr& manager);

    // Who shows the lamps (the Wii remote's, a layer above): told of every
    // snapshot whose lamp fields changed. Handed in at start.
    using LampsListener = void (*)(const PlayerState& state);
    static void setLampsListener(LampsListener listener);
    // Who follows every snapshot a detection takes, changed or not (the web
    // remote's pages, a layer above). Handed in at start.
    using SnapshotListener = void (*)(const std::shared_ptr<const PlayerState>& state);
    static void setSnapshotListener(SnapshotListener listener);
    // Hands a snapshot taken outside a detection (the empty one of a player
    // that went) to the same follower, so it never keeps an older one.
    static void publish(const std::shared_ptr<const PlayerState>& state);

    // How the end of an action and each player event ask for a detection:
    // the requests of a short moment (an action and the events its change
    // raises) are served by one capture on a worker. Off Windows at once.
    static void requestSoon();
    // The moment, in milliseconds.
    static const unsigned int kGatherMs = 60;
    // Detections dropped as already served, and whether one waits to capture.
    static unsigned long dropped();
    static bool detectionWaiting();
};

// The change detection as actions and threads call it.
inline void detectChanges() { ChangeDetector::detectChanges(); }

}  // namespace tavelapp

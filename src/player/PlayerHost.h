#pragma once
#include <functional>
#include <memory>

#include "player/PlayerInterface.h"

namespace tavelapp {
namespace itunes {

// One thread's connection to the player; connects on first use.
class PlayerConnection {
public:
    virtual ~PlayerConnection() = default;
    // Starts the player when it does not run; throws the empty-key
    // AppException when it cannot be reached.
    virtual App& app() = 0;
    // Explicit control, for the observation connection.
    virtual bool connect();
    virtual void disconnect() {}
    virtual bool connected() const { return false; }
};

// Where actions find the player and its window. On Windows the player over
// COM; tests install the in-memory model.
class PlayerHost {
public:
    virtual ~PlayerHost() = default;
    virtual std::unique_ptr<PlayerConnection> open() = 0;
    // A connection that also reports the player's events to the listener once
    // connected (on the connecting thread's message loop, on Windows).
    virtual std::unique_ptr<PlayerConnection> openObserved(ITunesEventsListener* listener);
    // The player's top-level window exists.
    virtual bool isRunning() = 0;
    virtual bool isWindowVisible() = 0;
    virtual void activateWindow() = 0;
    virtual void minimizeWindow() = 0;
    // Starts the player (true at once when it runs; false when it cannot be started).
    virtual bool boot();
    // Asks a running player to quit; never starts it.
    virtual bool quit();
    // Whether the player runs and takes a new connection now: one try, never
    // starting it. For workers; the main thread asks with probe().
    virtual bool answersNow();
    // Whether a running player takes a new connection, asked where a player
    // that shows a dialog cannot hold the caller: the answer reaches `answer`
    // on the main thread (not at all when the program ends first). Never
    // starts the player. By default asked at once, for hosts that never block.
    virtual void probe(std::function<void(bool)> answer);

    static PlayerHost& instance();
    // Replaces the platform's host (null restores it); for tests.
    static void install(PlayerHost* host);

    // On a long-lived worker, open() hands out the thread's one connection,
    // made again only when the player's window (or its process) changed.
    static void keepConnectionOnThisThread(bool keep);
    static bool keepsConnectionOnThisThread();
    // Drops the thread's kept connection (on that thread).
    static void releaseThreadConnection();
};

// The platform's own host (COM on Windows; an unreachable player elsewhere).
PlayerHost& platformPlayerHost();

}  // namespace itunes
}  // namespace tavelapp

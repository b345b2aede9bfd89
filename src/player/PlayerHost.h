#pragma once
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
};

// Where actions find the player and its window. On Windows the player over
// COM; tests install the in-memory model.
class PlayerHost {
public:
    virtual ~PlayerHost() = default;
    virtual std::unique_ptr<PlayerConnection> open() = 0;
    // The player's top-level window exists.
    virtual bool isRunning() = 0;
    virtual bool isWindowVisible() = 0;
    virtual void activateWindow() = 0;
    virtual void minimizeWindow() = 0;

    static PlayerHost& instance();
    // Replaces the platform's host (null restores it); for tests.
    static void install(PlayerHost* host);
};

// The platform's own host (COM on Windows; an unreachable player elsewhere).
PlayerHost& platformPlayerHost();

}  // namespace itunes
}  // namespace tavelapp

#pragma once
#include <atomic>

namespace tavelapp {

// Interrupt play's state that other features need to see: the mark that the
// program itself has just made the player change track, so that change is
// not taken for one made by the player.
class InterruptPlay {
public:
    static InterruptPlay& instance();

    // Set right after the program sent the player a play command.
    void markOwnChange() { ownChange_ = true; }
    // Called once per track change: whether that change was our own; the
    // mark covers exactly one change.
    bool takeOwnChange() { return ownChange_.exchange(false); }
    bool ownChange() const { return ownChange_; }

private:
    // Set by the thread that sent the command, taken by the one that saw the change.
    std::atomic<bool> ownChange_{false};
};

}  // namespace tavelapp

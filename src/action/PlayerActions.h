#pragma once
#include "action/PlayerAction.h"

namespace tavelapp {
namespace action {

// Transport, track, setting and window commands of the player. Each is named
// like its action; parameters as the player plug-in's actions take them.

class Play : public PlayerAction {
public:
    using PlayerAction::PlayerAction;

protected:
    void runOn(itunes::App& app) override;
};

class Pause : public PlayerAction {
public:
    using PlayerAction::PlayerAction;

protected:
    void runOn(itunes::App& app) override;
};

class FastForward : public PlayerAction {
public:
    using PlayerAction::PlayerAction;

protected:
    void runOn(itunes::App& app) override;
};

class PlayPause : public PlayerAction {
public:
    using PlayerAction::PlayerAction;

protected:
    void runOn(itunes::App& app) override;
};

class Rewind : public PlayerAction {
public:
    using PlayerAction::PlayerAction;

protected:
    void runOn(itunes::App& app) override;
};

class Stop : public PlayerAction {
public:
    using PlayerAction::PlayerAction;

protected:
    void runOn(itunes::App& app) override;
};

class Resume : public PlayerAction {
public:
    using PlayerAction::PlayerAction;

protected:
    void runOn(itunes::App& app) override;
};

class BackTrack : public PlayerAction {
public:
    using PlayerAction::PlayerAction;

protected:
    void runOn(itunes::App& app) override;
};

class PrevTrack : public PlayerAction {
public:
    using PlayerAction::PlayerAction;

protected:
    void runOn(itunes::App& app) override;
};

class NextTrack : public PlayerAction {
public:
    using PlayerAction::PlayerAction;

protected:
    void runOn(itunes::App& app) override;
};

class PlayFirstTrack : public PlayerAction {
public:
    using PlayerAction::PlayerAction;

protected:
    void runOn(itunes::App& app) override;
};

class PlayLastTrack : public PlayerAction {
public:
    using PlayerAction::PlayerAction;

protected:
    void runOn(itunes::App& app) override;
};

class Reshuffle : public PlayerAction {
public:
    using PlayerAction::PlayerAction;

protected:
    void runOn(itunes::App& app) override;
};

class Boot : public PlayerAction {
public:
    using PlayerAction::PlayerAction;

protected:
    void runOn(itunes::App& app) override;
};

class MiniPlayer : public PlayerAction {
public:
    using PlayerAction::PlayerAction;

protected:
    void runOn(itunes::App& app) override;
};

class Mute : public PlayerAction {
public:
    using PlayerAction::PlayerAction;

protected:
    void runOn(itunes::App& app) override;
};

// Only a running player is quit; a stopped one is never started for that.
class Quit : public PlayerAction {
public:
    using PlayerAction::PlayerAction;

protected:
    void perform() override;
    void runOn(itunes::App& app) override;
};

// Quits a running player, else starts it and shows its window.
class BootQuit : public PlayerAction {
public:
    using PlayerAction::PlayerAction;

protected:
    void perform() override;
    void runOn(itunes::App& app) override;
};

class Rating : public PlayerAction {
public:
    using PlayerAction::PlayerAction;

protected:
    void runOn(itunes::App& app) override;
};

class Repeat : public PlayerAction {
public:
    using PlayerAction::PlayerAction;

protected:
    void runOn(itunes::App& app) override;
};

class Shuffle : public PlayerAction {
public:
    using PlayerAction::PlayerAction;

protected:
    void runOn(itunes::App& app) override;
};

class EQ : public PlayerAction {
public:
    using PlayerAction::PlayerAction;

protected:
    void runOn(itunes::App& app) override;
};

class Visuals : public PlayerAction {
public:
    using PlayerAction::PlayerAction;

protected:
    void runOn(itunes::App& app) override;
};

class Volume : public PlayerAction {
public:
    using PlayerAction::PlayerAction;

protected:
    void runOn(itunes::App& app) override;
};

// "Minimize" works on the player's window alone and never starts the player.
class BrowserWindow : public PlayerAction {
public:
    using PlayerAction::PlayerAction;

protected:
    void perform() override;
    void runOn(itunes::App& app) override;
};

}  // namespace action
}  // namespace tavelapp

#pragma once
#include "action/PlayerAction.h"

namespace tavelapp {
namespace action {

// Album and artist navigation works on runs of equal texts in the current
// playlist's play order; playlist navigation on the library's playlists in
// display order.

// Plays the first track of the run before the current track's run.
class PrevAlbum : public PlayerAction {
public:
    using PlayerAction::PlayerAction;

protected:
    void runOn(itunes::App& app) override;
};

class PrevArtist : public PlayerAction {
public:
    using PlayerAction::PlayerAction;

protected:
    void runOn(itunes::App& app) override;
};

// Plays the first track after the current run; stops when the playlist has none.
class NextAlbum : public PlayerAction {
public:
    using PlayerAction::PlayerAction;

protected:
    void runOn(itunes::App& app) override;
};

class NextArtist : public PlayerAction {
public:
    using PlayerAction::PlayerAction;

protected:
    void runOn(itunes::App& app) override;
};

class PrevPlaylist : public PlayerAction {
public:
    using PlayerAction::PlayerAction;

protected:
    void runOn(itunes::App& app) override;
};

class NextPlaylist : public PlayerAction {
public:
    using PlayerAction::PlayerAction;

protected:
    void runOn(itunes::App& app) override;
};

}  // namespace action
}  // namespace tavelapp

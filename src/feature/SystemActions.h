#pragma once
#include <string>
#include <vector>

#include "action/Action.h"

namespace tavelapp {
namespace action {

// Shows the countdown and returns: the action lock is not held while the
// user decides. Leaves the player state alone, so no change notification follows it.
class ExitSystem : public ITunesAction {
public:
    ExitSystem(ActionListItemPtr entry, std::vector<std::wstring> params)
        : ITunesAction(std::move(entry), std::move(params), 0) {}

protected:
    int run() override;
};

// "+N", "-N" or "=N" percent of the master volume.
class SystemVolume : public ITunesAction {
public:
    SystemVolume(ActionListItemPtr entry, std::vector<std::wstring> params)
        : ITunesAction(std::move(entry), std::move(params), 1) {}

protected:
    int run() override;
};

// "On", "Off" or a toggle of the master mute.
class SystemMute : public ITunesAction {
public:
    SystemMute(ActionListItemPtr entry, std::vector<std::wstring> params)
        : ITunesAction(std::move(entry), std::move(params), 1) {}

protected:
    int run() override;
};

}  // namespace action
}  // namespace tavelapp

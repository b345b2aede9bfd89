#pragma once
#include <string>
#include <vector>

#include "action/Action.h"

namespace tavelapp {
namespace action {

// The exit-system countdown and the master mixer do not exist yet: these
// actions are registered so that bindings to them stay valid, and do nothing
// until then.

// Leaves the player state alone, so no change notification follows it.
class ExitSystem : public ITunesAction {
public:
    ExitSystem(ActionListItemPtr entry, std::vector<std::wstring> params)
        : ITunesAction(std::move(entry), std::move(params), 0) {}

protected:
    int run() override { return 0; }
};

class SystemVolume : public ITunesAction {
public:
    SystemVolume(ActionListItemPtr entry, std::vector<std::wstring> params)
        : ITunesAction(std::move(entry), std::move(params), 1) {}

protected:
    int run() override { return 0; }
};

class SystemMute : public ITunesAction {
public:
    SystemMute(ActionListItemPtr entry, std::vector<std::wstring> params)
        : ITunesAction(std::move(entry), std::move(params), 1) {}

protected:
    int run() override { return 0; }
};

}  // namespace action
}  // namespace tavelapp

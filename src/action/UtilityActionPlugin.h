#pragma once
#include "action/ActionPlugin.h"

namespace tavelapp {

// A built-in plug-in that is no player: its actions are always available,
// never player actions, and it has no player to run or observe.
class UtilityActionPlugin : public ActionPlugin {
public:
    std::wstring GetTargetName() override { return L""; }
    bool IsActionAvailable(const std::wstring&) override { return true; }
    bool IsPlayerAction(const std::wstring&) override { return false; }
    bool IsUtility() override { return true; }
    bool IsPlayerRunning() override { return false; }
    bool GetCurrentPlayerState(std::wostream&) override { return false; }
    bool StartObservation() override { return false; }
    bool EndObservation() override { return false; }
    bool IsObserving() override { return false; }
};

}  // namespace tavelapp

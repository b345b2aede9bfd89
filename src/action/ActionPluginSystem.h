#pragma once
#include "action/ActionPlugin.h"

namespace tavelapp {

// Shut-down and the system volume.
class ActionPluginSystem : public ActionPlugin {
public:
    std::wstring GetName() override { return L"Utility/System"; }
    std::wstring GetTargetName() override { return L""; }
    bool ActionExists(const std::wstring& name) override;
    bool IsActionAvailable(const std::wstring&) override { return true; }
    bool IsPlayerAction(const std::wstring&) override { return false; }
    int RunAction(const ActionListItemPtr& entry, const std::wstring& name,
                  const std::vector<std::wstring>& params) override;
    bool IsUtility() override { return true; }
    bool IsPlayerRunning() override { return false; }
    bool GetCurrentPlayerState(std::wostream&) override { return false; }
    bool StartObservation() override { return false; }
    bool EndObservation() override { return false; }
    bool IsObserving() override { return false; }
};

}  // namespace tavelapp

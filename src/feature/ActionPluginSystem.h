#pragma once
#include "action/UtilityActionPlugin.h"

namespace tavelapp {

// Shut-down and the system volume.
class ActionPluginSystem : public UtilityActionPlugin {
public:
    std::wstring GetName() override { return L"Utility/System"; }
    bool ActionExists(const std::wstring& name) override;
    int RunAction(const ActionListItemPtr& entry, const std::wstring& name,
                  const std::vector<std::wstring>& params) override;
};

}  // namespace tavelapp

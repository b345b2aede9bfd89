#pragma once
#include "action/UtilityActionPlugin.h"

namespace tavelapp {

// The utility's own commands and features.
class ActionPluginKolibrix : public UtilityActionPlugin {
public:
    std::wstring GetName() override { return L"Utility/Kolibrix"; }
    bool ActionExists(const std::wstring& name) override;
    int RunAction(const ActionListItemPtr& entry, const std::wstring& name,
                  const std::vector<std::wstring>& params) override;

    // The commands that run at once on the calling thread, in look-up order.
    static const wchar_t* const kCommands[10];
};

}  // namespace tavelapp

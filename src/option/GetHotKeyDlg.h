#pragma once
#include <windows.h>

#include <string>

#include "config/Ini.h"
#include "feature/ActionChoice.h"
#include "feature/ModalDialog.h"
#include "option/DlgItemSyncer.h"

namespace tavelapp {

// Edits one hot-key binding: the action and the keys, captured in the
// system's hot-key field.
class GetHotKeyDlg : public ModalDialog {
public:
    GetHotKeyDlg(Ini::HotKey& binding, bool add);
    // IDOK with the binding stored, or IDCANCEL.
    INT_PTR show(HWND owner);

protected:
    void onInit() override;
    bool onCommand(WORD id, WORD code) override;

private:
    void ok();

    Ini::HotKey& binding_;
    bool add_;
    DlgItemSyncer syncer_;
    ActionChoice actions_;
};

// The description under a capture dialog's action drop-down.
void showActionDescription(HWND dialog, const ActionChoice& actions);
// The chosen action's ID as its list writes it; empty when none is chosen.
std::wstring chosenAction(HWND combo, const ActionChoice& actions);
// Stores the chosen action into a setting unless it names the same entry
// already (its spelling stays); no choice leaves the setting as it is.
void storeChoice(std::wstring& setting, HWND combo, const ActionChoice& actions);

}  // namespace tavelapp

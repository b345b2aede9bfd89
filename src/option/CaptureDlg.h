#pragma once
#include <windows.h>

#include <string>

#include "feature/ActionChoice.h"
#include "feature/ModalDialog.h"
#include "option/DlgItemSyncer.h"

namespace tavelapp {

// What every binding capture dialog shares: the title for adding or editing,
// the action drop-down with its description and chooser menu, and OK only
// with an action chosen. Works on the binding's action; the input is the
// derived dialog's.
class CaptureDlg : public ModalDialog {
public:
    // IDOK with the binding stored, or IDCANCEL.
    INT_PTR show(HWND owner);

protected:
    CaptureDlg(const wchar_t* section, int templateId, std::wstring& action, bool add);

    // The input's controls, after the action's.
    virtual void onInitInput() = 0;
    // OK with an action chosen: stores the input, or answers false to stay open.
    virtual bool storeInput() = 0;
    virtual bool onInputCommand(WORD, WORD) { return false; }
    virtual void onCancel() {}

    bool adding() const { return add_; }
    DlgItemSyncer syncer_;

private:
    void onInit() override;
    bool onCommand(WORD id, WORD code) override;
    void ok();

    int templateId_;
    std::wstring& action_;
    bool add_;
    ActionChoice actions_;
};

// The chosen action's ID as its list writes it; empty when none is chosen.
std::wstring chosenAction(HWND combo, const ActionChoice& actions);
// Stores the chosen action into a setting unless it names the same entry
// already (its spelling stays); no choice leaves the setting as it is.
void storeChoice(std::wstring& setting, HWND combo, const ActionChoice& actions);

}  // namespace tavelapp

#pragma once
#include <windows.h>

#include "config/Ini.h"
#include "feature/ActionChoice.h"
#include "feature/ModalDialog.h"
#include "option/DlgItemSyncer.h"

namespace tavelapp {

// Edits one infrared binding: the action and a key of the phone's pad, with
// or without its shift key.
class GetIRComKeyDlg : public ModalDialog {
public:
    GetIRComKeyDlg(Ini::Item::IRCom::Key& binding, bool add);
    INT_PTR show(HWND owner);

protected:
    void onInit() override;
    bool onCommand(WORD id, WORD code) override;

private:
    void ok();

    Ini::Item::IRCom::Key& binding_;
    bool add_;
    DlgItemSyncer syncer_;
    ActionChoice actions_;
};

}  // namespace tavelapp

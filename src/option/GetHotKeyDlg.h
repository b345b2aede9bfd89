#pragma once
#include "config/Ini.h"
#include "option/CaptureDlg.h"

namespace tavelapp {

// Edits one hot-key binding: the action and the keys, captured in the
// system's hot-key field.
class GetHotKeyDlg : public CaptureDlg {
public:
    GetHotKeyDlg(Ini::HotKey& binding, bool add);

protected:
    void onInitInput() override;
    bool storeInput() override;
    bool onInputCommand(WORD id, WORD code) override;

private:
    Ini::HotKey& binding_;
};

}  // namespace tavelapp

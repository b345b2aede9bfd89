#pragma once
#include "config/Ini.h"
#include "option/CaptureDlg.h"

namespace tavelapp {

// Edits one infrared binding: the action and a key of the phone's pad, with
// or without its shift key.
class GetIRComKeyDlg : public CaptureDlg {
public:
    GetIRComKeyDlg(Ini::Key& binding, bool add);

protected:
    void onInitInput() override;
    bool storeInput() override;

private:
    Ini::Key& binding_;
};

}  // namespace tavelapp

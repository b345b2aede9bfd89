#pragma once
#include "feature/ActionChoice.h"
#include "option/OptionPage.h"

namespace tavelapp {

// The player link, the action sound, the backups and the actions of the tray
// icon, of the start and of the end.
class OptionDetailPage : public OptionPage {
public:
    explicit OptionDetailPage(Ini& settings);

protected:
    void onInit() override;
    bool onCommand(WORD id, WORD code, HWND control) override;
    void apply() override;

private:
    void browse();

    ActionChoice trayActions_;
    ActionChoice wheelActions_;
    ActionChoice startupActions_;
    ActionChoice endupActions_;
};

}  // namespace tavelapp

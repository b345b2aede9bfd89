#pragma once
#include <memory>

#include "feature/ActionChoice.h"
#include "option/OptionPage.h"

namespace tavelapp {

class NotifyWndMgr;

// What notifications show, how long and how, and the click on them; with a
// preview in the chosen skin.
class OptionNotifyPage : public OptionPage {
public:
    explicit OptionNotifyPage(Ini& settings);
    ~OptionNotifyPage() override;

protected:
    void onInit() override;
    bool onCommand(WORD id, WORD code, HWND control) override;
    bool validate() override;
    void apply() override;

private:
    void updateEnabled();
    void preview();

    ActionChoice clickActions_;
    std::unique_ptr<NotifyWndMgr> preview_;
};

}  // namespace tavelapp

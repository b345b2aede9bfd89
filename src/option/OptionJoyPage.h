#pragma once
#include "option/BindingListPage.h"

namespace tavelapp {

// The game controller: which one, its bindings and its shift button.
class OptionJoyPage : public BindingListPageOf<Ini::Key> {
public:
    explicit OptionJoyPage(Ini& settings);
    ~OptionJoyPage() override;

protected:
    void onInit() override;
    bool onCommand(WORD id, WORD code, HWND control) override;
    std::wstring inputTextAt(std::size_t index) const override;
    bool capture(std::size_t index) override;
    void resetList() override;
    bool readyToCapture() override;
    // Puts the device chosen in the list into the settings; false without one.
    bool storeChosenDevice();
    void enableOwnControls(bool on) override;

private:
    void showShift();

    bool input_ = false;  // holds a reference to DirectInput
};

}  // namespace tavelapp

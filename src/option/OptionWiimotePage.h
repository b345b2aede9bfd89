#pragma once
#include "option/BindingListPage.h"

namespace tavelapp {

// The Wii remote: its bindings, shift button, LEDs and mouse buttons.
class OptionWiimotePage : public BindingListPageOf<Ini::Key> {
public:
    explicit OptionWiimotePage(Ini& settings);

protected:
    void onInit() override;
    bool onCommand(WORD id, WORD code, HWND control) override;
    std::wstring inputTextAt(std::size_t index) const override;
    bool capture(std::size_t index) override;
    void resetList() override;
    bool readyToCapture() override;
    void enableOwnControls(bool on) override;

private:
    void showState();
    bool captureButton(std::uint32_t& code);
};

}  // namespace tavelapp

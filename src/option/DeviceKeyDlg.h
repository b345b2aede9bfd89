#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "feature/ModalDialog.h"
#include "option/CaptureDlg.h"
#include "option/DlgItemSyncer.h"
#include "option/OptionRules.h"

namespace tavelapp {

// Edits one game-controller or Wii remote binding: the action, and the input
// captured by pressing it on the device (with the shift button held or not).
class DeviceKeyDlg : public CaptureDlg {
public:
    struct Setup {
        const wchar_t* section;    // language section
        const wchar_t* shiftText;  // Others key of the shift button's name
        std::uint32_t shiftFlag;   // added to a code pressed with shift held
        int templateId;
    };

    DeviceKeyDlg(const Setup& setup, std::wstring& action, std::uint32_t& code, bool add, bool useShift,
                 std::uint32_t shiftCode);

protected:
    virtual std::wstring inputText(std::uint32_t code) const = 0;
    virtual void startListening() = 0;
    virtual void stopListening() = 0;
    // One device event, on the main thread.
    void onDeviceEvent(std::uint32_t input, bool pressed);

    void onInitInput() override;
    bool storeInput() override;
    bool onInputCommand(WORD id, WORD code) override;
    void onCancel() override { stopListening(); }
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Posted by listeners on other threads: wParam the input, lParam pressed.
    static const UINT kEventMessage = WM_APP + 0x119;

private:
    void showInput();

    Setup setup_;
    std::uint32_t& code_;
    OptionRules::KeyCapture capture_;
};

// Captures one shift button: the next press of an acceptable input.
class DeviceShiftDlg : public ModalDialog {
public:
    DeviceShiftDlg(const wchar_t* section, int templateId, std::uint32_t& code);
    INT_PTR show(HWND owner);

protected:
    virtual std::wstring inputText(std::uint32_t code) const = 0;
    virtual bool accepts(std::uint32_t input) const = 0;
    virtual void startListening() = 0;
    virtual void stopListening() = 0;
    void onDeviceEvent(std::uint32_t input, bool pressed);

    void onInit() override;
    bool onCommand(WORD id, WORD code) override;
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    static const UINT kEventMessage = WM_APP + 0x119;

private:
    void showInput();

    int templateId_;
    std::uint32_t& result_;
    std::uint32_t code_;
    DlgItemSyncer syncer_;
};

}  // namespace tavelapp

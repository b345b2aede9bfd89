#include "option/DeviceKeyDlg.h"

#include "config/Lang.h"
#include "res/resource.h"

namespace tavelapp {
namespace {

HWND openShiftDialog = nullptr;

}  // namespace

DeviceKeyDlg::DeviceKeyDlg(const Setup& setup, std::wstring& action, std::uint32_t& code, bool add, bool useShift,
                           std::uint32_t shiftCode)
    : CaptureDlg(setup.section, setup.templateId, action, add),
      setup_(setup),
      code_(code),
      capture_(code, useShift, shiftCode, setup.shiftFlag) {}

void DeviceKeyDlg::onInitInput() {
    showInput();
    startListening();
}

void DeviceKeyDlg::showInput() {
    const std::wstring text =
        capture_.shiftHeld() ? Lang::instance().text(L"Others", setup_.shiftText) + L" + " : inputText(capture_.code());
    ::SetDlgItemTextW(hwnd(), IDC_CAP_INPUT, text.c_str());
}

void DeviceKeyDlg::onDeviceEvent(std::uint32_t input, bool pressed) {
    if (capture_.onEvent(input, pressed)) showInput();
}

bool DeviceKeyDlg::onInputCommand(WORD id, WORD) {
    if (id != IDC_CAP_CLEAR) return false;
    capture_.clear();
    showInput();
    return true;
}

bool DeviceKeyDlg::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kEventMessage) {
        onDeviceEvent(static_cast<std::uint32_t>(wParam), lParam != 0);
        return true;
    }
    if (message == WM_DESTROY) stopListening();
    return false;
}

bool DeviceKeyDlg::storeInput() {
    stopListening();
    code_ = capture_.code();
    return true;
}

DeviceShiftDlg::DeviceShiftDlg(const wchar_t* section, int templateId, std::uint32_t& code)
    : templateId_(templateId), result_(code), code_(code), syncer_(section) {}

INT_PTR DeviceShiftDlg::show(HWND owner) { return showModal(templateId_, owner, openShiftDialog); }

void DeviceShiftDlg::onInit() {
    syncer_.init(hwnd());
    showInput();
    startListening();
    bringForward(hwnd());
}

void DeviceShiftDlg::showInput() { ::SetDlgItemTextW(hwnd(), IDC_CAP_INPUT, inputText(code_).c_str()); }

void DeviceShiftDlg::onDeviceEvent(std::uint32_t input, bool pressed) {
    if (!pressed || !accepts(input)) return;
    code_ = input;
    showInput();
}

bool DeviceShiftDlg::onCommand(WORD id, WORD) {
    if (id != IDOK && id != IDCANCEL) return false;
    stopListening();
    if (id == IDOK) result_ = code_;
    close(id);
    return true;
}

bool DeviceShiftDlg::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kEventMessage) {
        onDeviceEvent(static_cast<std::uint32_t>(wParam), lParam != 0);
        return true;
    }
    if (message == WM_DESTROY) stopListening();
    return false;
}

}  // namespace tavelapp

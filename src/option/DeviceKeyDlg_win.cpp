#include "option/DeviceKeyDlg.h"

#include "config/Lang.h"
#include "option/GetHotKeyDlg.h"
#include "res/resource.h"

namespace tavelapp {
namespace {

HWND openKeyDialog = nullptr;
HWND openShiftDialog = nullptr;

}  // namespace

DeviceKeyDlg::DeviceKeyDlg(const Setup& setup, std::wstring& action, std::uint32_t& code, bool add, bool useShift,
                           std::uint32_t shiftCode)
    : setup_(setup),
      action_(action),
      code_(code),
      add_(add),
      syncer_(setup.section),
      capture_(code, useShift, shiftCode, setup.shiftFlag) {}

INT_PTR DeviceKeyDlg::show(HWND owner) { return showModal(setup_.templateId, owner, openKeyDialog); }

void DeviceKeyDlg::onInit() {
    syncer_.init(hwnd());
    ::SetWindowTextW(hwnd(), syncer_.text(add_ ? L"CaptionAdd" : L"CaptionEdit").c_str());
    actions_.fill(item(IDC_CAP_ACTION), action_.empty() ? std::wstring(L"DoNothing") : action_);
    showActionDescription(hwnd(), actions_);
    showInput();
    startListening();
    bringForward(hwnd());
}

void DeviceKeyDlg::showInput() {
    const std::wstring text =
        capture_.shiftHeld() ? Lang::instance().text(L"Others", setup_.shiftText) + L" + " : inputText(capture_.code());
    ::SetDlgItemTextW(hwnd(), IDC_CAP_INPUT, text.c_str());
}

void DeviceKeyDlg::onDeviceEvent(std::uint32_t input, bool pressed) {
    if (capture_.onEvent(input, pressed)) showInput();
}

bool DeviceKeyDlg::onCommand(WORD id, WORD code) {
    switch (id) {
        case IDC_CAP_ACTION:
            if (code == CBN_SELCHANGE) showActionDescription(hwnd(), actions_);
            return true;
        case IDC_CAP_BROWSE:
            actions_.choose(hwnd(), item(IDC_CAP_ACTION));
            showActionDescription(hwnd(), actions_);
            return true;
        case IDC_CAP_CLEAR:
            capture_.clear();
            showInput();
            return true;
        case IDOK:
            ok();
            return true;
        case IDCANCEL:
            stopListening();
            close(IDCANCEL);
            return true;
        default:
            return false;
    }
}

bool DeviceKeyDlg::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kEventMessage) {
        onDeviceEvent(static_cast<std::uint32_t>(wParam), lParam != 0);
        return true;
    }
    if (message == WM_DESTROY) stopListening();
    return false;
}

void DeviceKeyDlg::ok() {
    if (actions_.selected(item(IDC_CAP_ACTION)).empty()) return;
    stopListening();
    storeChoice(action_, item(IDC_CAP_ACTION), actions_);
    code_ = capture_.code();
    close(IDOK);
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

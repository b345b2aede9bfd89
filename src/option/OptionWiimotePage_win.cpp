#include "option/OptionWiimotePage.h"

#include "config/Lang.h"
#include "input/WiimoteMgr.h"
#include "input/WiimoteRules.h"
#include "option/GetWiimoteKeyDlg.h"
#include "option/OptionRules.h"
#include "res/resource.h"

namespace tavelapp {
namespace {

const int kLedConditions = 16;

}  // namespace

OptionWiimotePage::OptionWiimotePage(Ini& settings)
    : BindingListPageOf<Ini::Key>(IDD_OPT_WIIMOTE, L"OptionWiimotePage", settings, settings.wiimote.disable,
                                  settings.wiimoteKeys) {
    syncer_.bindCheck(IDC_OPT_W_USESHIFT, settings_.wiimote.useShift);
    for (int i = 0; i < 4; ++i)
        syncer_.bindSelection(IDC_OPT_W_LED + i, settings_.wiimote.led[static_cast<std::size_t>(i)]);
}

void OptionWiimotePage::onInit() {
    for (int i = 0; i < 4; ++i) {
        HWND combo = item(IDC_OPT_W_LED + i);
        for (int c = 0; c < kLedConditions; ++c)
            ::SendMessageW(combo, CB_ADDSTRING, 0,
                           reinterpret_cast<LPARAM>(syncer_.text(L"LEDCondition" + std::to_wstring(c)).c_str()));
        ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(settings_.wiimote.led[static_cast<std::size_t>(i)]), 0);
    }
    BindingListPage::onInit();
    showState();
}

void OptionWiimotePage::showState() {
    const bool loaded = WiimoteMgr::instance().isLoaded();
    ::SetDlgItemTextW(hwnd(), IDC_OPT_W_INFO,
                      syncer_.text(loaded ? L"WiimoteIsAvailable" : L"WiimoteDLLIsNotInstalled").c_str());
    const std::wstring name = WiimoteRules::displayName(settings_.wiimote.shift);
    std::wstring text = formatText(syncer_.text(L"Shift"), name);
    if (text == unescapeText(syncer_.text(L"Shift"))) text = L"Shift: " + name;
    ::SetDlgItemTextW(hwnd(), IDC_OPT_W_SHIFT, text.c_str());
    for (int i = 0; i < 6; ++i)
        ::SetDlgItemTextW(hwnd(), IDC_OPT_W_MOUSE + i,
                          WiimoteRules::buttonName(settings_.wiimote.mouseButton[static_cast<std::size_t>(i)]).c_str());
    updateEnabled();
}

bool OptionWiimotePage::onCommand(WORD id, WORD code, HWND control) {
    if (code == BN_CLICKED && id == IDC_OPT_W_UPDATE) {
        WiimoteMgr& manager = WiimoteMgr::instance();
        manager.reconnect();
        if (manager.isLoaded()) manager.startEffect(0);
        showState();
        return true;
    }
    if (code == BN_CLICKED && id == IDC_OPT_W_CHANGESHIFT) {
        std::uint32_t shift = settings_.wiimote.shift;
        if (captureButton(shift)) {
            settings_.wiimote.shift = shift;
            showState();
            changed();
        }
        return true;
    }
    if (code == BN_CLICKED && id >= IDC_OPT_W_MOUSE_CHANGE && id < IDC_OPT_W_MOUSE_CHANGE + 6) {
        std::uint8_t& button = settings_.wiimote.mouseButton[static_cast<std::size_t>(id - IDC_OPT_W_MOUSE_CHANGE)];
        std::uint32_t code32 = button;
        if (captureButton(code32)) {
            button = static_cast<std::uint8_t>(code32);
            showState();
            changed();
        }
        return true;
    }
    return BindingListPage::onCommand(id, code, control);
}

std::wstring OptionWiimotePage::inputTextAt(std::size_t index) const {
    return WiimoteRules::displayName(list_[index].key);
}

bool OptionWiimotePage::readyToCapture() {
    if (WiimoteMgr::instance().isLoaded()) return true;
    ask(L"WiimoteIsNotDetected_Caption", L"WiimoteIsNotDetected_Text", MB_OK | MB_ICONWARNING);
    return false;
}

bool OptionWiimotePage::capture(std::size_t index) {
    const bool useShift = ::IsDlgButtonChecked(hwnd(), IDC_OPT_W_USESHIFT) == BST_CHECKED;
    return captureWith<GetWiimoteKeyDlg>(index, Ini::Key{OptionRules::KeyCapture::kNothing, L""}, useShift,
                                         settings_.wiimote.shift);
}

bool OptionWiimotePage::captureButton(std::uint32_t& code) {
    return readyToCapture() && GetWiimoteShiftDlg(code).show(hwnd()) == IDOK;
}

void OptionWiimotePage::resetList() { list_ = Ini::defaultWiimoteKeys(); }

void OptionWiimotePage::enableOwnControls(bool on) {
    const bool usable = on && WiimoteMgr::instance().isLoaded();
    for (int id : {IDC_OPT_LIST, IDC_OPT_ADD, IDC_OPT_EDIT, IDC_OPT_DELETE, IDC_OPT_RESET, IDC_OPT_W_USESHIFT,
                   IDC_OPT_W_SHIFT, IDC_OPT_W_CHANGESHIFT})
        enable(id, usable);
    for (int i = 0; i < 4; ++i)
        enable(IDC_OPT_W_LED + i, usable);
    for (int i = 0; i < 6; ++i)
        enable(IDC_OPT_W_MOUSE_CHANGE + i, usable);
}

}  // namespace tavelapp

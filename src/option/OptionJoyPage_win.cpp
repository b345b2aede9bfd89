#include "option/OptionJoyPage.h"

#include "base/AppException.h"
#include "config/Lang.h"
#include "input/DInput.h"
#include "input/JoyRules.h"
#include "option/GetJoyKeyDlg.h"
#include "option/OptionRules.h"
#include "res/resource.h"

namespace tavelapp {

OptionJoyPage::OptionJoyPage(Ini& settings)
    : BindingListPageOf<Ini::Key>(IDD_OPT_JOY, L"OptionJoyPage", settings, settings.joy.disable, settings.joyKeys) {
    syncer_.bindCheck(IDC_OPT_J_USESHIFT, settings_.joy.useShift);
}

OptionJoyPage::~OptionJoyPage() {
    if (input_) DInput::instance().release();
}

void OptionJoyPage::onInit() {
    const GUID wanted = DInput::settingsGuid(settings_.joy);
    try {
        DInput::instance().initialize();
        input_ = true;
        DInput::instance().enumerate(&wanted, ::GetAncestor(hwnd(), GA_ROOT));
    } catch (const AppException&) {
        // No DirectInput: the list stays empty and capturing says why.
    }
    HWND devices = item(IDC_OPT_J_DEVICE);
    int index = 0;
    for (const DInput::JoyInfoPtr& device : DInput::instance().devices()) {
        ::SendMessageW(devices, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(device->productName.c_str()));
        if (::IsEqualGUID(device->instance, wanted)) ::SendMessageW(devices, CB_SETCURSEL, index, 0);
        ++index;
    }
    BindingListPage::onInit();
    showShift();
}

void OptionJoyPage::showShift() {
    const std::wstring name = JoyRules::displayName(settings_.joy.shift);
    std::wstring text = formatText(syncer_.text(L"Shift"), name);
    if (text == unescapeText(syncer_.text(L"Shift"))) text = L"Shift: " + name;
    ::SetDlgItemTextW(hwnd(), IDC_OPT_J_SHIFT, text.c_str());
}

bool OptionJoyPage::onCommand(WORD id, WORD code, HWND control) {
    if (id == IDC_OPT_J_DEVICE && code == CBN_SELCHANGE) {
        // The choice alone is an edit: OK keeps it even without another change.
        if (storeChosenDevice()) changed();
        return true;
    }
    if (id == IDC_OPT_J_CHANGESHIFT && code == BN_CLICKED) {
        std::uint32_t shift = settings_.joy.shift;
        if (readyToCapture() && GetJoyShiftDlg(shift).show(hwnd()) == IDOK) {
            settings_.joy.shift = shift;
            showShift();
            changed();
        }
        return true;
    }
    return BindingListPage::onCommand(id, code, control);
}

std::wstring OptionJoyPage::inputTextAt(std::size_t index) const { return JoyRules::displayName(list_[index].key); }

bool OptionJoyPage::capture(std::size_t index) {
    const bool useShift = ::IsDlgButtonChecked(hwnd(), IDC_OPT_J_USESHIFT) == BST_CHECKED;
    return captureWith<GetJoyKeyDlg>(index, Ini::Key{OptionRules::KeyCapture::kNothing, L""}, useShift,
                                     settings_.joy.shift);
}

void OptionJoyPage::resetList() {
    list_ = Ini::defaultJoyKeys();
    settings_.joy.shift = Ini::Item::Joy().shift;
    showShift();
}

bool OptionJoyPage::storeChosenDevice() {
    const LRESULT index = ::SendMessageW(item(IDC_OPT_J_DEVICE), CB_GETCURSEL, 0, 0);
    const auto& devices = DInput::instance().devices();
    if (!input_ || index < 0 || static_cast<std::size_t>(index) >= devices.size()) return false;
    DInput::storeGuid(devices[static_cast<std::size_t>(index)]->instance, settings_.joy);
    return true;
}

bool OptionJoyPage::readyToCapture() {
    if (storeChosenDevice()) {
        // A copy: enumerating anew frees the list the chosen entry lives in.
        const GUID guid = DInput::settingsGuid(settings_.joy);
        DInput::instance().releaseDevice();
        DInput::instance().enumerate(&guid, ::GetAncestor(hwnd(), GA_ROOT));
    }
    if (input_ && DInput::instance().device() != nullptr) return true;
    ask(L"JoystickNotSelectedCaption", L"JoystickNotSelectedText", MB_OK | MB_ICONWARNING);
    return false;
}

void OptionJoyPage::enableOwnControls(bool on) {
    for (int id :
         {IDC_OPT_J_DEVICE, IDC_OPT_J_DEVICE_LABEL, IDC_OPT_J_USESHIFT, IDC_OPT_J_SHIFT, IDC_OPT_J_CHANGESHIFT})
        enable(id, on);
}

}  // namespace tavelapp

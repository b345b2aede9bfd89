#include "option/GetHotKeyDlg.h"

#include <commctrl.h>

#include "option/OptionRules.h"
#include "res/resource.h"

namespace tavelapp {

GetHotKeyDlg::GetHotKeyDlg(Ini::HotKey& binding, bool add)
    : CaptureDlg(L"GetHotkeyItemDlg", IDD_GETHOTKEY, binding.action, add), binding_(binding) {}

void GetHotKeyDlg::onInitInput() {
    ::SendMessageW(item(IDC_CAP_HOTKEY), HKM_SETHOTKEY, OptionRules::hotKeyFieldValue(binding_.mods, binding_.vk), 0);
    if (!adding()) ::PostMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item(IDC_CAP_HOTKEY)), TRUE);
}

bool GetHotKeyDlg::onInputCommand(WORD id, WORD) {
    if (id != IDC_CAP_CLEAR) return false;
    ::SendMessageW(item(IDC_CAP_HOTKEY), HKM_SETHOTKEY, 0, 0);
    return true;
}

bool GetHotKeyDlg::storeInput() {
    const auto value = static_cast<std::uint16_t>(::SendMessageW(item(IDC_CAP_HOTKEY), HKM_GETHOTKEY, 0, 0));
    std::uint32_t mods = 0;
    std::uint32_t vk = 0;
    OptionRules::fromHotKeyField(value, mods, vk);
    if (OptionRules::needsConfirmation(mods, vk) &&
        ::MessageBoxW(hwnd(), syncer_.text(L"ConfirmationText").c_str(), syncer_.text(L"ConfirmationCaption").c_str(),
                      MB_YESNO | MB_ICONINFORMATION) != IDYES)
        return false;
    binding_.mods = mods;
    binding_.vk = vk;
    return true;
}

}  // namespace tavelapp

#include "option/GetHotKeyDlg.h"

#include <commctrl.h>

#include "action/ActionList.h"
#include "option/OptionRules.h"
#include "option/OptionSheet.h"
#include "res/resource.h"
#include "win/util/StringUtil.h"

namespace tavelapp {
namespace {

HWND openDialog = nullptr;

}  // namespace

void showActionDescription(HWND dialog, const ActionChoice& actions) {
    ActionListItemPtr entry = ActionList::instance().find(actions.selected(::GetDlgItem(dialog, IDC_CAP_ACTION)));
    ::SetDlgItemTextW(dialog, IDC_CAP_DESC, entry ? entry->description().c_str() : L"");
}

std::wstring chosenAction(HWND combo, const ActionChoice& actions) {
    const std::wstring key = actions.selected(combo);
    ActionListItemPtr entry = ActionList::instance().find(key);
    return entry ? entry->id : key;
}

void storeChoice(std::wstring& setting, HWND combo, const ActionChoice& actions) {
    const std::wstring key = actions.selected(combo);
    if (key.empty() || tavel::win::util::asciiLower(key) == tavel::win::util::asciiLower(setting)) return;
    setting = chosenAction(combo, actions);
}

GetHotKeyDlg::GetHotKeyDlg(Ini::HotKey& binding, bool add)
    : binding_(binding), add_(add), syncer_(L"GetHotkeyItemDlg") {}

INT_PTR GetHotKeyDlg::show(HWND owner) {
    registerControls();
    return showModal(IDD_GETHOTKEY, owner, openDialog);
}

void GetHotKeyDlg::onInit() {
    syncer_.init(hwnd());
    ::SetWindowTextW(hwnd(), syncer_.text(add_ ? L"CaptionAdd" : L"CaptionEdit").c_str());
    actions_.fill(item(IDC_CAP_ACTION), binding_.action.empty() ? std::wstring(L"DoNothing") : binding_.action);
    showActionDescription(hwnd(), actions_);
    ::SendMessageW(item(IDC_CAP_HOTKEY), HKM_SETHOTKEY, OptionRules::hotKeyFieldValue(binding_.mods, binding_.vk), 0);
    if (!add_) ::PostMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item(IDC_CAP_HOTKEY)), TRUE);
    bringForward(hwnd());
}

bool GetHotKeyDlg::onCommand(WORD id, WORD code) {
    switch (id) {
        case IDC_CAP_ACTION:
            if (code == CBN_SELCHANGE) showActionDescription(hwnd(), actions_);
            return true;
        case IDC_CAP_BROWSE:
            actions_.choose(hwnd(), item(IDC_CAP_ACTION));
            showActionDescription(hwnd(), actions_);
            return true;
        case IDC_CAP_CLEAR:
            ::SendMessageW(item(IDC_CAP_HOTKEY), HKM_SETHOTKEY, 0, 0);
            return true;
        case IDOK:
            ok();
            return true;
        case IDCANCEL:
            close(IDCANCEL);
            return true;
        default:
            return false;
    }
}

void GetHotKeyDlg::ok() {
    if (actions_.selected(item(IDC_CAP_ACTION)).empty()) return;
    std::wstring action = binding_.action;
    storeChoice(action, item(IDC_CAP_ACTION), actions_);
    const auto value = static_cast<std::uint16_t>(::SendMessageW(item(IDC_CAP_HOTKEY), HKM_GETHOTKEY, 0, 0));
    std::uint32_t mods = 0;
    std::uint32_t vk = 0;
    OptionRules::fromHotKeyField(value, mods, vk);
    if (OptionRules::needsConfirmation(mods, vk) &&
        ::MessageBoxW(hwnd(), syncer_.text(L"ConfirmationText").c_str(), syncer_.text(L"ConfirmationCaption").c_str(),
                      MB_YESNO | MB_ICONINFORMATION) != IDYES)
        return;
    binding_.action = action;
    binding_.mods = mods;
    binding_.vk = vk;
    close(IDOK);
}

}  // namespace tavelapp

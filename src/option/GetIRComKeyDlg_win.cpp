#include "option/GetIRComKeyDlg.h"

#include "option/GetHotKeyDlg.h"
#include "option/OptionRules.h"
#include "res/resource.h"

namespace tavelapp {
namespace {

HWND openDialog = nullptr;

}  // namespace

GetIRComKeyDlg::GetIRComKeyDlg(Ini::Item::IRCom::Key& binding, bool add)
    : binding_(binding), add_(add), syncer_(L"GetIRComItemDlg") {}

INT_PTR GetIRComKeyDlg::show(HWND owner) { return showModal(IDD_GETIRCOMKEY, owner, openDialog); }

void GetIRComKeyDlg::onInit() {
    syncer_.init(hwnd());
    ::SetWindowTextW(hwnd(), syncer_.text(add_ ? L"CaptionAdd" : L"CaptionEdit").c_str());
    actions_.fill(item(IDC_CAP_ACTION), binding_.action.empty() ? std::wstring(L"DoNothing") : binding_.action);
    showActionDescription(hwnd(), actions_);
    ::CheckDlgButton(hwnd(), IDC_CAP_IRSHIFT, (binding_.key & 0x100) ? BST_CHECKED : BST_UNCHECKED);
    const int index = OptionRules::irPadIndex(binding_.key);
    if (index >= 0) ::CheckDlgButton(hwnd(), IDC_CAP_IRPAD + index, BST_CHECKED);
    bringForward(hwnd());
}

bool GetIRComKeyDlg::onCommand(WORD id, WORD code) {
    switch (id) {
        case IDC_CAP_ACTION:
            if (code == CBN_SELCHANGE) showActionDescription(hwnd(), actions_);
            return true;
        case IDC_CAP_BROWSE:
            actions_.choose(hwnd(), item(IDC_CAP_ACTION));
            showActionDescription(hwnd(), actions_);
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

void GetIRComKeyDlg::ok() {
    if (actions_.selected(item(IDC_CAP_ACTION)).empty()) return;
    std::wstring action = binding_.action;
    storeChoice(action, item(IDC_CAP_ACTION), actions_);
    int down = -1;
    for (int i = 0; i < static_cast<int>(OptionRules::kIRPadKeys) && down < 0; ++i)
        if (::IsDlgButtonChecked(hwnd(), IDC_CAP_IRPAD + i) == BST_CHECKED) down = i;
    binding_.action = action;
    binding_.key = OptionRules::irCode(down, ::IsDlgButtonChecked(hwnd(), IDC_CAP_IRSHIFT) == BST_CHECKED);
    close(IDOK);
}

}  // namespace tavelapp

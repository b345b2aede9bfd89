#include "option/GetIRComKeyDlg.h"

#include "option/OptionRules.h"
#include "res/resource.h"

namespace tavelapp {

GetIRComKeyDlg::GetIRComKeyDlg(Ini::Key& binding, bool add)
    : CaptureDlg(L"GetIRComItemDlg", IDD_GETIRCOMKEY, binding.action, add), binding_(binding) {}

void GetIRComKeyDlg::onInitInput() {
    ::CheckDlgButton(hwnd(), IDC_CAP_IRSHIFT, (binding_.key & 0x100) ? BST_CHECKED : BST_UNCHECKED);
    const int index = OptionRules::irPadIndex(binding_.key);
    if (index >= 0) ::CheckDlgButton(hwnd(), IDC_CAP_IRPAD + index, BST_CHECKED);
}

bool GetIRComKeyDlg::storeInput() {
    int down = -1;
    for (int i = 0; i < static_cast<int>(OptionRules::kIRPadKeys) && down < 0; ++i)
        if (::IsDlgButtonChecked(hwnd(), IDC_CAP_IRPAD + i) == BST_CHECKED) down = i;
    binding_.key = OptionRules::irCode(down, ::IsDlgButtonChecked(hwnd(), IDC_CAP_IRSHIFT) == BST_CHECKED);
    return true;
}

}  // namespace tavelapp

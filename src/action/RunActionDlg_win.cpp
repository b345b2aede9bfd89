#include <windows.h>

#include "action/ActionList.h"
#include "action/ActionMenu.h"
#include "action/ActionRunner.h"
#include "action/RunActionDlg.h"
#include "config/DialogLocalizer.h"
#include "res/resource.h"
#include "win/util/CallbackGuard.h"
#include "win/util/MainThread.h"

namespace tavelapp {
namespace {

const std::vector<ActionListItemPtr>& entries() { return ActionList::instance().items(); }

void showDescription(HWND dialog) {
    const LRESULT selected = ::SendDlgItemMessageW(dialog, IDC_RUNACTION_COMBO, CB_GETCURSEL, 0, 0);
    std::wstring text;
    if (selected >= 0 && static_cast<std::size_t>(selected) < entries().size()) {
        text = entries()[static_cast<std::size_t>(selected)]->description();
    }
    ::SetDlgItemTextW(dialog, IDC_RUNACTION_DESC, text.c_str());
}

void runSelected(HWND dialog) {
    const LRESULT selected = ::SendDlgItemMessageW(dialog, IDC_RUNACTION_COMBO, CB_GETCURSEL, 0, 0);
    if (selected >= 0 && static_cast<std::size_t>(selected) < entries().size()) {
        ActionRunner::instance().runByName(entries()[static_cast<std::size_t>(selected)]->key, true);
    }
}

INT_PTR handleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            *reinterpret_cast<HWND*>(lParam) = dialog;
            localizeDialog(dialog, L"RunActionDlg");
            HWND combo = ::GetDlgItem(dialog, IDC_RUNACTION_COMBO);
            for (const ActionListItemPtr& entry : entries()) {
                ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry->displayName().c_str()));
            }
            ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(ActionList::instance().indexOf(L"DoNothing")), 0);
            showDescription(dialog);
            ::SetForegroundWindow(dialog);
            return TRUE;
        }
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_RUNACTION_COMBO:
                    if (HIWORD(wParam) == CBN_SELCHANGE) showDescription(dialog);
                    return TRUE;
                case IDC_RUNACTION_RUN:
                    runSelected(dialog);
                    return TRUE;
                case IDOK:
                    runSelected(dialog);
                    ::EndDialog(dialog, IDOK);
                    return TRUE;
                case IDCANCEL:
                    ::EndDialog(dialog, IDCANCEL);
                    return TRUE;
                case IDC_RUNACTION_MENU: {
                    const std::wstring key = chooseAction(dialog, nullptr);
                    if (!key.empty()) {
                        ::SendDlgItemMessageW(dialog, IDC_RUNACTION_COMBO, CB_SETCURSEL,
                                              static_cast<WPARAM>(ActionList::instance().indexOf(key)), 0);
                        showDescription(dialog);
                    }
                    return TRUE;
                }
                default:
                    return FALSE;
            }
        default:
            return FALSE;
    }
}

INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return tavel::win::util::guardedOr<INT_PTR>("RunActionDlg", FALSE,
                                                [&] { return handleMessage(dialog, message, wParam, lParam); });
}

}  // namespace

int showRunActionDlg() {
    tavel::win::util::MainThread::check("showRunActionDlg");
    // A second request brings the open dialog forward instead of stacking another.
    static HWND open = nullptr;
    if (open != nullptr && ::IsWindow(open)) {
        ::SetForegroundWindow(open);
        return 2;
    }
    const INT_PTR result = ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_RUNACTION), nullptr,
                                             &dialogProc, reinterpret_cast<LPARAM>(&open));
    open = nullptr;
    return result == IDOK ? 1 : 2;
}

}  // namespace tavelapp

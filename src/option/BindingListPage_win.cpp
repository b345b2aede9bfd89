#include "option/BindingListPage.h"

#include "action/ActionList.h"
#include "option/OptionRules.h"
#include "res/resource.h"

namespace tavelapp {

BindingListPage::BindingListPage(int templateId, const std::wstring& section, Ini& settings, bool& disable)
    : OptionPage(templateId, section, settings) {
    syncer_.bindCheck(IDC_OPT_DISABLED, disable);
}

std::wstring BindingListPage::actionText(const std::wstring& action) const {
    if (ActionListItemPtr entry = ActionList::instance().find(action)) return entry->displayName();
    return syncer_.text(L"ListItemActionNotFound");
}

void BindingListPage::onInit() {
    HWND list = item(IDC_OPT_LIST);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    RECT box{};
    ::GetClientRect(list, &box);
    const int scroll = ::GetSystemMetrics(SM_CXVSCROLL);
    const int width = box.right - box.left - scroll;
    const std::wstring headers[2] = {syncer_.text(L"ListHeaderItem0"), syncer_.text(L"ListHeaderItem1")};
    for (int column = 0; column < 2; ++column) {
        LVCOLUMNW info{};
        info.mask = LVCF_TEXT | LVCF_WIDTH;
        info.cx = column == 0 ? width * 11 / 20 : width - width * 11 / 20;
        info.pszText = const_cast<wchar_t*>(headers[column].c_str());
        ListView_InsertColumn(list, column, &info);
    }
    rebuild(-1);
    updateEnabled();
}

void BindingListPage::rebuild(int select) {
    HWND list = item(IDC_OPT_LIST);
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list);
    for (std::size_t i = 0; i < count(); ++i) {
        std::wstring action = actionText(actionAt(i));
        std::wstring input = inputTextAt(i);
        LVITEMW row{};
        row.mask = LVIF_TEXT;
        row.iItem = static_cast<int>(i);
        row.pszText = &action[0];
        const int at = ListView_InsertItem(list, &row);
        ListView_SetItemText(list, at, 1, &input[0]);
    }
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    if (select >= 0) {
        ListView_SetItemState(list, select, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(list, select, FALSE);
    }
}

int BindingListPage::selection() const { return ListView_GetNextItem(item(IDC_OPT_LIST), -1, LVNI_SELECTED); }

void BindingListPage::updateEnabled() {
    const bool on = ::IsDlgButtonChecked(hwnd(), IDC_OPT_DISABLED) != BST_CHECKED;
    for (int id : {IDC_OPT_LIST, IDC_OPT_ADD, IDC_OPT_EDIT, IDC_OPT_DELETE, IDC_OPT_RESET})
        enable(id, on);
    enableOwnControls(on);
}

bool BindingListPage::onCommand(WORD id, WORD code, HWND) {
    if (code != BN_CLICKED) return false;
    switch (id) {
        case IDC_OPT_ADD:
            add();
            return true;
        case IDC_OPT_EDIT:
            edit();
            return true;
        case IDC_OPT_DELETE:
            remove();
            return true;
        case IDC_OPT_RESET:
            reset();
            return true;
        case IDC_OPT_DISABLED:
            updateEnabled();
            return true;
        default:
            return false;
    }
}

bool BindingListPage::onNotify(NMHDR& header) {
    if (header.idFrom == IDC_OPT_LIST && header.code == NM_DBLCLK) {
        edit();
        return true;
    }
    return false;
}

void BindingListPage::add() {
    if (!readyToCapture() || !capture(count())) return;
    rebuild(static_cast<int>(count()) - 1);
    changed();
}

void BindingListPage::edit() {
    const int row = selection();
    if (row < 0 || static_cast<std::size_t>(row) >= count()) return;
    if (!readyToCapture() || !capture(static_cast<std::size_t>(row))) return;
    rebuild(row);
    changed();
}

void BindingListPage::remove() {
    const int row = selection();
    if (row < 0 || static_cast<std::size_t>(row) >= count()) return;
    if (ask(L"RemoveConfirmationCaption", L"RemoveConfirmationText", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    eraseAt(static_cast<std::size_t>(row));
    rebuild(OptionRules::selectionAfterDelete(row, static_cast<int>(count())));
    changed();
}

void BindingListPage::reset() {
    if (ask(L"ResetConfirmationCaption", L"ResetConfirmationText", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    resetList();
    rebuild(-1);
    changed();
}

}  // namespace tavelapp

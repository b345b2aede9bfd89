#include "win/util/ListMenu.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

namespace tavel {
namespace win {
namespace util {

void setUpReportList(HWND list, const std::vector<ListColumn>& columns) {
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    int index = 0;
    for (const ListColumn& c : columns) {
        std::wstring caption = c.caption;
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = c.width;
        column.pszText = &caption[0];
        ::SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index++), reinterpret_cast<LPARAM>(&column));
    }
}

UINT choosePopupMenu(HWND owner, LPARAM at, const std::vector<MenuChoice>& choices) {
    POINT point{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    if (point.x == -1 && point.y == -1) ::GetCursorPos(&point);  // from the keyboard
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (::GetMonitorInfoW(::MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &monitor))
        point.x = std::max(monitor.rcMonitor.left, std::min(point.x, monitor.rcMonitor.right - 1));
    HMENU menu = ::CreatePopupMenu();
    if (menu == nullptr) return 0;
    for (const MenuChoice& choice : choices)
        ::AppendMenuW(menu, MF_STRING | (choice.enabled ? 0 : MF_GRAYED), choice.id, choice.text.c_str());
    const UINT chosen =
        static_cast<UINT>(::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, point.x, point.y, 0, owner, nullptr));
    ::DestroyMenu(menu);
    return chosen;
}

}  // namespace util
}  // namespace win
}  // namespace tavel

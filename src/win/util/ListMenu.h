#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace tavel {
namespace win {
namespace util {

// What the dialogs with a track list share: the list's columns and its
// right-click menu.
struct ListColumn {
    std::wstring caption;
    int width;
};
// A report view with full-row selection and these columns, left to right.
void setUpReportList(HWND list, const std::vector<ListColumn>& columns);

struct MenuChoice {
    UINT id;
    std::wstring text;
    bool enabled;
};
// Shows a popup menu where a WM_CONTEXTMENU says (at the cursor when it came
// from the keyboard), its left edge kept on that monitor; the chosen id, or 0.
UINT choosePopupMenu(HWND owner, LPARAM at, const std::vector<MenuChoice>& choices);

}  // namespace util
}  // namespace win
}  // namespace tavel

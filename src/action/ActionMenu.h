#pragma once
#include <windows.h>

#include <string>

namespace tavelapp {

// The action-list entries as a pop-up menu, one submenu per section (captions
// from the "ActionType" texts; the section "nothing" is left out), entries with
// command firstCommand + their index in the list.
HMENU buildActionMenu(UINT firstCommand);

// Shows that menu at the position (or at the cursor when null) with the owner
// in the foreground; returns the chosen entry's key, or "" when none was chosen.
std::wstring chooseAction(HWND owner, const POINT* position);

}  // namespace tavelapp

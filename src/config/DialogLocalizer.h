#pragma once
#include <windows.h>

#include <string>

namespace tavelapp {

// Dialog templates carry text keys as control captions. This replaces the
// dialog's caption with section/"Caption", each control's caption with
// section/<key>, and gives a control section/<key>_Hint as tool tip when that
// text is not empty. Returns the tool-tip window (owned by the dialog), or null
// when no control has a hint.
HWND localizeDialog(HWND dialog, const std::wstring& section);

}  // namespace tavelapp

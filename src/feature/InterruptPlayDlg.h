#pragma once
#include <string>

namespace tavelapp {

// Interrupt play's queue and return point; files dropped on it join the
// queue. Modal, without owner, on the main thread, on top of other windows.
// The dropped files are looked up in the given library file, by default the
// player's. Off Windows there is no dialog and it returns at once.
void showInterruptPlayDlg(const std::wstring& libraryFile = std::wstring());

}  // namespace tavelapp

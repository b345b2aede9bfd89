#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace tavelapp {

// The action combo box of the feature dialogs: the action list's display
// names, the configured reference selected. A reference that names no entry
// (a bare action name typed into a settings file) is kept as an entry of its
// own, so storing the dialog never loses it.
class ActionChoice {
public:
    void fill(HWND combo, const std::wstring& configured);
    void select(HWND combo, const std::wstring& reference);
    std::wstring selected(HWND combo) const;
    // Opens the action chooser menu at the cursor and selects what was chosen.
    void choose(HWND dialog, HWND combo);

private:
    std::vector<std::wstring> keys_;
};

// Centres the dialog on its screen and brings it to the front.
void bringForward(HWND dialog);

}  // namespace tavelapp

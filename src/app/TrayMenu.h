#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "action/ActionPlugin.h"
#include "base/Util.h"
#include "win/util/Handle.h"

namespace tavelapp {

// The tray icon's menu: built from the lists as they are when it opens, and
// the chosen command carried out against those same lists.
class TrayMenu {
public:
    enum Command : UINT {
        Option = 0x100,
        Exit = 0x101,
        QuickPlay = 0x102,
        RunAction = 0x103,
        EditArtwork = 0x104,
        Boot = 0x105,
        StartObservation = 0x107,
        InterruptPlay = 0x108,
        PairPhone = 0x109,
        OnlineHelp = 0x165,
        Lang = 0x200,
        Skin = 0x300,
        ActionTarget = 0x400,
        ClockTimerStart = 0x500,
        ClockTimerStop = 0x501,
        ClockTimerOption = 0x502,
        CountdownTimerStart = 0x600,
        CountdownTimerStop = 0x601,
        CountdownTimerOption = 0x602,
        EventActionStart = 0x700,
        EventActionStop = 0x701,
        EventActionOption = 0x702,
        Link = 0x800,
        Action = 0x900,
        EventActionLastPlay = 0xA00,
    };

    explicit TrayMenu(Util::UtilListener& controller);

    // A new menu (the caller destroys it).
    HMENU build() const;
    // Shows the menu at the cursor with the owner in front and carries out the choice.
    void show(HWND owner);
    void dispatch(UINT command);

    // The help page and the link addresses, beside the program.
    static std::wstring helpPage();
    static std::wstring linkAddress(int index);

private:
    struct Named {
        std::wstring id;
        std::wstring name;
    };
    tavel::win::util::Menu buildTimerMenu(const wchar_t* prefix, UINT first, bool running) const;
    void openPage(const std::wstring& address) const;

    Util::UtilListener& controller_;
    std::vector<Named> languages_;
    std::vector<Named> skins_;
    std::vector<std::shared_ptr<ActionPlugin>> players_;
    HWND owner_ = nullptr;
};

}  // namespace tavelapp

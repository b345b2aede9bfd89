#include "action/ActionMenu.h"

#include <vector>

#include "action/ActionList.h"
#include "config/Lang.h"
#include "win/util/StringUtil.h"

namespace tavelapp {

HMENU buildActionMenu(UINT firstCommand) {
    HMENU menu = ::CreatePopupMenu();
    const std::vector<ActionListItemPtr>& items = ActionList::instance().items();
    std::vector<std::wstring> sections;
    std::vector<HMENU> submenus;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::wstring section = tavel::win::util::asciiLower(items[i]->section);
        if (section == L"nothing") continue;
        std::size_t s = 0;
        while (s < sections.size() && sections[s] != section)
            ++s;
        if (s == sections.size()) {
            sections.push_back(section);
            submenus.push_back(::CreatePopupMenu());
            ::AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(submenus.back()),
                          Lang::instance().text(L"ActionType", section).c_str());
        }
        ::AppendMenuW(submenus[s], MF_STRING, firstCommand + static_cast<UINT>(i), items[i]->displayName().c_str());
    }
    return menu;
}

std::wstring chooseAction(HWND owner, const POINT* position) {
    POINT at{};
    if (position != nullptr) {
        at = *position;
    } else {
        ::GetCursorPos(&at);
    }
    HMENU menu = buildActionMenu(1);
    if (owner != nullptr) ::SetForegroundWindow(owner);
    const UINT chosen = static_cast<UINT>(
        ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr));
    ::DestroyMenu(menu);
    const std::vector<ActionListItemPtr>& items = ActionList::instance().items();
    if (chosen == 0 || chosen > items.size()) return std::wstring();
    return items[chosen - 1]->key;
}

}  // namespace tavelapp

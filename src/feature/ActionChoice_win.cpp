#include "feature/ActionChoice.h"

#include "action/ActionList.h"
#include "action/ActionMenu.h"
#include "win/util/StringUtil.h"

namespace tavelapp {

void ActionChoice::fill(HWND combo, const std::wstring& configured) {
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    keys_.clear();
    for (const ActionListItemPtr& entry : ActionList::instance().items()) {
        keys_.push_back(entry->key);
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry->displayName().c_str()));
    }
    select(combo, configured);
}

void ActionChoice::select(HWND combo, const std::wstring& reference) {
    const std::wstring key = tavel::win::util::asciiLower(reference);
    std::size_t index = 0;
    while (index < keys_.size() && tavel::win::util::asciiLower(keys_[index]) != key)
        ++index;
    if (index == keys_.size() && !reference.empty()) {
        keys_.push_back(reference);
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(reference.c_str()));
    }
    ::SendMessageW(combo, CB_SETCURSEL, index < keys_.size() ? static_cast<WPARAM>(index) : static_cast<WPARAM>(-1), 0);
}

std::wstring ActionChoice::selected(HWND combo) const {
    const LRESULT index = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index < 0 || static_cast<std::size_t>(index) >= keys_.size()) return std::wstring();
    return keys_[static_cast<std::size_t>(index)];
}

void ActionChoice::choose(HWND dialog, HWND combo) {
    const std::wstring key = chooseAction(dialog, nullptr);
    if (!key.empty()) select(combo, key);
}

void bringForward(HWND dialog) {
    RECT box{};
    ::GetWindowRect(dialog, &box);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (::GetMonitorInfoW(::MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &info)) {
        const RECT& work = info.rcWork;
        const int x = work.left + ((work.right - work.left) - (box.right - box.left)) / 2;
        const int y = work.top + ((work.bottom - work.top) - (box.bottom - box.top)) / 2;
        ::SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ::SetForegroundWindow(dialog);
}

}  // namespace tavelapp

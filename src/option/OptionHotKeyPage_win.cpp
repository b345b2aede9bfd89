#include "option/OptionHotKeyPage.h"

#include "input/HotKeyServer.h"
#include "option/GetHotKeyDlg.h"
#include "option/OptionRules.h"
#include "res/resource.h"

namespace tavelapp {

OptionHotKeyPage::OptionHotKeyPage(Ini& settings)
    : BindingListPageOf<Ini::HotKey>(IDD_OPT_HOTKEY, L"OptionHotkeyPage", settings, settings.hotKey.disable,
                                     settings.hotKeys) {}

std::wstring OptionHotKeyPage::inputTextAt(std::size_t index) const {
    return HotKeyServer::displayName(list_[index].mods, list_[index].vk);
}

bool OptionHotKeyPage::capture(std::size_t index) { return captureWith<GetHotKeyDlg>(index, Ini::HotKey()); }

void OptionHotKeyPage::resetList() { list_ = Ini::defaultHotKeys(); }

bool OptionHotKeyPage::validate() {
    const std::vector<std::size_t> duplicates = OptionRules::duplicateHotKeys(list_);
    if (duplicates.empty()) return true;
    std::vector<std::wstring> actions;
    std::vector<std::wstring> inputs;
    for (std::size_t i : duplicates) {
        actions.push_back(actionText(list_[i].action));
        inputs.push_back(inputTextAt(i));
    }
    const std::wstring text = OptionRules::duplicateMessage(syncer_.text(L"DuplicateText"), actions, inputs);
    ::MessageBoxW(hwnd(), text.c_str(), syncer_.text(L"DuplicateCaption").c_str(), MB_OK | MB_ICONWARNING);
    return false;
}

}  // namespace tavelapp

#include "option/OptionGeneralPage.h"

#include "base/AppPaths.h"
#include "feature/StartupEntry.h"
#include "config/LangMgr.h"
#include "notify/NotifyWndSkinMgr.h"
#include "option/OptionRules.h"
#include "res/resource.h"
#include "win/util/StringUtil.h"

namespace tavelapp {
namespace {

// Lists the names and selects the entry whose id is `current` (letter case aside).
void fillChoice(HWND combo, const std::vector<std::wstring>& ids, const std::vector<std::wstring>& names,
                const std::wstring& current) {
    int selected = -1;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(names[i].c_str()));
        if (tavel::win::util::asciiLower(ids[i]) == tavel::win::util::asciiLower(current))
            selected = static_cast<int>(i);
    }
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void storeChoice(HWND combo, const std::vector<std::wstring>& ids, std::wstring& setting) {
    const LRESULT index = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index < 0 || static_cast<std::size_t>(index) >= ids.size()) return;
    const std::wstring& id = ids[static_cast<std::size_t>(index)];
    if (tavel::win::util::asciiLower(id) != tavel::win::util::asciiLower(setting)) setting = id;
}

}  // namespace

OptionGeneralPage::OptionGeneralPage(Ini& settings) : OptionPage(IDD_OPT_GENERAL, L"OptionGeneralPage", settings) {
    Ini::Item::IRCom& remote = settings_.irCom;
    syncer_.bindNumber(IDC_OPT_G_PORT, remote.tcpPort);
    syncer_.bindText(IDC_OPT_G_ADDRESS, remote.tcpAddress);
    syncer_.bindText(IDC_OPT_G_ALLOW, remote.tcpAllow);
    syncer_.bindCheck(IDC_OPT_G_ALLOWALL, remote.tcpAllowAllActions);
}

void OptionGeneralPage::onInit() {
    std::vector<std::wstring> names;
    for (const LangMgr::List::Item& language : LangMgr::list().items) {
        languages_.push_back(language.id);
        names.push_back(language.name.empty() ? language.id : language.name);
    }
    fillChoice(item(IDC_OPT_G_LANG), languages_, names, settings_.lang.id);

    names.clear();
    std::vector<NotifyWndSkinMgr::List::Item> skins;
    NotifyWndSkinMgr::instance().list(skins);
    for (const NotifyWndSkinMgr::List::Item& skin : skins) {
        skins_.push_back(skin.name);
        names.push_back(skin.displayName.empty() ? skin.name : skin.displayName);
    }
    fillChoice(item(IDC_OPT_G_SKIN), skins_, names, settings_.skin.id);

    ::CheckDlgButton(hwnd(), IDC_OPT_G_STARTUP, StartupEntry::registered() ? BST_CHECKED : BST_UNCHECKED);
}

bool OptionGeneralPage::validate() {
    long port = 0;
    if (OptionRules::parseInRange(syncer_.text(IDC_OPT_G_PORT), 0, 65535, port)) return true;
    ::MessageBoxW(hwnd(), syncer_.text(L"PortRangeText").c_str(), syncer_.text(L"Caption").c_str(),
                  MB_OK | MB_ICONWARNING);
    ::SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item(IDC_OPT_G_PORT)), TRUE);
    return false;
}

void OptionGeneralPage::apply() {
    storeChoice(item(IDC_OPT_G_LANG), languages_, settings_.lang.id);
    storeChoice(item(IDC_OPT_G_SKIN), skins_, settings_.skin.id);
    // The registry is the only record of this choice, so it is written here.
    const bool startup = ::IsDlgButtonChecked(hwnd(), IDC_OPT_G_STARTUP) == BST_CHECKED;
    if (startup != StartupEntry::registered()) StartupEntry::set(startup);
}

}  // namespace tavelapp

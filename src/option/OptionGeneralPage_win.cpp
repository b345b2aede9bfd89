#include "option/OptionGeneralPage.h"

#include <algorithm>
#include <ctime>

#include "base/AppPaths.h"
#include "config/LossNotice.h"
#include "feature/StartupEntry.h"
#include "config/Lang.h"
#include "config/LangMgr.h"
#include "notify/NotifyWndSkinMgr.h"
#include "option/OptionRules.h"
#include "option/OptionSheet.h"
#include "res/resource.h"
#include "web/WebDevicesFile.h"
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

// Seconds since 1970 (UTC) as the user's short date and time; "-" for none.
std::wstring localDateTime(std::int64_t seconds) {
    if (seconds <= 0) return L"-";
    const std::uint64_t ticks = (static_cast<std::uint64_t>(seconds) + 11644473600ull) * 10000000ull;
    FILETIME utc{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    FILETIME local{};
    SYSTEMTIME time{};
    if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToSystemTime(&local, &time)) return L"-";
    wchar_t date[64] = {}, clock[64] = {};
    ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, 64);
    ::GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, clock, 64);
    return std::wstring(date) + L" " + clock;
}

}  // namespace

OptionGeneralPage::OptionGeneralPage(Ini& settings) : OptionPage(IDD_OPT_GENERAL, L"OptionGeneralPage", settings) {
    Ini::Item::IRCom& remote = settings_.irCom;
    syncer_.bindNumber(IDC_OPT_G_PORT, remote.tcpPort);
    syncer_.bindText(IDC_OPT_G_ADDRESS, remote.tcpAddress);
    syncer_.bindText(IDC_OPT_G_ALLOW, remote.tcpAllow);
    syncer_.bindCheck(IDC_OPT_G_ALLOWALL, remote.tcpAllowAllActions);
    Ini::Item::WebRemote& web = settings_.webRemote;
    syncer_.bindNumber(IDC_OPT_W_PORT, web.port);
    syncer_.bindText(IDC_OPT_W_ADDRESS, web.address);
    syncer_.bindText(IDC_OPT_W_ALLOW, web.allow);
    syncer_.bindCheck(IDC_OPT_W_ALLOWALL, web.allowAllActions);
    // The web remote is stopped while the sheet is open: nobody pairs meanwhile.
    devicesFile_.load();
    // Those the web remote forgets are not listed, nor kept by a save from here.
    std::vector<PairingStore::Device>& devices = devicesFile_.devices;
    const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
    devices.erase(
        std::remove_if(devices.begin(), devices.end(),
                       [now](const PairingStore::Device& device) { return PairingStore::unused(device, now); }),
        devices.end());
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
    listDevices();
}

void OptionGeneralPage::listDevices() {
    HWND list = item(IDC_OPT_W_DEVICES);
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    // Long names and dates scroll sideways rather than being cut.
    ::SendMessageW(list, LB_SETHORIZONTALEXTENT, 1200, 0);
    for (const PairingStore::Device& device : devicesFile_.devices) {
        const std::wstring line = formatText(syncer_.text(L"WebDeviceLine"), device.name,
                                             localDateTime(device.pairedAt), localDateTime(device.lastUse));
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }
    enable(IDC_OPT_W_REMOVE, !devicesFile_.devices.empty());
}

bool OptionGeneralPage::onCommand(WORD id, WORD code, HWND) {
    if (id == IDC_OPT_W_PAIR && code == BN_CLICKED) {
        // Pairing needs the web remote, which is stopped while the sheet is open.
        OptionSheet::askPairing();
        ::PostMessageW(::GetParent(hwnd()), PSM_PRESSBUTTON, PSBTN_OK, 0);
        return true;
    }
    if (id != IDC_OPT_W_REMOVE || code != BN_CLICKED) return false;
    const LRESULT index = ::SendMessageW(item(IDC_OPT_W_DEVICES), LB_GETCURSEL, 0, 0);
    if (index < 0 || static_cast<std::size_t>(index) >= devicesFile_.devices.size()) return true;
    devicesFile_.devices.erase(devicesFile_.devices.begin() + index);
    devicesChanged_ = true;
    listDevices();
    return true;
}

bool OptionGeneralPage::validate() {
    for (const int id : {IDC_OPT_G_PORT, IDC_OPT_W_PORT}) {
        long port = 0;
        if (OptionRules::parseInRange(syncer_.text(id), 0, 65535, port)) continue;
        ::MessageBoxW(hwnd(), syncer_.text(L"PortRangeText").c_str(), syncer_.text(L"Caption").c_str(),
                      MB_OK | MB_ICONWARNING);
        ::SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item(id)), TRUE);
        return false;
    }
    return true;
}

void OptionGeneralPage::apply() {
    storeChoice(item(IDC_OPT_G_LANG), languages_, settings_.lang.id);
    storeChoice(item(IDC_OPT_G_SKIN), skins_, settings_.skin.id);
    // The registry is the only record of this choice, so it is written here.
    const bool startup = ::IsDlgButtonChecked(hwnd(), IDC_OPT_G_STARTUP) == BST_CHECKED;
    if (startup != StartupEntry::registered()) StartupEntry::set(startup);
    if (devicesChanged_) {
        if (LossNotice::save(devicesFile_)) devicesChanged_ = false;
    }
}

}  // namespace tavelapp

#include "app/TrayMenu.h"

#include "action/ActionList.h"
#include "action/ActionMenu.h"
#include "action/ActionPluginMgr.h"
#include "action/ActionRunner.h"
#include "base/AppException.h"
#include "base/AppPaths.h"
#include "base/NotifyWndInfo.h"
#include "base/RunningThreads.h"
#include "app/LinkRules.h"
#include "app/ShellExecuteThread.h"
#include "app/ZEvared.h"
#include "feature/StartupEntry.h"
#include "config/Ini.h"
#include "config/Lang.h"
#include "config/LangMgr.h"
#include "config/LossNotice.h"
#include "feature/ClockTimer.h"
#include "feature/CountdownTimer.h"
#include "feature/EventAction.h"
#include "notify/NotifyWndSkinMgr.h"
#include "win/file/File.h"
#include "win/file/FileSystem.h"
#include "win/file/IniDocument.h"
#include "win/util/StringUtil.h"

namespace tavelapp {
namespace {

const wchar_t kAutomatic[] = L"自動選択";
const wchar_t* const kLinkKeys[] = {L"Official", L"SupportBBS", L"Library_ExAction", L"Library_Skin"};
const wchar_t* const kLinkTexts[] = {L"Link_Official", L"Link_SupportBBS", L"Link_Library_ExAction",
                                     L"Link_Library_Skin"};

std::wstring menuText(const wchar_t* key) { return Lang::instance().text(L"TrayIconMenu", key); }

void append(HMENU menu, UINT command, const std::wstring& text) {
    ::AppendMenuW(menu, MF_STRING, command, text.c_str());
}

void appendPopup(HMENU menu, HMENU popup, const std::wstring& text) {
    ::AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup), text.c_str());
}

void separator(HMENU menu) { ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr); }

// Opens the library backups' folder; restoring one is the user's copy.
const UINT kBackupFolder = 0x166;
const UINT kStartWithWindows = 0x167;

// Language and skin identifiers name files and folders: their case does not matter.
bool sameId(const std::wstring& a, const std::wstring& b) {
    return tavel::win::util::asciiLower(a) == tavel::win::util::asciiLower(b);
}

// Lists are offered up to what a command group can address.
const std::size_t kGroupSize = 256;

// The actions tree with the entries a command group cannot address left out
// (they would take the next group's commands); submenus left empty go too.
tavel::win::util::Menu actionTree(UINT first) {
    tavel::win::util::Menu holder(buildActionMenu(first));
    HMENU tree = holder.get();
    for (int g = ::GetMenuItemCount(tree) - 1; g >= 0; --g) {
        HMENU group = ::GetSubMenu(tree, g);
        if (group == nullptr) continue;
        for (int i = ::GetMenuItemCount(group) - 1; i >= 0; --i) {
            const UINT id = ::GetMenuItemID(group, i);
            if (id < first || id >= first + kGroupSize) ::DeleteMenu(group, static_cast<UINT>(i), MF_BYPOSITION);
        }
        if (::GetMenuItemCount(group) == 0) ::DeleteMenu(tree, static_cast<UINT>(g), MF_BYPOSITION);
    }
    return holder;
}

}  // namespace

TrayMenu::TrayMenu(Util::UtilListener& controller) : controller_(controller) {
    for (const LangMgr::List::Item& item : LangMgr::list().items)
        languages_.push_back({item.id, item.name});
    std::vector<NotifyWndSkinMgr::List::Item> skins;
    NotifyWndSkinMgr::instance().list(skins);
    for (const auto& item : skins)
        skins_.push_back({item.name, item.displayName});
    players_ = ActionPluginMgr::instance().playerPlugins();
    if (languages_.size() > kGroupSize) languages_.resize(kGroupSize);
    if (skins_.size() > kGroupSize) skins_.resize(kGroupSize);
    if (players_.size() > kGroupSize - 1) players_.resize(kGroupSize - 1);
}

tavel::win::util::Menu TrayMenu::buildTimerMenu(const wchar_t* prefix, UINT first, bool running) const {
    tavel::win::util::Menu menu(::CreatePopupMenu());
    const std::wstring p(prefix);
    append(menu.get(), first + 2, menuText((p + L"_Option").c_str()));
    separator(menu.get());
    append(menu.get(), first, menuText((p + L"_Start").c_str()));
    append(menu.get(), first + 1, menuText((p + L"_Stop").c_str()));
    ::CheckMenuRadioItem(menu.get(), first, first + 1, running ? first : first + 1, MF_BYCOMMAND);
    return menu;
}

// Each submenu is held by a wrapper until its parent takes it, so a throw
// midway leaks none.
HMENU TrayMenu::build() const {
    using tavel::win::util::Menu;
    const Ini& settings = Ini::instance();

    Menu languages(::CreatePopupMenu());
    for (std::size_t i = 0; i < languages_.size(); ++i) {
        append(languages.get(), Lang + static_cast<UINT>(i), languages_[i].name);
        if (sameId(languages_[i].id, settings.lang.id)) {
            ::CheckMenuRadioItem(languages.get(), Lang, Lang + static_cast<UINT>(i), Lang + static_cast<UINT>(i),
                                 MF_BYCOMMAND);
        }
    }
    Menu skins(::CreatePopupMenu());
    for (std::size_t i = 0; i < skins_.size(); ++i) {
        append(skins.get(), Skin + static_cast<UINT>(i), skins_[i].name.empty() ? skins_[i].id : skins_[i].name);
        if (sameId(skins_[i].id, settings.skin.id)) {
            ::CheckMenuRadioItem(skins.get(), Skin, Skin + static_cast<UINT>(i), Skin + static_cast<UINT>(i),
                                 MF_BYCOMMAND);
        }
    }
    // Shown only with more than one player; otherwise it goes with the wrapper.
    Menu targets(::CreatePopupMenu());
    append(targets.get(), ActionTarget, kAutomatic);
    UINT marked = ActionTarget;
    for (std::size_t i = 0; i < players_.size(); ++i) {
        const UINT command = ActionTarget + 1 + static_cast<UINT>(i);
        const std::wstring name = players_[i]->GetTargetName();
        append(targets.get(), command, name.empty() ? players_[i]->GetName() : name);
        if (settings.actionTarget.id != L"Auto" && players_[i]->GetName() == settings.actionTarget.id) {
            marked = command;
        }
    }
    ::CheckMenuRadioItem(targets.get(), ActionTarget, ActionTarget + static_cast<UINT>(players_.size()), marked,
                         MF_BYCOMMAND);

    Menu clock = buildTimerMenu(L"ClockTimer", ClockTimerStart, ClockTimer::instance().isRunning());
    Menu countdown = buildTimerMenu(L"CountdownTimer", CountdownTimerStart, CountdownTimer::instance().isRunning());
    Menu event = buildTimerMenu(L"EventAction", EventActionStart, EventAction::instance().isRunning());
    separator(event.get());
    appendPopup(event.get(), actionTree(EventActionLastPlay).release(), menuText(L"EventAction_LastPlay"));

    Menu links(::CreatePopupMenu());
    for (UINT i = 0; i < 4; ++i)
        append(links.get(), Link + i, menuText(kLinkTexts[i]));

    Menu menu(::CreatePopupMenu());
    append(menu.get(), OnlineHelp, menuText(L"OnlineHelp"));
    appendPopup(menu.get(), links.release(), menuText(L"Link"));
    separator(menu.get());
    append(menu.get(), QuickPlay, menuText(L"QuickPlay"));
    append(menu.get(), InterruptPlay, menuText(L"InterruptPlay"));
    append(menu.get(), RunAction, menuText(L"RunAction"));
    append(menu.get(), EditArtwork, menuText(L"EditArtwork"));
    separator(menu.get());
    appendPopup(menu.get(), clock.release(), menuText(L"ClockTimer"));
    appendPopup(menu.get(), countdown.release(), menuText(L"CountdownTimer"));
    appendPopup(menu.get(), event.release(), menuText(L"EventAction"));
    separator(menu.get());
    appendPopup(menu.get(), actionTree(Action).release(), menuText(L"Action"));
    appendPopup(menu.get(), skins.release(), menuText(L"Skin"));
    if (players_.size() != 1) appendPopup(menu.get(), targets.release(), menuText(L"ActionTarget"));
    appendPopup(menu.get(), languages.release(), menuText(L"Lang"));
    separator(menu.get());
    append(menu.get(), Option, menuText(L"Option"));
    append(menu.get(), PairPhone, menuText(L"PairPhone"));
    append(menu.get(), kBackupFolder, menuText(L"BackupFolder"));
    append(menu.get(), kStartWithWindows, menuText(L"StartWithWindows"));
    if (StartupEntry::registered()) ::CheckMenuItem(menu.get(), kStartWithWindows, MF_BYCOMMAND | MF_CHECKED);
    bool anyRunning = false;
    bool runningButNotObserved = false;
    for (const auto& player : players_) {
        if (player->IsPlayerRunning()) {
            anyRunning = true;
            if (!player->IsObserving()) runningButNotObserved = true;
        }
    }
    if (!anyRunning) {
        separator(menu.get());
        append(menu.get(), Boot, menuText(L"Boot"));
    } else if (runningButNotObserved) {
        separator(menu.get());
        append(menu.get(), StartObservation, menuText(L"StartObservation"));
    }
    separator(menu.get());
    append(menu.get(), Exit, menuText(L"Exit"));
    return menu.release();
}

void TrayMenu::show(HWND owner) {
    owner_ = owner;
    POINT at{};
    ::GetCursorPos(&at);
    // Keep the menu on a monitor even when the cursor is off every one.
    HMONITOR monitor = ::MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (::GetMonitorInfoW(monitor, &info)) {
        if (at.x < info.rcMonitor.left) at.x = info.rcMonitor.left;
        if (at.x >= info.rcMonitor.right) at.x = info.rcMonitor.right - 1;
    }
    const tavel::win::util::Menu menu(build());
    ::SetForegroundWindow(owner);
    const UINT chosen = static_cast<UINT>(
        ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr));
    if (chosen != 0) dispatch(chosen);
}

void TrayMenu::dispatch(UINT command) {
    Ini& settings = Ini::instance();
    ActionRunner& runner = ActionRunner::instance();
    if (command == kBackupFolder) {
        const std::wstring folder = AppPaths::settingsFolder() + L"\\Backups";
        tavel::win::file::Dir(folder).create();
        runningThreads().start(std::make_shared<ShellExecuteThread>(owner_, L"open", folder));
        return;
    }
    if (command == kStartWithWindows) {
        // Read again: the value may have changed while the menu was open.
        if (!StartupEntry::set(!StartupEntry::registered())) {
            controller_.notify("StartWithWindows", AppException(L"StartWithWindows").text(), nullptr,
                               NotifyWndInfo::kWarning);
        }
        return;
    }
    switch (command) {
        case Option:
            controller_.showOption();
            return;
        case PairPhone:
            if (ZEvared* controller = ZEvared::live()) controller->showPairing(std::string());
            return;
        case Exit:
            ::PostQuitMessage(0);
            return;
        case QuickPlay:
            runner.runByName(L"QuickPlay", false);
            return;
        case RunAction:
            runner.runByName(L"RunAction", false);
            return;
        case EditArtwork:
            runner.runByName(L"EditArtwork", false);
            return;
        case Boot:
            runner.runByName(L"ITunes_Boot", false);
            return;
        case StartObservation:
            controller_.checkObservationSoon();
            return;
        case InterruptPlay:
            runner.runByName(L"ShowInterruptPlayOption", false);
            return;
        case OnlineHelp:
            openPage(helpPage());
            return;
        case ClockTimerOption:
            runner.runByName(L"ShowClockTimerOption", false);
            return;
        case CountdownTimerOption:
            runner.runByName(L"ShowCountdownTimerOption", false);
            return;
        case EventActionOption:
            runner.runByName(L"ShowEventActionOption", false);
            return;
        case ClockTimerStart:
            ClockTimer::instance().start();
            return;
        case ClockTimerStop:
            ClockTimer::instance().stop();
            return;
        case CountdownTimerStart:
            CountdownTimer::instance().start();
            return;
        case CountdownTimerStop:
            CountdownTimer::instance().stop();
            return;
        case EventActionStart:
            EventAction::instance().start();
            return;
        case EventActionStop:
            EventAction::instance().stop();
            return;
        default:
            break;
    }
    const UINT group = command & 0xFF00;
    const std::size_t index = command & 0xFF;
    switch (group) {
        case Lang:
            if (index < languages_.size()) {
                settings.lang.id = languages_[index].id;
                Ini::publish();
                tavelapp::Lang::instance().reload();
                LossNotice::save(settings);
            }
            return;
        case Skin:
            if (index < skins_.size() && !sameId(skins_[index].id, settings.skin.id)) {
                const std::wstring& name = skins_[index].name.empty() ? skins_[index].id : skins_[index].name;
                controller_.notify("NotifyChangeSkin", L"スキンを「" + name + L"」に変更しました。", nullptr,
                                   NotifyWndInfo::kConfirmation);
                settings.skin.id = skins_[index].id;
                Ini::publish();
                NotifyWndSkinMgr::instance().load(settings.skin.id);
            }
            return;
        case ActionTarget:
            if (index == 0) {
                settings.actionTarget.id = L"Auto";
                Ini::publish();
                controller_.notify("NotifyChangeActionTarget",
                                   std::wstring(L"操作対象を") + kAutomatic + L"に変更しました。", nullptr,
                                   NotifyWndInfo::kConfirmation);
            } else if (index - 1 < players_.size() && players_[index - 1]->GetName() != settings.actionTarget.id) {
                const std::shared_ptr<ActionPlugin>& player = players_[index - 1];
                settings.actionTarget.id = player->GetName();
                Ini::publish();
                const std::wstring name = player->GetTargetName().empty() ? player->GetName() : player->GetTargetName();
                controller_.notify("NotifyChangeActionTarget", L"操作対象を" + name + L"に変更しました。", nullptr,
                                   NotifyWndInfo::kConfirmation);
            }
            return;
        case Link:
            if (index < 4) openPage(linkAddress(static_cast<int>(index)));
            return;
        case Action: {
            const std::vector<ActionListItemPtr>& items = ActionList::instance().items();
            if (index < items.size()) runner.runByName(items[index]->key, false);
            return;
        }
        case EventActionLastPlay: {
            const std::vector<ActionListItemPtr>& items = ActionList::instance().items();
            if (index < items.size()) {
                EventAction& eventAction = EventAction::instance();
                eventAction.setAction(items[index]->key);
                eventAction.start();
                LossNotice::save(EventActionIni::instance());
            }
            return;
        }
        default:
            return;
    }
}

std::wstring TrayMenu::helpPage() { return AppPaths::programFolder() + L"\\KolibrixHelp.html"; }

std::wstring TrayMenu::linkAddress(int index) {
    if (index < 0 || index > 3) return std::wstring();
    std::string bytes;
    if (!tavel::win::file::readFileBytes(AppPaths::programFolder() + L"\\Links.ini", bytes)) return std::wstring();
    const std::wstring address =
        tavel::win::file::IniDocument::parse(bytes).getString(L"Links", kLinkKeys[index], std::wstring());
    // Anything but a web page (a program, a script, a share) is not opened.
    return LinkRules::isWebAddress(address) ? address : std::wstring();
}

void TrayMenu::openPage(const std::wstring& address) const {
    if (address.empty()) return;
    runningThreads().start(std::make_shared<ShellExecuteThread>(owner_, L"open", address));
}

}  // namespace tavelapp

#include <gtest/gtest.h>
#include <windows.h>
#include <sddl.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "action/ActionList.h"
#include "action/ActionPluginMgr.h"
#include "base/AppException.h"
#include "base/AppPaths.h"
#include "app/TrayIcon.h"
#include "app/TrayMenu.h"
#include "app/ZEvared.h"
#include "config/Ini.h"
#include "config/Lang.h"
#include "config/LangMgr.h"
#include "notify/NotifyWndSkinMgr.h"
#include "win/util/StringUtil.h"

using namespace tavelapp;

namespace {

// ---------------------------------------------------------------- the icon

struct Recorder : TrayIcon::TrayIconListener {
    void onLButtonDown(TrayIcon& i) override { add("LDown", i); }
    void onLButtonUp(TrayIcon& i) override { add("LUp", i); }
    void onLButtonDblClk(TrayIcon& i) override { add("LDbl", i); }
    void onRButtonDown(TrayIcon& i) override { add("RDown", i); }
    void onRButtonUp(TrayIcon& i) override { add("RUp", i); }
    void onRButtonDblClk(TrayIcon& i) override { add("RDbl", i); }
    void onMButtonDown(TrayIcon& i) override { add("MDown", i); }
    void onMButtonUp(TrayIcon& i) override { add("MUp", i); }
    void onMButtonDblClk(TrayIcon& i) override { add("MDbl", i); }
    void onMouseMove(TrayIcon& i) override { add("Move", i); }
    void add(const char* what, TrayIcon& icon) {
        calls.push_back(what);
        sources.push_back(&icon);
    }
    std::vector<std::string> calls;
    std::vector<TrayIcon*> sources;
};

// Whether the shell holds an icon for the window (identifier 0).
bool shellHolds(HWND window) {
    NOTIFYICONDATAW record{};
    record.cbSize = 152;
    record.hWnd = window;
    record.uID = 0;
    record.uFlags = 0;
    return ::Shell_NotifyIconW(NIM_MODIFY, &record) != FALSE;
}

TEST(TrayIcon, HiddenWindowTakesTheShellsMessagesAndCannotBeClosed) {
    HWND window = nullptr;
    {
        TrayIcon icon;
        window = icon.hwnd();
        ASSERT_TRUE(::IsWindow(window));
        EXPECT_FALSE(::IsWindowVisible(window));
        EXPECT_NE(0, ::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
        EXPECT_EQ(0, ::GetWindowTextLengthW(window));
        EXPECT_FALSE(icon.added());
        EXPECT_EQ(0, icon.additions());

        // The system asking it to close changes nothing.
        EXPECT_EQ(0, ::SendMessageW(window, WM_CLOSE, 0, 0));
        pumpFor(50);
        EXPECT_TRUE(::IsWindow(window));
    }
    // Gone with its icon.
    EXPECT_FALSE(::IsWindow(window));
}

TEST(TrayIcon, IsAddedAndAddedAgainWhenTheShellRestarts) {
    TrayIcon icon;
    HICON image = ::LoadIconW(nullptr, IDI_APPLICATION);
    icon.setIcon(image);
    icon.updateIcon();  // not added yet: nothing to modify
    EXPECT_FALSE(icon.added());
    EXPECT_FALSE(shellHolds(icon.hwnd()));

    icon.setTip(L"Kolibrix - stopped");
    const bool accepted = icon.addIcon();
    EXPECT_EQ(1, icon.additions());
    EXPECT_EQ(accepted, icon.added());
    // Wine's shell runs in this prefix, so the icon is accepted.
    EXPECT_TRUE(accepted);
    if (accepted) EXPECT_TRUE(shellHolds(icon.hwnd()));

    // The shell restarting announces itself to every top-level window.
    const UINT taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
    ASSERT_NE(0u, taskbarCreated);
    EXPECT_EQ(1, ::SendMessageW(icon.hwnd(), taskbarCreated, 0, 0));
    EXPECT_EQ(2, icon.additions());
    EXPECT_EQ(accepted, icon.added());
    EXPECT_EQ(L"Kolibrix - stopped", icon.tip());
    if (accepted) EXPECT_TRUE(shellHolds(icon.hwnd()));

    // Adding again while added replaces the icon rather than failing.
    EXPECT_EQ(accepted, icon.addIcon());
    EXPECT_EQ(3, icon.additions());

    // A broadcast reaches it as well.
    ::PostMessageW(HWND_BROADCAST, taskbarCreated, 0, 0);
    EXPECT_TRUE(pumpUntil([&] { return icon.additions() == 4; }, 2000));
    EXPECT_EQ(L"Kolibrix - stopped", icon.tip());
}

TEST(TrayIcon, ShellGoesWithTheIcon) {
    HWND window = nullptr;
    bool accepted = false;
    {
        TrayIcon icon;
        icon.setIcon(::LoadIconW(nullptr, IDI_APPLICATION));
        accepted = icon.addIcon();
        window = icon.hwnd();
        if (!accepted) GTEST_SKIP() << "the shell took no icon";
        EXPECT_TRUE(shellHolds(window));
    }
    EXPECT_FALSE(shellHolds(window));
}

TEST(TrayIcon, MouseMessagesReachTheListenerInOrder) {
    TrayIcon icon;
    Recorder recorder;
    icon.setListener(&recorder);
    const UINT mouse[] = {WM_LBUTTONDOWN,   WM_LBUTTONUP,   WM_LBUTTONDBLCLK, WM_RBUTTONDOWN,   WM_RBUTTONUP,
                          WM_RBUTTONDBLCLK, WM_MBUTTONDOWN, WM_MBUTTONUP,     WM_MBUTTONDBLCLK, WM_MOUSEMOVE};
    for (UINT m : mouse)
        EXPECT_EQ(0, ::SendMessageW(icon.hwnd(), WM_USER + 1, 0, m));
    // Others are ignored.
    EXPECT_EQ(0, ::SendMessageW(icon.hwnd(), WM_USER + 1, 0, WM_MOUSEWHEEL));
    EXPECT_EQ(0, ::SendMessageW(icon.hwnd(), WM_USER + 1, 0, WM_KEYDOWN));
    const std::vector<std::string> expected = {"LDown", "LUp",   "LDbl", "RDown", "RUp",
                                               "RDbl",  "MDown", "MUp",  "MDbl",  "Move"};
    EXPECT_EQ(expected, recorder.calls);
    for (TrayIcon* source : recorder.sources)
        EXPECT_EQ(&icon, source);

    // Posted the way the shell does, through the message loop.
    recorder.calls.clear();
    ::PostMessageW(icon.hwnd(), WM_USER + 1, 0, WM_RBUTTONUP);
    EXPECT_TRUE(pumpUntil([&] { return !recorder.calls.empty(); }, 1000));
    EXPECT_EQ(std::vector<std::string>{"RUp"}, recorder.calls);

    // No listener: nothing breaks.
    icon.setListener(nullptr);
    EXPECT_EQ(0, ::SendMessageW(icon.hwnd(), WM_USER + 1, 0, WM_LBUTTONDOWN));
    EXPECT_EQ(1u, recorder.calls.size());
}

TEST(TrayIcon, ToolTipIsCutTo63Characters) {
    TrayIcon icon;
    std::wstring seventy;
    for (int i = 0; i < 70; ++i)
        seventy += static_cast<wchar_t>(L'a' + i % 26);
    icon.setTip(seventy);
    EXPECT_EQ(seventy.substr(0, 63), icon.tip());
    std::wstring sixtyThree = seventy.substr(7);
    icon.setTip(sixtyThree);
    EXPECT_EQ(sixtyThree, icon.tip());
    icon.setTip(L"short");
    EXPECT_EQ(L"short", icon.tip());
    icon.setTip(L"");
    EXPECT_EQ(L"", icon.tip());
    // A character outside the basic plane across the limit is left out whole.
    std::wstring straddling = seventy.substr(0, 62) + L"\xD83C\xDFB5" + L"tail";
    icon.setTip(straddling);
    EXPECT_EQ(seventy.substr(0, 62), icon.tip());
    // Also while added.
    icon.setIcon(::LoadIconW(nullptr, IDI_APPLICATION));
    icon.addIcon();
    icon.setTip(seventy + seventy);
    EXPECT_EQ(seventy.substr(0, 63), icon.tip());
}

// ---------------------------------------------------------------- the menu

struct Entry {
    UINT id = 0;
    UINT type = 0;
    UINT state = 0;
    HMENU sub = nullptr;
    std::wstring text;
    bool separator() const { return (type & MFT_SEPARATOR) != 0; }
    bool radioChecked() const { return (type & MFT_RADIOCHECK) != 0 && (state & MFS_CHECKED) != 0; }
    bool checked() const { return (state & MFS_CHECKED) != 0; }
};

std::vector<Entry> entries(HMENU menu) {
    std::vector<Entry> out;
    const int n = ::GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        wchar_t text[512] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU | MIIM_STRING | MIIM_ID;
        info.dwTypeData = text;
        info.cch = 511;
        EXPECT_TRUE(::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info));
        Entry e;
        e.id = ::GetMenuItemID(menu, i);
        e.type = info.fType;
        e.state = info.fState;
        e.sub = info.hSubMenu;
        e.text = text;
        out.push_back(e);
    }
    return out;
}

std::wstring menuText(const wchar_t* key) { return Lang::instance().text(L"TrayIconMenu", key); }

int checkedCount(const std::vector<Entry>& list) {
    int n = 0;
    for (const Entry& e : list)
        n += e.checked() ? 1 : 0;
    return n;
}

struct Owner : ZEvared::ZEvaredListener {
    void showNotifyWnd(ZEvared&, const NotifyWndInfo& info) override {
        shown.push_back({info.messageKey, info.text, info.kind});
    }
    void onPluginChange0(ZEvared&) override {}
    void onPluginChange1(ZEvared&) override {}
    struct Shown {
        std::string key;
        std::wstring text;
        int kind;
    };
    std::vector<Shown> shown;
    int count(const std::string& key) const {
        int n = 0;
        for (const Shown& s : shown)
            n += s.key == key ? 1 : 0;
        return n;
    }
};

class TrayMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        settingsFile = AppPaths::settingsFolder() + L"\\Option.ini";
        ::DeleteFileW(settingsFile.c_str());
        controller.reset(new ZEvared);
        controller->setListener(&owner);
        pumpFor(300);  // whatever the start shows
        owner.shown.clear();
    }
    void TearDown() override {
        controller.reset();
        ::DeleteFileW(settingsFile.c_str());
        Ini::instance() = Ini(settingsFile);
        Lang::instance().reload();
        NotifyWndSkinMgr::instance().load(Ini::instance().skin.id);
    }
    std::string settingsText() const {
        std::ifstream in(settingsFile.c_str(), std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    bool settingsExist() const { return ::GetFileAttributesW(settingsFile.c_str()) != INVALID_FILE_ATTRIBUTES; }
    std::vector<Entry> topLevel(HMENU& menu) {
        TrayMenu tray(*controller);
        menu = tray.build();
        return entries(menu);
    }
    int indexOfLanguage(const std::wstring& id) const {
        const auto items = LangMgr::list().items;
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i].id == id) return static_cast<int>(i);
        return -1;
    }
    static std::vector<NotifyWndSkinMgr::List::Item> skins() {
        std::vector<NotifyWndSkinMgr::List::Item> list;
        NotifyWndSkinMgr::instance().list(list);
        return list;
    }
    static int indexOfSkin(const std::wstring& id) {
        const auto list = skins();
        for (std::size_t i = 0; i < list.size(); ++i)
            if (list[i].name == id) return static_cast<int>(i);
        return -1;
    }

    std::wstring settingsFile;
    Owner owner;
    std::unique_ptr<ZEvared> controller;
};

TEST_F(TrayMenuTest, TopLevelHoldsTheCommandsAndSubmenusInOrder) {
    ASSERT_EQ(1u, ActionPluginMgr::instance().playerPlugins().size());
    ASSERT_FALSE(ActionPluginMgr::instance().playerPlugins()[0]->IsPlayerRunning());
    HMENU menu = nullptr;
    const std::vector<Entry> top = topLevel(menu);
    ASSERT_EQ(24u, top.size());

    auto command = [&](std::size_t at, UINT id, const wchar_t* key) {
        SCOPED_TRACE(key);
        EXPECT_EQ(nullptr, top[at].sub);
        EXPECT_EQ(id, top[at].id);
        EXPECT_EQ(menuText(key), top[at].text);
        EXPECT_FALSE(top[at].separator());
    };
    auto popup = [&](std::size_t at, const wchar_t* key) {
        SCOPED_TRACE(key);
        EXPECT_NE(nullptr, top[at].sub);
        EXPECT_EQ(menuText(key), top[at].text);
        return top[at].sub;
    };
    for (std::size_t at : {2u, 7u, 11u, 15u, 20u, 22u})
        EXPECT_TRUE(top[at].separator()) << at;

    command(0, 0x165, L"OnlineHelp");
    HMENU links = popup(1, L"Link");
    command(3, 0x102, L"QuickPlay");
    command(4, 0x108, L"InterruptPlay");
    command(5, 0x103, L"RunAction");
    command(6, 0x104, L"EditArtwork");
    HMENU clock = popup(8, L"ClockTimer");
    HMENU countdown = popup(9, L"CountdownTimer");
    HMENU event = popup(10, L"EventAction");
    HMENU actions = popup(12, L"Action");
    HMENU skinList = popup(13, L"Skin");
    // One player plug-in: no action-target list; the languages follow the skins.
    HMENU langList = popup(14, L"Lang");
    command(16, 0x100, L"Option");
    command(17, 0x109, L"PairPhone");
    command(18, 0x166, L"BackupFolder");
    command(19, 0x167, L"StartWithWindows");
    command(21, 0x105, L"Boot");  // the player does not run
    command(23, 0x101, L"Exit");
    for (const Entry& e : top)
        EXPECT_NE(menuText(L"ActionTarget"), e.text);
    // Texts are the language file's, not keys.
    EXPECT_EQ(L"終了", top[23].text);

    const std::vector<Entry> link = entries(links);
    ASSERT_EQ(4u, link.size());
    const wchar_t* linkKeys[] = {L"Link_Official", L"Link_SupportBBS", L"Link_Library_ExAction", L"Link_Library_Skin"};
    for (UINT i = 0; i < 4; ++i) {
        EXPECT_EQ(0x800 + i, link[i].id);
        EXPECT_EQ(menuText(linkKeys[i]), link[i].text);
    }

    struct Timer {
        HMENU menu;
        UINT first;
        const wchar_t* prefix;
    };
    for (const Timer& t : {Timer{clock, 0x500, L"ClockTimer"}, Timer{countdown, 0x600, L"CountdownTimer"},
                           Timer{event, 0x700, L"EventAction"}}) {
        SCOPED_TRACE(t.prefix);
        const std::vector<Entry> items = entries(t.menu);
        ASSERT_EQ(t.first == 0x700 ? 6u : 4u, items.size());
        const std::wstring p(t.prefix);
        EXPECT_EQ(t.first + 2, items[0].id);
        EXPECT_EQ(menuText((p + L"_Option").c_str()), items[0].text);
        EXPECT_TRUE(items[1].separator());
        EXPECT_EQ(t.first, items[2].id);
        EXPECT_EQ(menuText((p + L"_Start").c_str()), items[2].text);
        EXPECT_EQ(t.first + 1, items[3].id);
        EXPECT_EQ(menuText((p + L"_Stop").c_str()), items[3].text);
        // Not running: the mark is on Stop, alone.
        EXPECT_FALSE(items[2].checked());
        EXPECT_TRUE(items[3].radioChecked());
        EXPECT_EQ(1, checkedCount(items));
        if (t.first == 0x700) {
            EXPECT_TRUE(items[4].separator());
            EXPECT_NE(nullptr, items[5].sub);
            EXPECT_EQ(menuText(L"EventAction_LastPlay"), items[5].text);
        }
    }

    // The actions, grouped by section in order of first appearance, without "nothing".
    const std::vector<ActionListItemPtr>& list = ActionList::instance().items();
    ASSERT_FALSE(list.empty());
    std::vector<std::wstring> sections;
    std::vector<std::vector<std::size_t>> members;
    bool hasNothing = false;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::wstring s = tavel::win::util::asciiLower(list[i]->section);
        if (s == L"nothing") {
            hasNothing = true;
            continue;
        }
        std::size_t k = 0;
        while (k < sections.size() && sections[k] != s)
            ++k;
        if (k == sections.size()) {
            sections.push_back(s);
            members.emplace_back();
        }
        members[k].push_back(i);
    }
    EXPECT_TRUE(hasNothing) << "the shipped list has a \"nothing\" section to leave out";
    auto checkActions = [&](HMENU tree, UINT first) {
        const std::vector<Entry> groups = entries(tree);
        ASSERT_EQ(sections.size(), groups.size());
        for (std::size_t k = 0; k < sections.size(); ++k) {
            SCOPED_TRACE(sections[k]);
            EXPECT_EQ(Lang::instance().text(L"ActionType", sections[k]), groups[k].text);
            ASSERT_NE(nullptr, groups[k].sub);
            const std::vector<Entry> inGroup = entries(groups[k].sub);
            ASSERT_EQ(members[k].size(), inGroup.size());
            for (std::size_t j = 0; j < inGroup.size(); ++j) {
                EXPECT_EQ(first + members[k][j], inGroup[j].id);
                EXPECT_EQ(list[members[k][j]]->displayName(), inGroup[j].text);
            }
        }
    };
    {
        SCOPED_TRACE("Action");
        checkActions(actions, 0x900);
    }
    {
        SCOPED_TRACE("EventAction_LastPlay");
        checkActions(entries(event)[5].sub, 0xA00);
    }
    EXPECT_EQ(Lang::instance().text(L"ActionType", L"player"), entries(actions)[0].text);

    // Skins: display names, the current one marked.
    const auto installed = skins();
    const std::vector<Entry> skinItems = entries(skinList);
    ASSERT_EQ(installed.size(), skinItems.size());
    ASSERT_GE(installed.size(), 2u);
    for (std::size_t i = 0; i < installed.size(); ++i) {
        EXPECT_EQ(0x300 + i, skinItems[i].id);
        EXPECT_EQ(installed[i].displayName, skinItems[i].text);
        EXPECT_EQ(installed[i].name == L"default", skinItems[i].radioChecked()) << i;
    }
    EXPECT_EQ(1, checkedCount(skinItems));

    // Languages: display names, the current one marked.
    const auto languages = LangMgr::list().items;
    const std::vector<Entry> langItems = entries(langList);
    ASSERT_EQ(languages.size(), langItems.size());
    ASSERT_GE(languages.size(), 2u);
    for (std::size_t i = 0; i < languages.size(); ++i) {
        EXPECT_EQ(0x200 + i, langItems[i].id);
        EXPECT_EQ(languages[i].name, langItems[i].text);
        EXPECT_EQ(languages[i].id == L"ja", langItems[i].radioChecked()) << i;
    }
    EXPECT_EQ(1, checkedCount(langItems));

    ::DestroyMenu(menu);
}

TEST_F(TrayMenuTest, ChosenLanguageIsSavedAtOnceAndShownByTheNextMenu) {
    const int en = indexOfLanguage(L"en");
    ASSERT_GE(en, 0);
    ASSERT_FALSE(settingsExist());
    TrayMenu tray(*controller);
    tray.dispatch(0x200 + en);
    EXPECT_EQ(L"en", Ini::instance().lang.id);
    ASSERT_TRUE(settingsExist());
    const std::string text = settingsText();
    EXPECT_NE(std::string::npos, text.find("[Lang]"));
    EXPECT_NE(std::string::npos, text.find("Id=en"));

    HMENU menu = nullptr;
    const std::vector<Entry> top = topLevel(menu);
    ASSERT_EQ(24u, top.size());
    EXPECT_EQ(L"Exit", top[23].text);
    EXPECT_EQ(menuText(L"Exit"), top[23].text);
    EXPECT_EQ(menuText(L"Option"), top[16].text);
    const std::vector<Entry> langItems = entries(top[14].sub);
    ASSERT_GT(langItems.size(), static_cast<std::size_t>(en));
    EXPECT_TRUE(langItems[en].radioChecked());
    EXPECT_EQ(1, checkedCount(langItems));
    ::DestroyMenu(menu);

    // And back: saved again.
    const int ja = indexOfLanguage(L"ja");
    ASSERT_GE(ja, 0);
    tray.dispatch(0x200 + ja);
    EXPECT_NE(std::string::npos, settingsText().find("Id=ja"));
    EXPECT_EQ(L"終了", menuText(L"Exit"));
}

TEST_F(TrayMenuTest, ChoosingASkinNotifiesOnlyAChange) {
    const int current = indexOfSkin(L"default");
    const int card = indexOfSkin(L"card");
    ASSERT_GE(current, 0);
    ASSERT_GE(card, 0);
    TrayMenu tray(*controller);

    tray.dispatch(0x300 + current);
    pumpFor(500);
    EXPECT_EQ(0, owner.count("NotifyChangeSkin"));
    EXPECT_EQ(L"default", Ini::instance().skin.id);

    // The setting as a user may have written it: the same skin.
    Ini::instance().skin.id = L"Default";
    tray.dispatch(0x300 + current);
    pumpFor(500);
    EXPECT_EQ(0, owner.count("NotifyChangeSkin"));
    {
        HMENU menu = nullptr;
        const std::vector<Entry> top = topLevel(menu);
        const std::vector<Entry> skinItems = entries(top[13].sub);
        EXPECT_TRUE(skinItems[current].radioChecked());
        ::DestroyMenu(menu);
    }
    Ini::instance().skin.id = L"default";

    tray.dispatch(0x300 + card);
    ASSERT_TRUE(pumpUntil([&] { return owner.count("NotifyChangeSkin") == 1; }, 3000));
    const Owner::Shown& shown = owner.shown.back();
    EXPECT_EQ("NotifyChangeSkin", shown.key);
    EXPECT_EQ(0, shown.kind);
    EXPECT_EQ(L"スキンを「" + skins()[card].displayName + L"」に変更しました。", shown.text);
    EXPECT_EQ(L"card", Ini::instance().skin.id);
    ASSERT_NE(nullptr, NotifyWndSkinMgr::instance().current());

    // Not saved at once: that waits for the next save.
    EXPECT_FALSE(settingsExist());

    HMENU menu = nullptr;
    const std::vector<Entry> top = topLevel(menu);
    const std::vector<Entry> skinItems = entries(top[13].sub);
    EXPECT_TRUE(skinItems[card].radioChecked());
    EXPECT_EQ(1, checkedCount(skinItems));
    ::DestroyMenu(menu);
}

TEST_F(TrayMenuTest, AutomaticActionTargetIsAlwaysAnnounced) {
    TrayMenu tray(*controller);
    const std::wstring text = L"操作対象を自動選択に変更しました。";
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        tray.dispatch(0x400);
        EXPECT_EQ(L"Auto", Ini::instance().actionTarget.id);
        ASSERT_TRUE(pumpUntil([&] { return owner.count("NotifyChangeActionTarget") == round; }, 3000));
        EXPECT_EQ(0, owner.shown.back().kind);
        EXPECT_EQ(text, owner.shown.back().text);
    }
    EXPECT_FALSE(settingsExist());
}

// The mark is the Run value itself: set or removed behind the program's back,
// or left by a copy in another folder, the menu shows what Windows will do.
TEST_F(TrayMenuTest, StartWithWindowsFollowsTheRunValue) {
    const wchar_t runKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    auto value = [&]() -> std::wstring {
        wchar_t text[1024] = {};
        DWORD size = sizeof(text);
        if (::RegGetValueW(HKEY_CURRENT_USER, runKey, L"Kolibrix", RRF_RT_REG_SZ, nullptr, text, &size) !=
            ERROR_SUCCESS)
            return L"<none>";
        return text;
    };
    auto mark = [&]() {
        HMENU menu = nullptr;
        const std::vector<Entry> top = topLevel(menu);
        bool checked = false;
        int found = 0;
        for (const Entry& e : top) {
            if (e.id != 0x167) continue;
            ++found;
            checked = e.checked();
        }
        ::DestroyMenu(menu);
        EXPECT_EQ(1, found);
        return checked;
    };
    auto writeValue = [&](const std::wstring& text) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS,
                  ::RegCreateKeyExW(HKEY_CURRENT_USER, runKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr));
        ::RegSetValueExW(key, L"Kolibrix", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                         static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(key);
    };
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, runKey, L"Kolibrix");
    EXPECT_FALSE(mark());

    TrayMenu(*controller).dispatch(0x167);
    EXPECT_EQ(L"\"" + AppPaths::programPath() + L"\"", value());
    EXPECT_TRUE(mark());

    TrayMenu(*controller).dispatch(0x167);
    EXPECT_EQ(L"<none>", value());
    EXPECT_FALSE(mark());

    // Written by hand, unquoted and in other case: still this program.
    std::wstring upper = AppPaths::programPath();
    for (wchar_t& c : upper)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    writeValue(upper);
    EXPECT_TRUE(mark());
    writeValue(L"\"C:\\Elsewhere\\Kolibrix.exe\"");
    EXPECT_FALSE(mark());
    // Choosing it then points Windows at this copy.
    TrayMenu(*controller).dispatch(0x167);
    EXPECT_EQ(L"\"" + AppPaths::programPath() + L"\"", value());
    EXPECT_TRUE(mark());
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, runKey, L"Kolibrix");
}

// A Run key the user may not write (a policy, security software): the choice
// is not silently lost, the user is told in a warning.
TEST_F(TrayMenuTest, StartWithWindowsTellsWhenTheRegistryRefuses) {
    const wchar_t runKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CURRENT_USER, runKey, 0, nullptr, 0, READ_CONTROL | WRITE_DAC,
                                               nullptr, &key, nullptr));
    DWORD size = 0;
    ::RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size);
    std::vector<BYTE> saved(size);
    ASSERT_EQ(ERROR_SUCCESS, ::RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, saved.data(), &size));
    PSECURITY_DESCRIPTOR denying = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(D;;0x2;;;WD)(A;;GA;;;WD)", SDDL_REVISION_1,
                                                                       &denying, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, denying));
    ::LocalFree(denying);

    TrayMenu(*controller).dispatch(0x167);
    const bool told = pumpUntil([&] { return owner.count("StartWithWindows") == 1; }, 3000);

    EXPECT_EQ(ERROR_SUCCESS, ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, saved.data()));
    ::RegCloseKey(key);
    ASSERT_TRUE(told);
    EXPECT_EQ(NotifyWndInfo::kWarning, owner.shown.back().kind);
    EXPECT_EQ(AppException(L"StartWithWindows").text(), owner.shown.back().text);
    EXPECT_NE(L"StartWithWindows", owner.shown.back().text) << "a text of the language file";
}

TEST_F(TrayMenuTest, ExitPostsTheQuitMessageWithCodeZero) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    TrayMenu tray(*controller);
    tray.dispatch(0x101);
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), msg.message);
    EXPECT_EQ(0u, msg.wParam);
}

TEST_F(TrayMenuTest, IndexBeyondAListDoesNothing) {
    TrayMenu tray(*controller);
    const UINT languages = static_cast<UINT>(LangMgr::list().items.size());
    const UINT skinCount = static_cast<UINT>(skins().size());
    const UINT players = static_cast<UINT>(ActionPluginMgr::instance().playerPlugins().size());
    const UINT actions = static_cast<UINT>(ActionList::instance().items().size());
    Ini::instance().actionTarget.id = L"x";
    tray.dispatch(0x200 + languages);
    tray.dispatch(0x2FF);
    tray.dispatch(0x300 + skinCount);
    tray.dispatch(0x3FF);
    tray.dispatch(0x400 + players + 1);
    tray.dispatch(0x4FF);
    tray.dispatch(0x804);
    tray.dispatch(0x900 + actions);
    tray.dispatch(0x9FF);
    tray.dispatch(0x1000);
    tray.dispatch(0);
    pumpFor(600);
    EXPECT_TRUE(owner.shown.empty());
    for (const Owner::Shown& s : owner.shown)
        ADD_FAILURE() << s.key;
    EXPECT_EQ(L"ja", Ini::instance().lang.id);
    EXPECT_EQ(L"default", Ini::instance().skin.id);
    EXPECT_EQ(L"x", Ini::instance().actionTarget.id);
    EXPECT_FALSE(settingsExist());
    MSG msg;
    EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(TrayMenuTest, ActionsBeyondWhatAGroupAddressesAreLeftOut) {
    const std::wstring folder = AppPaths::settingsFolder() + L"\\Actions\\Many";
    const std::wstring file = folder + L"\\Many.act";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    {
        std::ofstream out(file.c_str(), std::ios::binary);
        out << "[many]\r\n";
        for (int i = 0; i < 300; ++i)
            out << "Many" << i << "\tsample_wait\t1\r\n";
    }
    ActionList::instance().load();
    const std::size_t total = ActionList::instance().items().size();
    ASSERT_GT(total, 300u);

    auto ids = [](HMENU tree) {
        std::vector<UINT> out;
        for (const Entry& group : entries(tree)) {
            EXPECT_NE(nullptr, group.sub);
            EXPECT_GT(::GetMenuItemCount(group.sub), 0);
            for (const Entry& e : entries(group.sub))
                out.push_back(e.id);
        }
        return out;
    };
    HMENU menu = nullptr;
    const std::vector<Entry> top = topLevel(menu);
    ASSERT_EQ(24u, top.size());
    for (UINT first : {0x900u, 0xA00u}) {
        SCOPED_TRACE(first);
        const std::vector<UINT> offered = ids(first == 0x900u ? top[12].sub : entries(top[10].sub)[5].sub);
        EXPECT_FALSE(offered.empty());
        for (UINT id : offered) {
            EXPECT_GE(id, first);
            EXPECT_LT(id, first + 0x100);
        }
        // Every addressable entry outside "nothing" is still offered.
        std::size_t addressable = 0;
        for (std::size_t i = 0; i < 256 && i < total; ++i)
            addressable +=
                tavel::win::util::asciiLower(ActionList::instance().items()[i]->section) != L"nothing" ? 1 : 0;
        EXPECT_EQ(addressable, offered.size());
    }
    ::DestroyMenu(menu);

    ::DeleteFileW(file.c_str());
    ::RemoveDirectoryW(folder.c_str());
    ActionList::instance().load();
}

TEST(TrayMenuAddresses, HelpPageAndLinksSitBesideTheProgram) {
    EXPECT_EQ(AppPaths::programFolder() + L"\\KolibrixHelp.html", TrayMenu::helpPage());
    EXPECT_EQ(L"", TrayMenu::linkAddress(-1));
    EXPECT_EQ(L"", TrayMenu::linkAddress(4));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(0u, TrayMenu::linkAddress(i).find(L"https://")) << i;
}

}  // namespace

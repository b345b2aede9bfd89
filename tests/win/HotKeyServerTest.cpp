#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "NoticeRecorder.h"
#include "base/AppPaths.h"
#include "base/Util.h"
#include "app/ZEvared.h"
#include "config/Ini.h"
#include "config/Lang.h"
#include "input/HotKeyServer.h"

using namespace tavelapp;

namespace {

const UINT kCtrlAlt = MOD_CONTROL | MOD_ALT;

// A window of the test's own that can hold a combination, as another program would.
class OtherProgram {
public:
    OtherProgram() : hwnd_(::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr)) {}
    ~OtherProgram() {
        for (int id : held_)
            ::UnregisterHotKey(hwnd_, id);
        ::DestroyWindow(hwnd_);
    }
    bool hold(UINT mods, UINT vk) {
        const int id = static_cast<int>(held_.size()) + 1;
        if (!::RegisterHotKey(hwnd_, id, mods, vk)) return false;
        held_.push_back(id);
        return true;
    }
    // Whether the combination is free: taken and given back at once.
    bool canTake(UINT mods, UINT vk) {
        if (!::RegisterHotKey(hwnd_, 999, mods, vk)) return false;
        ::UnregisterHotKey(hwnd_, 999);
        return true;
    }

private:
    HWND hwnd_;
    std::vector<int> held_;
};

class HotKeyServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved = Ini::instance();
        Ini::instance().hotKeys.clear();
        Ini::instance().hotKey.disable = false;
        Ini::instance().detail.soundEnabled = false;
        langFile = moduleFolder() + L"\\hotkey-test.lng";
        std::ofstream(langFile.c_str(), std::ios::binary) << "[Error]\r\nHotkeyRegist=Taken elsewhere:\r\n"
                                                             "[ActionName]\r\nNextTrack=Next Track\r\n"
                                                             "PlayPause=Play/Pause\r\n"
                                                             "[Others]\r\nHotkeyNothing=None\r\n"
                                                             "[Notification]\r\nActionDoesNotExist=No action %1%\r\n";
        Lang::instance().setFiles(langFile, {});
        Util::setController(&recorder);
    }
    void TearDown() override {
        Util::setController(nullptr);
        Ini::instance() = saved;
        Lang::instance().reload();
        ::DeleteFileW(langFile.c_str());
    }
    void bind(UINT mods, UINT vk, const std::wstring& action) { Ini::instance().hotKeys.push_back({mods, vk, action}); }

    Ini saved{L""};
    std::wstring langFile;
    NoticeRecorder recorder;
    OtherProgram other;
};

}  // namespace

TEST_F(HotKeyServerTest, RegistersEachBindingOnItsHiddenWindowUntilItGoes) {
    bind(kCtrlAlt, VK_F5, L"NextTrack");
    bind(kCtrlAlt, 0, L"Stop");  // no key: takes no id
    bind(kCtrlAlt | MOD_SHIFT, VK_F5, L"PlayPause");
    {
        HotKeyServer server;
        wchar_t className[64] = L"";
        ::GetClassNameW(server.hwnd(), className, 64);
        EXPECT_STREQ(L"Kolibrix_HotKey_EventHandlerWnd", className);
        EXPECT_EQ(static_cast<LONG_PTR>(WS_OVERLAPPEDWINDOW),
                  ::GetWindowLongPtrW(server.hwnd(), GWL_STYLE) & WS_OVERLAPPEDWINDOW);
        EXPECT_TRUE(::GetWindowLongPtrW(server.hwnd(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
        EXPECT_FALSE(::IsWindowVisible(server.hwnd()));

        ASSERT_EQ(2u, server.keys().size());
        const auto& first = server.keys().at(0xC000);
        const auto& second = server.keys().at(0xC001);
        EXPECT_EQ(0xC000, first->id());
        EXPECT_FALSE(first->failed());
        EXPECT_EQ(L"PlayPause", second->action());
        EXPECT_EQ(0xC001, second->id());
        EXPECT_FALSE(second->failed());

        EXPECT_FALSE(other.canTake(kCtrlAlt, VK_F5)) << "the server holds the combination";
        EXPECT_FALSE(other.canTake(kCtrlAlt | MOD_SHIFT, VK_F5));
    }
    EXPECT_TRUE(other.canTake(kCtrlAlt, VK_F5)) << "given back with the server";
    EXPECT_TRUE(other.canTake(kCtrlAlt | MOD_SHIFT, VK_F5));
    EXPECT_TRUE(recorder.notices().empty());

    // A new server counts from the start again; a disabled one registers nothing.
    {
        HotKeyServer server;
        EXPECT_EQ(1u, server.keys().count(0xC000));
    }
    Ini::instance().hotKey.disable = true;
    HotKeyServer disabled;
    EXPECT_TRUE(::IsWindow(disabled.hwnd()));
    EXPECT_TRUE(disabled.keys().empty());
    EXPECT_TRUE(other.canTake(kCtrlAlt, VK_F5));
}

TEST_F(HotKeyServerTest, AHeldOrRepeatedCombinationIsReportedOnceAndTheRestWork) {
    ASSERT_TRUE(other.hold(kCtrlAlt, VK_F7));
    bind(kCtrlAlt, VK_F7, L"NextTrack");
    bind(kCtrlAlt, VK_F8, L"Volume_Up5");
    bind(kCtrlAlt, VK_F8, L"PlayPause");  // the same combination again

    HotKeyServer server;
    ASSERT_EQ(3u, server.keys().size());
    const auto& held = server.keys().at(0xC000);
    EXPECT_TRUE(held->failed());
    EXPECT_EQ(0, held->id()) << "nothing to unregister later";
    EXPECT_FALSE(server.keys().at(0xC001)->failed());
    EXPECT_TRUE(server.keys().at(0xC002)->failed());
    EXPECT_FALSE(other.canTake(kCtrlAlt, VK_F8));

    ASSERT_EQ(1u, recorder.notices().size());
    EXPECT_EQ("HotkeyServer_InitError", recorder.notices()[0].key);
    EXPECT_EQ(0x40, recorder.notices()[0].kind);
    EXPECT_EQ(L"Taken elsewhere:\n\n\u30FBNext Track\n\u30FBPlay/Pause\n", recorder.notices()[0].text);
}

TEST_F(HotKeyServerTest, TenFailuresNameEightThenDots) {
    ASSERT_TRUE(other.hold(kCtrlAlt, VK_F9));
    for (int i = 1; i <= 10; ++i)
        bind(kCtrlAlt, VK_F9, L"Action" + std::to_wstring(i));
    HotKeyServer server;
    EXPECT_EQ(10u, server.keys().size());
    ASSERT_EQ(1u, recorder.notices().size());
    std::wstring expected = L"Taken elsewhere:\n\n";
    for (int i = 1; i <= 8; ++i)
        expected += L"\u30FBAction" + std::to_wstring(i) + L"\n";
    expected += L"...\n";
    EXPECT_EQ(expected, recorder.notices()[0].text);
}

TEST_F(HotKeyServerTest, AKnownIdRunsItsActionAndAnUnknownOneNothing) {
    // A bare name no plug-in knows: the runner says so, which shows it got there.
    bind(kCtrlAlt, VK_F6, L"HotKeyTestNoSuchAction");
    HotKeyServer server;
    ASSERT_TRUE(recorder.notices().empty());

    EXPECT_EQ(0, ::SendMessageW(server.hwnd(), WM_HOTKEY, 0xC001, MAKELPARAM(kCtrlAlt, VK_F6)));
    EXPECT_EQ(0, ::SendMessageW(server.hwnd(), WM_HOTKEY, 0x1234, 0));
    EXPECT_TRUE(recorder.notices().empty());

    EXPECT_EQ(0, ::SendMessageW(server.hwnd(), WM_HOTKEY, 0xC000, MAKELPARAM(kCtrlAlt, VK_F6)));
    ASSERT_EQ(1u, recorder.notices().size());
    EXPECT_EQ("cancelRunAction", recorder.notices()[0].key);
    EXPECT_EQ(L"No action hotkeytestnosuchaction", recorder.notices()[0].text);
}

TEST_F(HotKeyServerTest, BindingsReadAsModifiersAndTheSystemsKeyName) {
    EXPECT_EQ(L"Alt + Ctrl + F5", HotKeyServer::displayName(3, VK_F5));
    EXPECT_EQ(L"F5", HotKeyServer::displayName(0, VK_F5));
    EXPECT_EQ(L"Shift + A", HotKeyServer::displayName(MOD_SHIFT | MOD_WIN, 'A'));
    EXPECT_EQ(L"None", HotKeyServer::displayName(3, 0));
    // The cursor block is named as such, not after the number pad.
    EXPECT_EQ(L"Ctrl + Right", HotKeyServer::displayName(MOD_CONTROL, VK_RIGHT));
}

TEST_F(HotKeyServerTest, TheControllerRunsTheServerUnlessHotKeysAreOff) {
    Util::setController(nullptr);
    const std::wstring settingsFile = AppPaths::settingsFolder() + L"\\Option.ini";
    ::DeleteFileW(settingsFile.c_str());
    {
        ZEvared controller;
        EXPECT_FALSE(other.canTake(kCtrlAlt, VK_RIGHT)) << "the default Next Track key";
        EXPECT_FALSE(other.canTake(kCtrlAlt, VK_INSERT));
    }
    EXPECT_TRUE(other.canTake(kCtrlAlt, VK_RIGHT));

    std::ofstream(settingsFile.c_str(), std::ios::binary) << "[HotKey]\r\nDisable=1\r\n";
    {
        ZEvared controller;
        EXPECT_TRUE(controller.enabled());
        EXPECT_TRUE(other.canTake(kCtrlAlt, VK_RIGHT));
    }
    ::DeleteFileW(settingsFile.c_str());
}

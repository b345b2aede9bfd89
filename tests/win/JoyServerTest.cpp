#include <gtest/gtest.h>

#include <windows.h>

#include <dbt.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "NoticeRecorder.h"
#include "base/AppException.h"
#include "base/AppPaths.h"
#include "base/Util.h"
#include "app/ZEvared.h"
#include "config/Ini.h"
#include "config/Lang.h"
#include "input/DInput.h"
#include "input/JoyServer.h"

using namespace tavelapp;

// These run only with the DirectInput double loaded in place of the system's
// (the win_joystick test entry sets WINEDLLOVERRIDES=dinput=n,b).
namespace {

struct Owner : ZEvared::ZEvaredListener {
    void showNotifyWnd(ZEvared&, const NotifyWndInfo& info) override { shown.push_back(info); }
    void onPluginChange0(ZEvared&) override {}
    void onPluginChange1(ZEvared&) override {}
    std::vector<NotifyWndInfo> shown;
};

class JoyServerProbe : public ::testing::Test {
protected:
    void SetUp() override {
        saved = Ini::instance();
        Ini& settings = Ini::instance();
        settings.joyKeys.clear();
        settings.joy = Ini::Item::Joy();
        settings.joy.disable = false;
        settings.detail.soundEnabled = false;
        Ini::publish();
        langFile = moduleFolder() + L"\\joy-test.lng";
        std::ofstream(langFile.c_str(), std::ios::binary) << "[Notification]\r\nActionDoesNotExist=No %1%\r\n";
        Lang::instance().setFiles(langFile, {});
        Util::setController(&recorder);
    }
    void TearDown() override {
        if (command != nullptr) {
            command("attach 1");
            command("detach 2");
            command("list-delay 0");
        }
        Util::setController(nullptr);
        Ini::instance() = saved;
        Ini::publish();
        Lang::instance().reload();
        ::DeleteFileW(langFile.c_str());
    }
    void bind(std::uint32_t key, const std::wstring& action) {
        Ini::instance().joyKeys.push_back({key, action});
        Ini::publish();
    }
    // The double's controls, once a server has loaded it.
    bool findDouble() {
        HMODULE library = ::GetModuleHandleW(L"dinput.dll");
        if (library == nullptr) return false;
        command = reinterpret_cast<int(WINAPI*)(const char*)>(
            reinterpret_cast<void*>(::GetProcAddress(library, "DInputDoubleCommand")));
        query = reinterpret_cast<long(WINAPI*)(const char*)>(
            reinterpret_cast<void*>(::GetProcAddress(library, "DInputDoubleQuery")));
        return command != nullptr && query != nullptr;
    }
    void act(const char* line) { ASSERT_EQ(0, command(line)) << line; }
    // Every action that ran, after a moment for strays.
    std::vector<std::wstring> ranAfter(std::size_t expected) {
        pumpUntil([&] { return recorder.ran().size() >= expected; }, 3000);
        pumpFor(200);
        // The runner's text ends with the bare name it could not find.
        std::vector<std::wstring> names;
        for (const std::wstring& text : recorder.ran())
            names.push_back(text.substr(text.find(L' ') + 1));
        return names;
    }

    Ini saved{L""};
    std::wstring langFile;
    NoticeRecorder recorder;
    int(WINAPI* command)(const char*) = nullptr;
    long(WINAPI* query)(const char*) = nullptr;
};

}  // namespace

TEST_F(JoyServerProbe, DISABLED_SetsThePadUpAndEachInputRunsItsBindingsOnce) {
    bind(5, L"two");  // button 2
    bind(0, L"up");
    bind(5, L"twoAgain");
    bind(0x105, L"shiftedTwo");
    JoyServer server;
    ASSERT_TRUE(findDouble()) << "the DirectInput double is not loaded: run with WINEDLLOVERRIDES=dinput=n,b";
    ASSERT_TRUE(server.connected());
    EXPECT_EQ(L"Double Pad 1", DInput::instance().devices().at(0)->productName);
    EXPECT_EQ(0, query("range-min"));
    EXPECT_EQ(65535, query("range-max"));
    EXPECT_EQ(80, query("format-size"));
    EXPECT_EQ(44, query("format-objects"));
    EXPECT_EQ(16, query("buffer-size"));
    EXPECT_EQ(DISCL_BACKGROUND | DISCL_NONEXCLUSIVE, query("cooperative"));
    EXPECT_EQ(1, query("notification"));

    act("press 1 2");
    EXPECT_EQ((std::vector<std::wstring>{L"two", L"twoagain"}), ranAfter(2));
    // Up once, however long it is held, and again only from the centre.
    act("axis 1 y 50");
    act("axis 1 y 0");
    act("axis 1 y 10");
    act("axis 1 y 0");
    EXPECT_EQ(3u, ranAfter(3).size());
    act("axis 1 y 50");
    act("axis 1 y 20");
    EXPECT_EQ((std::vector<std::wstring>{L"two", L"twoagain", L"up", L"up"}), ranAfter(4));
}

TEST_F(JoyServerProbe, DISABLED_TheShiftButtonSelectsTheShiftedBinding) {
    bind(4, L"plain");  // button 1
    bind(0x104, L"shifted");
    bind(7, L"shiftButton");  // button 4, the shift button
    {
        JoyServer server;
        ASSERT_TRUE(findDouble());
        ASSERT_TRUE(server.connected());
        act("button 1 4 down");
        act("press 1 1");
        act("button 1 4 up");
        act("press 1 1");
        EXPECT_EQ((std::vector<std::wstring>{L"shifted", L"plain"}), ranAfter(2));
    }

    Ini::instance().joy.useShift = false;
    Ini::publish();
    JoyServer plain;
    act("press 1 4");
    EXPECT_EQ(L"shiftbutton", ranAfter(3).back()) << "without shift it is a button like any other";
}

TEST_F(JoyServerProbe, DISABLED_APadPluggedInLaterIsTakenUpAndOnePulledOutStopsNothing) {
    bind(6, L"three");
    {
        JoyServer loader;  // loads the double
        ASSERT_TRUE(findDouble());
    }
    act("detach 1");
    JoyServer server;
    EXPECT_FALSE(server.connected()) << "no pad yet: the server waits";

    act("attach 1");
    ASSERT_TRUE(pumpUntil([&] { return server.connected(); }, 5000));
    act("press 1 3");
    EXPECT_EQ(std::vector<std::wstring>{L"three"}, ranAfter(1));

    act("detach 1");
    EXPECT_TRUE(pumpUntil([&] { return !server.connected(); }, 5000)) << "the lost pad is let go";
    act("press 1 3");
    EXPECT_EQ(1u, ranAfter(2).size());

    // A second pad stands in while the first is away; the first comes back later.
    act("attach 2");
    ASSERT_TRUE(pumpUntil([&] { return server.connected(); }, 5000));
    act("press 2 3");
    EXPECT_EQ(2u, ranAfter(2).size());
    act("detach 2");
    act("attach 1");
    ASSERT_TRUE(pumpUntil(
        [&] {
            return server.connected() && !DInput::instance().devices().empty() &&
                   DInput::instance().devices().at(0)->productName == L"Double Pad 1";
        },
        5000));
    act("press 1 3");
    EXPECT_EQ(3u, ranAfter(3).size());
}

TEST_F(JoyServerProbe, DISABLED_WithThePadAwayTheControllerWarnsOnceAndTheOtherInputsRun) {
    {
        JoyServer loader;
        ASSERT_TRUE(findDouble());
    }
    act("detach 1");
    const std::wstring file = AppPaths::settingsFolder() + L"\\Option.ini";
    std::ofstream(file.c_str(), std::ios::binary) << "[Joy]\r\nDisable=0\r\n";
    Owner owner;
    {
        ZEvared controller;
        controller.setListener(&owner);
        auto warnings = [&] {
            std::vector<std::wstring> texts;
            for (const NotifyWndInfo& info : owner.shown) {
                if (info.messageKey == "JoyServer_InitError" && info.kind == NotifyWndInfo::kWarning)
                    texts.push_back(info.text);
            }
            return texts;
        };
        ASSERT_TRUE(pumpUntil([&] { return !warnings().empty(); }, 3000));
        pumpFor(300);
        EXPECT_EQ(std::vector<std::wstring>{AppException(L"JoyInitialize").text()}, warnings());
        EXPECT_NE(nullptr, ::FindWindowW(L"Kolibrix_HotKey_EventHandlerWnd", nullptr));
        EXPECT_NE(nullptr, ::FindWindowW(L"Kolibrix_Joy_EventHandlerWnd", nullptr)) << "waiting for the pad";
    }
    ::DeleteFileW(file.c_str());
}

TEST_F(JoyServerProbe, DISABLED_DeviceChangesAreListedOnAWorkerOneAtATime) {
    {
        JoyServer loader;
        ASSERT_TRUE(findDouble());
    }
    act("detach 1");
    JoyServer server;
    ASSERT_FALSE(server.connected());
    // A burst of changes while the listing takes long: one runs, one more follows.
    const long before = query("listings");
    act("list-delay 300");
    for (int i = 0; i < 10; ++i)
        ::PostMessageW(server.hwnd(), WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    pumpUntil([&] { return query("listings") - before >= 2; }, 5000);
    pumpFor(800);
    EXPECT_EQ(2, query("listings") - before);
    EXPECT_NE(static_cast<long>(::GetCurrentThreadId()), query("listing-thread"));
}

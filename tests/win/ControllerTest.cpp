#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "WinTestSupport.h"
#include "base/AppPaths.h"
#include "app/AppWnd.h"
#include "base/NotifyQueue.h"
#include "base/Util.h"
#include "app/ZEvared.h"
#include "config/Ini.h"
#include "config/Lang.h"

using namespace tavelapp;

namespace {

struct Shown {
    std::string key;
    std::wstring text;
    int kind;
    int displayTime;
    DWORD tick;
    DWORD thread;
};

struct Owner : ZEvared::ZEvaredListener {
    void showNotifyWnd(ZEvared&, const NotifyWndInfo& info) override {
        shown.push_back(
            {info.messageKey, info.text, info.kind, info.displayTime, ::GetTickCount(), ::GetCurrentThreadId()});
    }
    void onPluginChange0(ZEvared&) override {}
    void onPluginChange1(ZEvared&) override {}
    std::vector<Shown> shown;
};

class ControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        settingsFile = AppPaths::settingsFolder() + L"\\Option.ini";
        ::DeleteFileW(settingsFile.c_str());
    }
    void TearDown() override {
        ::DeleteFileW(settingsFile.c_str());
        ::DeleteFileW((AppPaths::programFolder() + L"\\brunvelt.dll").c_str());
        Ini::instance() = Ini(settingsFile);
    }
    void writeSettings(const std::string& text) {
        std::ofstream out(settingsFile.c_str(), std::ios::binary);
        out << text;
    }
    std::wstring settingsFile;
};

}  // namespace

TEST_F(ControllerTest, RequestsCloseTogetherAreShownTogetherInOrder) {
    Owner owner;
    ZEvared controller;
    controller.setListener(&owner);
    EXPECT_TRUE(Util::hasController());
    EXPECT_TRUE(controller.enabled());

    const DWORD first = ::GetTickCount();
    Util::notify("Notify_Volume", L"first", NotifyWndInfo::kInformation);
    pumpFor(100);
    EXPECT_TRUE(owner.shown.empty());
    std::thread worker([] { Util::notify("track", L"second", NotifyWndInfo::kTrack); });
    worker.join();
    ASSERT_TRUE(pumpUntil([&] { return owner.shown.size() >= 2; }, 3000));

    ASSERT_EQ(2u, owner.shown.size());
    EXPECT_EQ("Notify_Volume", owner.shown[0].key);
    EXPECT_EQ(L"first", owner.shown[0].text);
    EXPECT_EQ(5, owner.shown[0].displayTime);
    EXPECT_EQ("track", owner.shown[1].key);
    EXPECT_EQ(10, owner.shown[1].displayTime);
    EXPECT_EQ(NotifyWndInfo::kTrack, owner.shown[1].kind);
    // One drain, on the main thread, no earlier than the batching delay
    // allows, counted from the first request: the second did not push it back.
    EXPECT_LE(owner.shown[1].tick - owner.shown[0].tick, 20u);
    EXPECT_GE(owner.shown[0].tick - first, 150u);
    EXPECT_LE(owner.shown[0].tick - first, 290u);
    EXPECT_EQ(::GetCurrentThreadId(), owner.shown[1].thread);
}

TEST_F(ControllerTest, AStreamOfRequestsStillDrainsInTimeWithinTheCap) {
    Owner owner;
    ZEvared controller;
    controller.setListener(&owner);
    pumpFor(300);
    owner.shown.clear();
    // A held volume key: a request every 50 ms for 2 s, from a worker, each
    // carrying the moment it was made; a keyless notice beside each.
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int i = 0; i < 40; ++i) {
            Util::notify("Notify_Volume", std::to_wstring(::GetTickCount()), NotifyWndInfo::kInformation);
            Util::notify("", L"notice", NotifyWndInfo::kWarning);
            ::Sleep(50);
        }
        done = true;
    });
    std::size_t most = 0;
    pumpUntil(
        [&] {
            most = std::max(most, NotifyQueue::instance().size());
            return done.load();
        },
        10000);
    worker.join();
    pumpFor(400);
    std::vector<DWORD> waits;
    for (const Shown& shown : owner.shown) {
        if (shown.key == "Notify_Volume") waits.push_back(shown.tick - std::stoul(shown.text));
    }
    EXPECT_GE(waits.size(), 8u) << "drained while the requests went on";
    for (DWORD wait : waits)
        EXPECT_LE(wait, 250u);
    EXPECT_LE(most, NotifyQueue::kCapacity);
    EXPECT_EQ(40u, owner.shown.size() - waits.size()) << "keyless notices are all shown";
}

TEST_F(ControllerTest, WithdrawsFromUtilAndSavesTheSettingsWhenItGoes) {
    { ZEvared controller; }
    EXPECT_FALSE(Util::hasController());
    // Nobody to tell: must not fail.
    Util::notify("x", L"y", NotifyWndInfo::kWarning);
    std::ifstream in(settingsFile.c_str(), std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(std::string::npos, text.find("[HotKey30]"));
    EXPECT_NE(std::string::npos, text.find("SynchroTime=180"));
}

TEST_F(ControllerTest, DisabledUtilityRunsNoServersAndSaysSo) {
    writeSettings("[Detail]\r\nDisable=5\r\nBackupEnabled=1\r\n");
    Owner owner;
    ZEvared controller;
    controller.setListener(&owner);
    EXPECT_FALSE(controller.enabled());
    EXPECT_TRUE(controller.backupTimerStarted());
    ASSERT_TRUE(pumpUntil([&] { return !owner.shown.empty(); }, 2000));
    EXPECT_EQ("Notify_AppIsDisabled", owner.shown[0].key);
    EXPECT_EQ(Lang::instance().text(L"Notification", L"AppIsDisabled"), owner.shown[0].text);
    EXPECT_EQ(NotifyWndInfo::kInformation, owner.shown[0].kind);
}

TEST_F(ControllerTest, WarnsOfTheOldVersionFile) {
    std::ofstream((AppPaths::programFolder() + L"\\brunvelt.dll").c_str()) << "old";
    Owner owner;
    ZEvared controller;
    controller.setListener(&owner);
    EXPECT_FALSE(controller.backupTimerStarted());
    ASSERT_TRUE(pumpUntil([&] { return !owner.shown.empty(); }, 2000));
    EXPECT_EQ("", owner.shown[0].key);
    EXPECT_EQ(NotifyWndInfo::kWarning, owner.shown[0].kind);
    EXPECT_NE(std::wstring::npos, owner.shown[0].text.find(L"brunvelt.dll"));
}

TEST_F(ControllerTest, TrayChoicesSurviveTheSessionEnding) {
    AppWnd window;
    ASSERT_TRUE(window.create());
    // Chosen from the tray menu: saved with the next save, which at log-off is now.
    Ini::instance().skin.id = L"card";
    Ini::instance().actionTarget.id = L"Player/Other";
    EXPECT_EQ(TRUE, ::SendMessageW(window.hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
    ::SendMessageW(window.hwnd(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    std::ifstream in(settingsFile.c_str(), std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(std::string::npos, text.find("[Skin]\r\nId=card"));
    EXPECT_NE(std::string::npos, text.find("[ActionTarget]\r\nId=Player/Other"));
    window.destroy();
    // The frame posts the quit message as it goes; not for the tests after this.
    MSG quit;
    while (::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

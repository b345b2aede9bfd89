#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "SimPlayerSuite.h"
#include "WinTestSupport.h"
#include "action/ActionList.h"
#include "action/ActionPluginMgr.h"
#include "action/ActionRunner.h"
#include "base/RunningThreads.h"
#include "app/ZEvared.h"
#include "config/Ini.h"
#include "player/com/ITunesCom.h"

using namespace tavelapp;

namespace {

struct CodeRecorder : ActionPluginMgrListener {
    void onActionPluginNotify(ActionPluginMgr&, const std::shared_ptr<ActionPlugin>& plugin, int code) override {
        if (plugin->GetName() == L"Player/iTunes") codes.push_back(code);
    }
    int count(int code) const { return static_cast<int>(std::count(codes.begin(), codes.end(), code)); }
    std::vector<int> codes;
};

// Every action runs on its own thread; wait for them all.
void finishActions() { runningThreads().waitAll(); }

class ActionPathTest : public SimPlayerSuite {
protected:
    void SetUp() override {
        saved = Ini::instance();
        Ini::instance().detail.soundEnabled = false;
        Ini::instance().detail.ignoreWaitingAction = false;
        Ini::publish();
        ASSERT_TRUE(com.connect());
        app = com.app().get();
    }
    void TearDown() override {
        finishActions();
        ActionPluginMgr::instance().setListener(nullptr);
        Ini::instance() = saved;
        Ini::publish();
    }

    Ini saved{L""};
    ITunesCom com;
    itunes::App* app = nullptr;
};

}  // namespace

TEST_F(ActionPathTest, ABareNameAndAListEntryDriveThePlayer) {
    app->libraryPlaylist()->tracks()->item(1)->play();
    const long first = app->currentTrack()->trackId();
    ActionRunner::instance().runByName(L"NEXTTRACK", false);
    finishActions();
    ASSERT_TRUE(app->currentTrack());
    EXPECT_NE(first, app->currentTrack()->trackId());

    ActionList::instance().parse(L"Test", L"[test]\nVolumeTo42\tVolume\t=42\n");
    ActionRunner::instance().runByName(L"volumeto42", true);
    finishActions();
    EXPECT_EQ(42, app->soundVolume());
}

TEST_F(ActionPathTest, LockTakingActionsRunInTurnUnlessToldNotToWait) {
    // Rewind "OnOff" rewinds unless the player is rewinding. Run in turn, it
    // sees playback resumed after the fast-forward; side by side, it sees the
    // fast-forward and the fast-forward's resume comes last.
    app->libraryPlaylist()->tracks()->item(2)->play();
    ActionList::instance().parse(L"Test", L"RewindToggle\tRewind\tOnOff\nForward400\tFastForward\t400\n");
    ActionRunner::instance().runByName(L"Forward400", false);
    ASSERT_TRUE(pumpUntil([&] { return app->playerState() == 2; }, 3000));
    ActionRunner::instance().runByName(L"RewindToggle", false);
    finishActions();
    EXPECT_EQ(3, app->playerState()) << "the toggle ran after the fast-forward had resumed";

    app->resume();
    Ini::instance().detail.ignoreWaitingAction = true;
    Ini::publish();
    ActionRunner::instance().runByName(L"Forward400", false);
    ASSERT_TRUE(pumpUntil([&] { return app->playerState() == 2; }, 3000));
    ActionRunner::instance().runByName(L"RewindToggle", false);
    finishActions();
    EXPECT_EQ(1, app->playerState()) << "the toggle ran while fast-forwarding; the resume came last";
}

TEST_F(ActionPathTest, ALongRunScriptHoldsLaterActionsBack) {
    const std::wstring started = moduleFolder() + L"\\runscript.started";
    const std::wstring flag = moduleFolder() + L"\\runscript.flag";
    const std::wstring script = moduleFolder() + L"\\runscript-wait.bat";
    ::DeleteFileW(started.c_str());
    ::DeleteFileW(flag.c_str());
    {
        std::ofstream out(script.c_str());
        out << "@echo off\r\necho started> \"" << std::string(started.begin(), started.end())
            << "\"\r\n:wait\r\nif not exist \"" << std::string(flag.begin(), flag.end()) << "\" goto wait\r\n";
    }
    app->setSoundVolume(20);
    ActionList::instance().parse(L"Test", L"WaitScript\tRunScript\t" + script + L"\nVolumeTo77\tVolume\t=77\n");
    ActionRunner::instance().runByName(L"WaitScript", false);
    // Threads take the action lock in no set order: start the second once the script runs.
    ASSERT_TRUE(pumpUntil([&] { return ::GetFileAttributesW(started.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000));
    ActionRunner::instance().runByName(L"VolumeTo77", false);
    pumpFor(1500);
    EXPECT_EQ(20, app->soundVolume()) << "the volume action must wait for the script";
    std::ofstream(flag.c_str()) << "go";
    finishActions();
    EXPECT_EQ(77, app->soundVolume());
    ::DeleteFileW(started.c_str());
    ::DeleteFileW(flag.c_str());
    ::DeleteFileW(script.c_str());
}

TEST_F(ActionPathTest, APluginsPostReachesTheController) {
    struct Owner : ZEvared::ZEvaredListener {
        void showNotifyWnd(ZEvared&, const NotifyWndInfo& info) override { keys.push_back(info.messageKey); }
        void onPluginChange0(ZEvared&) override {}
        void onPluginChange1(ZEvared&) override { ++changes; }
        std::vector<std::string> keys;
        int changes = 0;
    } owner;
    ZEvared controller;
    controller.setListener(&owner);
    Ini::instance().detail.notifyObservationState = true;
    HWND window = static_cast<HWND>(ActionPluginMgr::instance().window());
    ASSERT_NE(nullptr, window);
    ::PostMessageW(window, WM_USER, 0, 2);
    ::PostMessageW(window, WM_USER, 0, 1);
    ASSERT_TRUE(pumpUntil(
        [&] {
            return owner.changes > 0 &&
                   std::find(owner.keys.begin(), owner.keys.end(), "Notify_ITunesObservation") != owner.keys.end();
        },
        3000));
}

TEST_F(ActionPathTest, ThePlayerQuittingWhileObservedGivesOneEnd) {
    pumpFor(200);  // notifications still posted by earlier tests
    CodeRecorder recorder;
    ActionPluginMgr& manager = ActionPluginMgr::instance();
    manager.setListener(&recorder);
    manager.startObservationAll();
    auto player = manager.findPlugin(L"Player/iTunes");
    ASSERT_TRUE(player);
    ASSERT_TRUE(pumpUntil([&] { return player->IsObserving(); }, 3000));
    com.disconnect();
    quitITunes();
    ASSERT_TRUE(pumpUntil([] { return !isITunesRunning(); }, 10000));
    pumpFor(500);
    EXPECT_FALSE(player->IsObserving());
    EXPECT_EQ(1, recorder.count(3));
}

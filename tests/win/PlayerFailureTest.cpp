#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "SimPlayerControl.h"
#include "SimPlayerSuite.h"
#include "NoticeRecorder.h"
#include "WinTestSupport.h"
#include "action/ActionList.h"
#include "action/ActionPluginITunes.h"
#include "action/ActionPluginMgr.h"
#include "action/ActionRunner.h"
#include "base/AppException.h"
#include "base/NotifyWndInfo.h"
#include "base/RunningThreads.h"
#include "app/TrayIcon.h"
#include "base/Util.h"
#include "config/Ini.h"
#include "notify/PlayerStateFactory.h"
#include "player/com/ITunesCom.h"
#include "win/util/Com.h"

using namespace tavelapp;

namespace {

class PlayerFailureTest : public SimPlayerSuite {
protected:
    void SetUp() override {
        saved = Ini::instance();
        Ini::instance().detail.soundEnabled = false;
        Ini::instance().notify.notifyVolume = false;
        Ini::publish();
        ASSERT_TRUE(com.connect());
        app = com.app().get();
        Util::setController(&recorder);
    }
    void TearDown() override {
        simPlayerControl(L"busy 0");
        simPlayerControl(L"modal off");
        simPlayerControl(L"refuse-advise off");
        runningThreads().waitAll();
        pumpFor(100);
        Util::setController(nullptr);
        tavel::win::util::setBusyRetryMs(5000);
        Ini::instance() = saved;
        Ini::publish();
    }
    long currentTrackId() { return app->currentTrack() ? app->currentTrack()->trackId() : 0; }

    Ini saved{L""};
    ITunesCom com;
    itunes::App* app = nullptr;
    NoticeRecorder recorder;
};

}  // namespace

TEST_F(PlayerFailureTest, AKeyPressOnABusyPlayerIsRetriedOrReportedOnce) {
    app->libraryPlaylist()->tracks()->item(1)->play();
    const long first = currentTrackId();

    // Busy for a moment: the press waits and lands.
    ASSERT_TRUE(simPlayerControl(L"busy 1500"));
    ActionRunner::instance().runByName(L"NextTrack", true);
    runningThreads().waitAll();
    EXPECT_NE(first, currentTrackId());
    pumpFor(100);
    EXPECT_EQ(0, recorder.count("PlayerIsBusy"));

    // Busy beyond the bound: nothing changes, the user hears of it once.
    const long second = currentTrackId();
    tavel::win::util::setBusyRetryMs(400);
    ASSERT_TRUE(simPlayerControl(L"busy 4000"));
    ActionRunner::instance().runByName(L"NextTrack", true);
    runningThreads().waitAll();
    ASSERT_TRUE(simPlayerControl(L"busy 0"));
    EXPECT_EQ(second, currentTrackId());
    // Told through the main thread, which drains the notifications.
    pumpFor(100);
    EXPECT_EQ(1, recorder.count("PlayerIsBusy"));
}

// Pumps for ms, counting the plug-in's "observation started" reports, which go
// to this thread's queue (no manager window here).
int pumpCountingStarts(DWORD ms) {
    int started = 0;
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.hwnd == nullptr && message.message == WM_USER) {
                started += message.lParam == 2 ? 1 : 0;
            } else {
                ::DispatchMessageW(&message);
            }
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return started;
}

TEST_F(PlayerFailureTest, ARefusedAdviseIsNoObservationAndTheNextTryObserves) {
    pumpFor(100);
    ActionPluginITunes plugin(nullptr, 0);
    pumpCountingStarts(500);
    plugin.EndObservation();
    ASSERT_FALSE(plugin.IsObserving());
    pumpCountingStarts(100);

    ASSERT_TRUE(simPlayerControl(L"refuse-advise on"));
    plugin.StartObservation();
    int started = pumpCountingStarts(500);
    EXPECT_FALSE(plugin.IsObserving()) << "connected without events would lose every event";

    ASSERT_TRUE(simPlayerControl(L"refuse-advise off"));
    plugin.StartObservation();
    started += pumpCountingStarts(500);
    EXPECT_TRUE(plugin.IsObserving());
    // Nothing was announced for the failed try.
    EXPECT_EQ(1, started);
}

TEST_F(PlayerFailureTest, ThePlayersModalDialogNeverHoldsTheMainThread) {
    ActionPluginITunes plugin(nullptr, 0);
    pumpFor(300);
    plugin.EndObservation();
    TrayIcon tray;
    ASSERT_TRUE(simPlayerControl(L"modal on"));

    // Another program's message to the tray window while observation is tried.
    std::atomic<DWORD> answeredInMs{0xFFFFFFFF};
    std::atomic<bool> go{false};
    std::thread sender([&] {
        while (!go)
            std::this_thread::yield();
        const DWORD start = ::GetTickCount();
        DWORD_PTR result = 0;
        if (::SendMessageTimeoutW(tray.hwnd(), TrayIcon::kCallbackMessage, 0, WM_MOUSEMOVE, SMTO_NORMAL, 2000,
                                  &result)) {
            answeredInMs = ::GetTickCount() - start;
        }
    });
    go = true;
    const DWORD start = ::GetTickCount();
    plugin.StartObservation();
    const DWORD spent = ::GetTickCount() - start;
    pumpUntil([&] { return answeredInMs.load() != 0xFFFFFFFF; }, 3000);
    sender.join();

    EXPECT_TRUE(isITunesRunning());
    EXPECT_FALSE(plugin.IsObserving());
    EXPECT_LT(spent, 100u) << "asked on a worker";
    EXPECT_LT(answeredInMs.load(), 100u);

    // The worker keeps asking: observation starts once the dialog is gone.
    pumpFor(300);
    EXPECT_FALSE(plugin.IsObserving());
    ASSERT_TRUE(simPlayerControl(L"modal off"));
    EXPECT_TRUE(pumpUntil([&] { return plugin.IsObserving(); }, 5000));
}

TEST_F(PlayerFailureTest, EveryEventReachesTheSinkWithItsArguments) {
    struct Counter : itunes::ITunesEventsListener {
        void onDatabaseChanged() override { ++seen["database-changed"]; }
        void onPlayerPlay() override { ++seen["play"]; }
        void onPlayerStop() override { ++seen["stop"]; }
        void onPlayingTrackChanged() override { ++seen["track-changed"]; }
        void onCOMCallsDisabled() override { ++seen["com-calls-disabled"]; }
        void onCOMCallsEnabled() override { ++seen["com-calls-enabled"]; }
        void onQuitting() override { ++seen["quitting"]; }
        void onAboutToPromptUserToQuit() override { ++seen["about-to-prompt-user-to-quit"]; }
        void onSoundVolumeChanged() override { ++seen["volume-changed"]; }
        std::map<std::string, int> seen;
    } counter;
    ITunesCom observed;
    observed.setListener(&counter);
    ASSERT_TRUE(observed.connect());
    pumpFor(200);
    const char* events[] = {"database-changed",
                            "play",
                            "stop",
                            "track-changed",
                            "com-calls-disabled 1",
                            "com-calls-enabled",
                            "quitting",
                            "about-to-prompt-user-to-quit",
                            "volume-changed 40"};
    for (const char* command : events) {
        const std::string name = std::string(command).substr(0, std::string(command).find(' '));
        counter.seen.clear();
        ASSERT_TRUE(simPlayerControl(L"fire " + std::wstring(command, command + std::strlen(command))));
        EXPECT_TRUE(pumpUntil([&] { return counter.seen[name] > 0; }, 3000)) << name;
    }
    observed.disconnect();
}

TEST_F(PlayerFailureTest, ArtworkReplacedInThePlayerIsSavedAgain) {
    ActionPluginITunes plugin(nullptr, 0);
    pumpFor(300);
    plugin.EndObservation();
    plugin.StartObservation();
    ASSERT_TRUE(pumpUntil([&] { return plugin.IsObserving(); }, 3000));
    // The first track with artwork.
    itunes::TrackCollectionPtr tracks = app->libraryPlaylist()->tracks();
    for (long n = 1; n <= tracks->count(); ++n) {
        itunes::TrackPtr track = tracks->item(n);
        itunes::ArtworkCollectionPtr artwork = track->artwork();
        if (artwork && artwork->count() > 0) {
            track->play();
            break;
        }
    }
    std::wostringstream first, second, third;
    plugin.GetCurrentPlayerState(first);
    plugin.GetCurrentPlayerState(second);
    const unsigned long saves = plugin.artworkSaves();
    ASSERT_GT(saves, 0u) << "no track with artwork in the library";

    ASSERT_TRUE(simPlayerControl(L"fire database-changed"));
    pumpFor(300);
    plugin.GetCurrentPlayerState(third);
    EXPECT_EQ(saves + 1, plugin.artworkSaves());
}

TEST_F(PlayerFailureTest, AnActionAndTheEventsItRaisesAreAnnouncedFromOneCapture) {
    // The controller's part: a player event asks for a detection.
    struct Forwarder : ActionPluginMgrListener {
        void onActionPluginNotify(ActionPluginMgr&, const std::shared_ptr<ActionPlugin>&, int code) override {
            if (code <= ActionPluginMgr::StateChanged) ActionRunner::instance().notifyChanges();
        }
    } forwarder;
    struct Tracks : NoticeRecorder {
        void onTrackChanged(const PlayerState&) override { ++changes; }
        std::atomic<int> changes{0};
    } recorder;
    ActionPluginMgr& manager = ActionPluginMgr::instance();
    // Withdrawn however the test ends: workers may still report.
    struct Registration {
        Registration(ActionPluginMgr& m, ActionPluginMgrListener& l, Util::UtilListener& u) : manager(m) {
            manager.setListener(&l);
            Util::setController(&u);
        }
        ~Registration() {
            runningThreads().waitAll();
            manager.setListener(nullptr);
            Util::setController(nullptr);
        }
        ActionPluginMgr& manager;
    } registration(manager, forwarder, recorder);
    manager.startObservationAll();
    ASSERT_TRUE(pumpUntil([&] { return manager.findPlugin(L"Player/iTunes")->IsObserving(); }, 3000));
    Ini::instance().notify.notifyVolume = true;
    Ini::publish();
    app->libraryPlaylist()->tracks()->item(1)->play();
    pumpFor(500);
    recorder.changes = 0;

    PlayerStateFactory& factory = PlayerStateFactory::instance();
    unsigned long captures = factory.captureCount();
    // NextTrack: the action's end, and the player's stop and play events.
    ActionRunner::instance().runByName(L"NextTrack", true);
    ASSERT_TRUE(pumpUntil([&] { return recorder.changes.load() > 0; }, 3000));
    pumpFor(400);
    EXPECT_EQ(1, recorder.changes.load()) << "the new track is announced once";
    EXPECT_LE(factory.captureCount() - captures, 2u);

    // A volume key: the action's end and the player's volume event.
    app->setSoundVolume(50);
    pumpFor(500);
    recorder.clear();
    captures = factory.captureCount();
    ActionList::instance().parse(L"Test", L"[test]\nLouder\tVolume\t+5\n");
    ActionRunner::instance().runByName(L"Louder", true);
    ASSERT_TRUE(pumpUntil([&] { return recorder.count("Notify_Volume") > 0; }, 3000));
    pumpFor(400);
    EXPECT_EQ(1, recorder.count("Notify_Volume"));
    EXPECT_LE(factory.captureCount() - captures, 2u);
}

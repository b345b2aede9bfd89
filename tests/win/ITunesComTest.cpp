#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "WinTestSupport.h"
#include "base/AppException.h"
#include "player/PlayTrackByID.h"
#include "player/com/Dispatch.h"
#include "player/com/ITunesCom.h"

using namespace tavelapp;
using namespace tavelapp::itunes;

namespace {

const wchar_t kAppPathsKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\iTunes.exe";

void waitForPlayerToQuit() {
    quitITunes();
    pumpUntil([] { return !isITunesRunning(); }, 10000);
}

struct Recorder : ITunesEventsListener {
    void onPlayerPlay() override { record(L"play"); }
    void onPlayerStop() override { record(L"stop"); }
    void onSoundVolumeChanged() override { record(L"volume"); }
    void onPlayingTrackChanged() override { record(L"track"); }
    void onQuitting() override { record(L"quitting"); }
    void record(const wchar_t* what) {
        events.push_back(what);
        threads.push_back(::GetCurrentThreadId());
    }
    bool saw(const std::wstring& what) const {
        for (const auto& e : events) {
            if (e == what) return true;
        }
        return false;
    }
    std::vector<std::wstring> events;
    std::vector<DWORD> threads;
};

class ITunesComTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(0u, runSimPlayer(L"/regserver")); }
    static void TearDownTestSuite() {
        waitForPlayerToQuit();
        runSimPlayer(L"/unregserver");
    }
    void SetUp() override {
        ITunesCom::Waits waits;
        waits.pauseMs = 200;
        waits.windowTries = 100;
        waits.createTries = 20;
        ITunesCom::setWaits(waits);
    }
};

}  // namespace

TEST_F(ITunesComTest, WithoutThePlayerInstalledConnectGivesUpAtOnce) {
    waitForPlayerToQuit();
    ITunesCom::setWaits(ITunesCom::Waits());  // the real waits: three minutes if it polled
    ASSERT_EQ(ERROR_SUCCESS, ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kAppPathsKey));
    const DWORD start = ::GetTickCount();
    ITunesCom com;
    EXPECT_FALSE(com.connect());
    try {
        com.app();
        ADD_FAILURE() << "app() without a player must throw";
    } catch (const AppException& e) {
        EXPECT_TRUE(e.messageKey.empty());
    }
    EXPECT_LT(::GetTickCount() - start, 10000u);
    EXPECT_FALSE(bootITunes(false));
    ASSERT_EQ(0u, runSimPlayer(L"/regserver"));
}

TEST_F(ITunesComTest, QuittingAPlayerThatDoesNotRunDoesNotStartIt) {
    waitForPlayerToQuit();
    EXPECT_TRUE(quitITunes());
    pumpFor(1500);
    EXPECT_FALSE(isITunesRunning());
}

TEST_F(ITunesComTest, ConnectStartsThePlayerAndDrivesIt) {
    waitForPlayerToQuit();
    ITunesCom com;
    ASSERT_TRUE(com.connect());
    EXPECT_TRUE(isITunesRunning());
    App& app = *com.app();
    PlaylistPtr library = app.libraryPlaylist();
    ASSERT_TRUE(library);
    TrackCollectionPtr tracks = library->tracks();
    ASSERT_TRUE(tracks);
    EXPECT_GE(tracks->count(), 30);
    EXPECT_FALSE(tracks->item(tracks->count() + 1));
    TrackPtr first = tracks->item(1);
    ASSERT_TRUE(first);
    EXPECT_FALSE(first->name().empty());

    first->play();
    TrackPtr current = app.currentTrack();
    ASSERT_TRUE(current);
    EXPECT_EQ(first->trackId(), current->trackId());
    EXPECT_EQ(1, app.playerState());
    app.setSoundVolume(37);
    EXPECT_EQ(37, app.soundVolume());
    EXPECT_FALSE(library->search(L"zzzz-no-such-track-zzzz"));

    // Each member is looked up once per object kind, not once per call.
    const long lookups = Dispatch::lookupCount();
    for (int i = 0; i < 5; ++i) {
        (void)app.soundVolume();
        (void)current->name();
    }
    EXPECT_EQ(lookups, Dispatch::lookupCount());
}

TEST_F(ITunesComTest, EventsArriveOnTheConnectingThreadUntilDisconnect) {
    Recorder recorder;
    ITunesCom observer;
    observer.setListener(&recorder);
    ASSERT_TRUE(observer.connect());
    EXPECT_EQ(S_OK, observer.adviseResult());

    ITunesCom actor;
    App& app = *actor.app();
    app.setSoundVolume(app.soundVolume() == 50 ? 60 : 50);
    app.stop();
    app.play();
    ASSERT_TRUE(pumpUntil([&] { return recorder.saw(L"volume") && recorder.saw(L"play"); }, 5000));
    for (DWORD id : recorder.threads)
        EXPECT_EQ(::GetCurrentThreadId(), id);

    observer.disconnect();
    const size_t before = recorder.events.size();
    app.setSoundVolume(app.soundVolume() == 50 ? 60 : 50);
    app.nextTrack();
    pumpFor(500);
    EXPECT_EQ(before, recorder.events.size());
}

TEST_F(ITunesComTest, PlayTrackByIdFindsTheTrackAgain) {
    ITunesCom com;
    App& app = *com.app();
    TrackCollectionPtr tracks = app.libraryPlaylist()->tracks();
    ASSERT_TRUE(tracks && tracks->count() >= 5);
    TrackPtr wanted = tracks->item(5);

    PlayTrackByID::Target byTexts;
    byTexts.name = wanted->name();
    byTexts.album = wanted->album();
    byTexts.artist = wanted->artist();
    auto command = std::make_shared<PlayTrackByID>(byTexts);
    command->start();
    command->wait();
    TrackPtr current = app.currentTrack();
    ASSERT_TRUE(current);
    EXPECT_EQ(wanted->trackId(), current->trackId());

    // No texts and no playlist: the library's first track.
    auto first = std::make_shared<PlayTrackByID>(PlayTrackByID::Target());
    first->start();
    first->wait();
    current = app.currentTrack();
    ASSERT_TRUE(current);
    EXPECT_EQ(tracks->item(1)->trackId(), current->trackId());
}

TEST_F(ITunesComTest, ThreadsWithTheirOwnConnectionsWorkAtOnce) {
    ITunesCom main;
    ASSERT_TRUE(main.connect());
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &failures] {
            ::CoInitialize(nullptr);
            try {
                ITunesCom own;
                App& app = *own.app();
                for (int i = 0; i < 20; ++i) {
                    app.setSoundVolume(10 + t);
                    const long volume = app.soundVolume();
                    if (volume < 10 || volume > 13) ++failures;
                    TrackPtr track = app.libraryPlaylist()->tracks()->item(1 + t);
                    if (!track || track->name().empty()) ++failures;
                }
            } catch (...) {
                ++failures;
            }
            ::CoUninitialize();
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(0, failures.load());
}

TEST_F(ITunesComTest, PlayTrackByIdFallsBackToTheFirstSearchResult) {
    ITunesCom com;
    App& app = *com.app();
    TrackPtr wanted = app.libraryPlaylist()->tracks()->item(3);
    ASSERT_TRUE(wanted);
    PlayTrackByID::Target edited;  // the name was edited since it was queued
    edited.name = wanted->name().substr(0, wanted->name().size() - 1);
    edited.album = wanted->album();
    edited.artist = wanted->artist();
    TrackCollectionPtr found = app.libraryPlaylist()->search(edited.name + L" " + edited.album + L" " + edited.artist);
    ASSERT_TRUE(found);
    auto command = std::make_shared<PlayTrackByID>(edited);
    command->start();
    command->wait();
    TrackPtr current = app.currentTrack();
    ASSERT_TRUE(current);
    EXPECT_EQ(found->item(1)->trackId(), current->trackId());
}

TEST_F(ITunesComTest, QuitEndsThePlayerAndIsAnnounced) {
    Recorder recorder;
    ITunesCom observer;
    observer.setListener(&recorder);
    ASSERT_TRUE(observer.connect());
    EXPECT_TRUE(quitITunes());
    EXPECT_TRUE(pumpUntil([&] { return recorder.saw(L"quitting"); }, 5000));
    EXPECT_TRUE(pumpUntil([] { return !isITunesRunning(); }, 10000));
}

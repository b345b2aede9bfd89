#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "PlayerStateSupport.h"
#include "TempFolder.h"
#include "WaitUntil.h"
#include "action/ActionPluginMgr.h"
#include "base/Util.h"
#include "config/Ini.h"
#include "notify/ChangeDetector.h"
#include "notify/NotificationTexts.h"
#include "notify/NotifyThreads.h"
#include "notify/PlayerStateFactory.h"

using namespace tavelapp;

namespace {

class ScriptedPlayer : public ActionPlugin {
public:
    std::wstring GetName() override { return L"Player/Scripted"; }
    std::wstring GetTargetName() override { return L"Scripted"; }
    bool ActionExists(const std::wstring& name) override { return name == L"touch"; }
    bool IsActionAvailable(const std::wstring&) override { return true; }
    bool IsPlayerAction(const std::wstring&) override { return false; }
    int RunAction(const ActionListItemPtr&, const std::wstring&, const std::vector<std::wstring>&) override {
        return 0;
    }
    bool IsUtility() override { return false; }
    bool IsPlayerRunning() override { return running; }
    bool GetCurrentPlayerState(std::wostream& stream) override {
        stream << pluginLines(fields);
        return true;
    }
    bool StartObservation() override { return false; }
    bool EndObservation() override { return false; }
    bool IsObserving() override { return false; }

    std::map<int, std::wstring> fields;
    bool running = true;
};

struct Request {
    std::string key;
    std::wstring text;
    PicturePtr picture;
    int kind;
};

struct Controller : Util::UtilListener {
    Controller() { Util::setController(this); }
    ~Controller() override { Util::setController(nullptr); }
    void onTrackChanged(const PlayerState& state) override {
        trackChanges.push_back(state.trackID());
        if (onTrack) onTrack();
    }
    void onPlayerStateChanged(const PlayerState& state) override { stateChanges.push_back(state.playerState()); }
    void notify(const std::string& key, const std::wstring& text, const PicturePtr& picture, int kind) override {
        requests.push_back({key, text, picture, kind});
    }
    void checkObservationSoon() override {}
    void restartWiimoteServer() override {}
    void showOption() override {}
    std::vector<std::string> keys() const {
        std::vector<std::string> k;
        for (const Request& r : requests)
            k.push_back(r.key);
        return k;
    }

    std::vector<Request> requests;
    std::vector<int> trackChanges;
    std::vector<int> stateChanges;
    std::function<void()> onTrack;
};

// A scripted player as the action target, its factory installed, a language
// with known texts, and the settings put back afterwards.
class NotifyThreadsTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedTarget = Ini::instance().actionTarget.id;
        savedNotify = Ini::instance().notify;
        Ini::instance().actionTarget.id = L"Player/Scripted";
        Ini::instance().notify.notifyTrackText = L"%Name%";
        Ini::publish();
        player->fields = {{PlayerState::Volume, L"50"},        {PlayerState::State, L"1"},
                          {PlayerState::PlayerPosition, L"2"}, {PlayerState::TrackID, L"100"},
                          {PlayerState::PlayedCount, L"1"},    {PlayerState::Name, L"First"}};
        manager = std::make_unique<ActionPluginMgr>(std::vector<std::shared_ptr<ActionPlugin>>{player});
        factory = std::make_unique<PlayerStateFactory>(*manager);
        PlayerStateFactory::install(factory.get());
    }
    void TearDown() override {
        PlayerStateFactory::install(nullptr);
        Ini::instance().actionTarget.id = savedTarget;
        Ini::instance().notify = savedNotify;
        Ini::publish();
    }
    void detect() { ChangeDetector::detectChanges(*factory, *manager); }

    TestLanguage language;
    TempFolder dir;
    Controller controller;
    std::shared_ptr<ScriptedPlayer> player = std::make_shared<ScriptedPlayer>();
    std::unique_ptr<ActionPluginMgr> manager;
    std::unique_ptr<PlayerStateFactory> factory;
    std::wstring savedTarget;
    Ini::Item::Notify savedNotify;
};

// A 1 x 1 24-bit bitmap file.
std::string tinyBitmap() {
    std::string file("BM\x3A\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x01\0\0\0\x01\0\0\0\x01\0\x18\0", 30);
    file += std::string(24, '\0');
    file += std::string("\x10\x20\x30\0", 4);
    return file;
}

}  // namespace

TEST_F(NotifyThreadsTest, ChangesReachTheControllerInsideTheLock) {
    // The controller answers a new track with the track notification, as the
    // real one does: a Util call inside a Util call, on the detecting thread.
    controller.onTrack = [this] { showTrackNotification(*factory); };
    player->fields[PlayerState::Volume] = L"60";
    player->fields[PlayerState::TrackID] = L"101";
    player->fields[PlayerState::Name] = L"Second";
    player->fields[PlayerState::Rating] = L"60";
    detect();
    ASSERT_EQ((std::vector<std::string>{"Notify_Volume", "track"}), controller.keys());
    EXPECT_EQ(TestLanguage::text(L"Volume") + L": 60%", controller.requests[0].text);
    EXPECT_EQ(0x40, controller.requests[0].kind);
    EXPECT_EQ(L"Second", controller.requests[1].text);
    EXPECT_EQ(1, controller.requests[1].kind) << "the automatic track notification";
    EXPECT_EQ(std::vector<int>{101}, controller.trackChanges);
    EXPECT_TRUE(controller.stateChanges.empty());

    controller.requests.clear();
    controller.onTrack = nullptr;
    player->fields[PlayerState::State] = L"2";
    detect();
    EXPECT_TRUE(controller.requests.empty()) << "fast-forward is not announced";
    EXPECT_EQ(std::vector<int>{2}, controller.stateChanges);
}

TEST_F(NotifyThreadsTest, ShuffleIsAnnouncedOnlyAfterADispatch) {
    player->fields[PlayerState::PlayListShuffle] = L"1";
    detect();
    EXPECT_TRUE(controller.requests.empty()) << "switched in the player itself";

    manager->dispatch(nullptr, L"touch", {}, false);
    player->fields[PlayerState::PlayListShuffle] = L"0";
    detect();
    EXPECT_EQ((std::vector<std::string>{"Notify_Shuffle"}), controller.keys());

    Ini::instance().notify.notifyShuffle = false;
    Ini::publish();
    player->fields[PlayerState::PlayListShuffle] = L"1";
    detect();
    EXPECT_EQ(1u, controller.requests.size()) << "switched off";
}

TEST_F(NotifyThreadsTest, APlayerThatIsDownAnnouncesNothing) {
    player->running = false;
    player->fields[PlayerState::Volume] = L"10";
    player->fields[PlayerState::TrackID] = L"7";
    detect();
    EXPECT_TRUE(controller.requests.empty());
    EXPECT_TRUE(controller.trackChanges.empty());

    NotifySettingThread::notifySetting(*factory, *manager);
    ASSERT_EQ((std::vector<std::string>{"Notify_PlayerSetting"}), controller.keys());
    EXPECT_EQ(L"Player is down", controller.requests[0].text);

    player->running = true;
    NotifySettingThread::notifySetting(*factory, *manager);
    ASSERT_EQ(2u, controller.requests.size());
    EXPECT_EQ("Notify_ITunesSetting", controller.requests[1].key);
    EXPECT_EQ(NotificationTexts::playerSettingText(*factory->latest()), controller.requests[1].text);
}

TEST_F(NotifyThreadsTest, ANotificationBetweenAChangeAndItsDetectionLeavesTheChangeToBeFound) {
    // An action list "NextTrack, NotifyTrack": the notification captures
    // after the change and before the detection, which must still see it
    // (interrupt play and the event action hang on that track change).
    const std::vector<std::pair<const char*, std::function<void()>>> readers = {
        {"track", [this] { NotifyTrackThread::notifyTrack(*factory); }},
        {"settings", [this] { NotifySettingThread::notifySetting(*factory, *manager); }},
    };
    int track = 100;
    for (const auto& reader : readers) {
        detect();
        controller.trackChanges.clear();
        player->fields[PlayerState::TrackID] = std::to_wstring(++track);
        reader.second();
        EXPECT_EQ(track, factory->latest()->trackID()) << reader.first << ": shows the new track";
        detect();
        EXPECT_EQ(std::vector<int>{track}, controller.trackChanges) << reader.first;
    }
}

TEST_F(NotifyThreadsTest, TrackNotificationsAndTheirArtwork) {
    dir.write("art.tmp", tinyBitmap());
    dir.write("art.jpg", "\xFF\xD8\xFF\xE0 not a bitmap");
    player->fields[PlayerState::ArtworkPath] = dir.winPath("art.tmp");

    NotifyTrackThread thread;  // through run(), with the installed factory
    thread.start();
    thread.wait();
    ASSERT_EQ(1u, controller.requests.size());
    EXPECT_EQ("track", controller.requests[0].key);
    EXPECT_EQ(L"First", controller.requests[0].text);
    EXPECT_EQ(0x40, controller.requests[0].kind);
    ASSERT_TRUE(controller.requests[0].picture);
    EXPECT_EQ(1, controller.requests[0].picture->width());
    EXPECT_EQ(0x00302010u, controller.requests[0].picture->dib().pixel(0, 0));

    Ini::instance().notify.showArtwork = false;
    Ini::publish();
    NotifyTrackThread::notifyTrack(*factory);
    EXPECT_FALSE(controller.requests.back().picture) << "ShowArtwork off";
    Ini::instance().notify.showArtwork = true;
    Ini::publish();
    for (const char* other : {"art.jpg", "gone.bmp"}) {
        player->fields[PlayerState::ArtworkPath] = dir.winPath(other);
        NotifyTrackThread::notifyTrack(*factory);
        EXPECT_FALSE(controller.requests.back().picture) << other;
        EXPECT_EQ(L"First", controller.requests.back().text);
    }

    player->fields[PlayerState::TrackID] = L"0";
    NotifyTrackThread::notifyTrack(*factory);
    EXPECT_EQ(L"Nothing plays", controller.requests.back().text);
    EXPECT_FALSE(controller.requests.back().picture);
}

TEST_F(NotifyThreadsTest, OnlyAFreshlyStartedTrackIsAnnouncedAutomatically) {
    auto announcedWith = [this](const wchar_t* state, const wchar_t* position) {
        player->fields[PlayerState::State] = state;
        player->fields[PlayerState::PlayerPosition] = position;
        {
            PlayerStateFactory::Guard guard;
            factory->update();
        }
        const std::size_t before = controller.requests.size();
        showTrackNotification(*factory);
        return controller.requests.size() > before;
    };
    EXPECT_TRUE(announcedWith(L"1", L"10"));
    EXPECT_EQ(1, controller.requests.back().kind);
    EXPECT_FALSE(announcedWith(L"1", L"11")) << "playing for a while";
    EXPECT_FALSE(announcedWith(L"0", L"0")) << "stopped";
    EXPECT_TRUE(announcedWith(L"2", L"0"));
}

TEST_F(NotifyThreadsTest, ADetectionAskedForWhileAnotherWaitsIsServedByIt) {
    const unsigned long capturesBefore = factory->captureCount();
    const unsigned long droppedBefore = ChangeDetector::dropped();
    std::thread waiting;
    {
        // A capture in progress holds the lock; one detection queues behind it.
        PlayerStateFactory::Guard inProgress;
        waiting = std::thread([this] { detect(); });
        EXPECT_TRUE(waitUntil([] { return ChangeDetector::detectionWaiting(); })) << "the detection never queued";
        // The next request finds the first one waiting and leaves it the work.
        player->fields[PlayerState::Volume] = L"70";
        std::thread([this] { detect(); }).join();
        EXPECT_EQ(droppedBefore + 1, ChangeDetector::dropped());
    }
    waiting.join();
    EXPECT_EQ(capturesBefore + 1, factory->captureCount());
    // The waiting detection captured after the change the dropped one was for.
    EXPECT_EQ((std::vector<std::string>{"Notify_Volume"}), controller.keys());
}

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "InstalledModelPlayer.h"
#include "WaitUntil.h"
#include "action/PlayerAction.h"
#include "config/Ini.h"

using namespace tavelapp;
using action::ratingResult;
using action::volumeResult;
using itunes::FastForwarding;
using itunes::Playing;
using itunes::Rewinding;
using itunes::Stopped;

namespace {

std::vector<long> playOrder(const itunes::PlaylistPtr& playlist) {
    std::vector<long> ids;
    auto tracks = playlist->tracks();
    for (long n = 1; n <= tracks->count(); ++n)
        ids.push_back(tracks->itemByPlayOrder(n)->trackId());
    return ids;
}

}  // namespace

TEST_F(PlayerActionTest, TransportCommandsDriveThePlayer) {
    run(L"play");
    EXPECT_EQ(Playing, status().state);
    EXPECT_EQ(1, status().playOrderIndex);
    run(L"pause");
    EXPECT_EQ(Stopped, status().state);
    EXPECT_NE(0, status().currentTrackId) << "pausing keeps the track";
    run(L"playpause");
    EXPECT_EQ(Playing, status().state);
    run(L"playpause");
    EXPECT_EQ(Stopped, status().state);

    run(L"play");
    run(L"fastforward");
    EXPECT_EQ(FastForwarding, status().state);
    run(L"resume");
    EXPECT_EQ(Playing, status().state);
    run(L"rewind");
    EXPECT_EQ(Rewinding, status().state);
    run(L"stop");
    EXPECT_EQ(Stopped, status().state);

    playAt(L"Library", 5);
    run(L"backtrack");
    EXPECT_EQ(4, status().playOrderIndex);
}

TEST_F(PlayerActionTest, SeekingTogglesOrRunsForTheGivenTime) {
    playAt(L"Library", 1);
    run(L"fastforward", {L"OnOff"});
    EXPECT_EQ(FastForwarding, status().state);
    run(L"fastforward", {L"OnOff"});
    EXPECT_EQ(Playing, status().state);
    run(L"rewind", {L"OnOff"});
    EXPECT_EQ(Rewinding, status().state);
    // Only its own seek state counts for the toggle.
    run(L"fastforward", {L"OnOff"});
    EXPECT_EQ(FastForwarding, status().state);
    run(L"rewind", {L"OnOff"});
    EXPECT_EQ(Rewinding, status().state);
    run(L"rewind", {L"OnOff"});
    EXPECT_EQ(Playing, status().state);

    // A timed seek ends by playing on, also when it began stopped.
    app->pause();
    run(L"fastforward", {L"20"});
    EXPECT_EQ(Playing, status().state);
    app->pause();
    run(L"rewind", {L"20"});
    EXPECT_EQ(Playing, status().state);
}

TEST_F(PlayerActionTest, TrackSkipsRepeatByTheCount) {
    playAt(L"Library", 10);
    run(L"nexttrack", {L"3"});
    EXPECT_EQ(13, status().playOrderIndex);
    run(L"prevtrack", {L"3"});
    EXPECT_EQ(10, status().playOrderIndex);
    run(L"nexttrack", {L"abc"});
    run(L"prevtrack", {L"x"});
    EXPECT_EQ(10, status().playOrderIndex) << "a count that is no number skips nothing";
    run(L"nexttrack");
    EXPECT_EQ(11, status().playOrderIndex);
    run(L"prevtrack");
    EXPECT_EQ(10, status().playOrderIndex);
}

TEST_F(PlayerActionTest, FirstAndLastTrackOfTheCurrentPlaylist) {
    run(L"playfirsttrack");
    run(L"playlasttrack");
    EXPECT_EQ(0, status().currentTrackId) << "nothing without a current playlist";

    playAt(L"Drive Mix", 5);
    run(L"playlasttrack");
    EXPECT_EQ(10, status().playOrderIndex);
    EXPECT_EQ(L"Drive Mix", status().currentPlaylistName);
    run(L"playfirsttrack");
    EXPECT_EQ(1, status().playOrderIndex);
}

TEST_F(PlayerActionTest, ReshuffleDrawsANewOrder) {
    playAt(L"Drive Mix", 1);
    const itunes::PlaylistPtr mix = playlist(L"Drive Mix");
    const std::vector<long> listed = playOrder(mix);
    run(L"reshuffle");
    EXPECT_TRUE(status().shuffle);
    const std::vector<long> first = playOrder(mix);
    EXPECT_NE(listed, first);
    run(L"reshuffle");
    EXPECT_TRUE(status().shuffle);
    EXPECT_NE(first, playOrder(mix)) << "an order already shuffled is drawn anew";

    app->pause();
    run(L"reshuffle", {L"Play"});
    EXPECT_EQ(Playing, status().state);
    EXPECT_TRUE(status().shuffle);
}

TEST_F(PlayerActionTest, RepeatSetsOrCyclesTheMode) {
    run(L"repeat", {L"All"});
    EXPECT_EQ(0, playlist(L"Library")->songRepeat()) << "nothing without a current playlist";

    playAt(L"Seaside", 1);
    ASSERT_EQ(0, status().songRepeat);
    const std::vector<std::pair<const wchar_t*, long>> steps = {
        {L"OneAll", 1}, {L"OneAll", 2}, {L"OneAll", 1}, {L"Off", 0}, {L"OneAll", 1}, {L"All", 2},
        {L"One", 1},    {L"x", 2},      {L"x", 0},      {L"", 1},    {L"all", 2},    {L"", 0}};
    for (const auto& step : steps) {
        run(L"repeat", {step.first});
        EXPECT_EQ(step.second, status().songRepeat) << "after " << testing::PrintToString(std::wstring(step.first));
    }
}

TEST(PlayerActionRules, RatingAndVolumeOperators) {
    EXPECT_EQ(0, ratingResult(L"*20", 100)) << "wraps to unrated";
    EXPECT_EQ(100, ratingResult(L"/20", 0)) << "wraps to five stars";
    EXPECT_EQ(80, ratingResult(L"?60", 80));
    EXPECT_EQ(60, ratingResult(L"?60", 0));
    EXPECT_EQ(60, ratingResult(L"*20", 40));
    EXPECT_EQ(20, ratingResult(L"/20", 40));
    EXPECT_EQ(100, ratingResult(L"+30", 80));
    EXPECT_EQ(0, ratingResult(L"-50", 40));
    EXPECT_EQ(40, ratingResult(L"=40", 80));
    EXPECT_EQ(80, ratingResult(L"", 80));
    EXPECT_EQ(80, ratingResult(L"x20", 80));
    EXPECT_EQ(80, ratingResult(L"+abc", 80));
    EXPECT_EQ(100, ratingResult(L"=150", 80));
    EXPECT_EQ(100, ratingResult(L"+99999999999", 80)) << "a huge number must not overflow";
    EXPECT_EQ(0, ratingResult(L"-99999999999", 80));

    EXPECT_EQ(100, volumeResult(L"+10", 95));
    EXPECT_EQ(0, volumeResult(L"-10", 5));
    EXPECT_EQ(35, volumeResult(L"=35", 80));
    EXPECT_EQ(0, volumeResult(L"=-5", 80));
    for (const wchar_t* unchanged : {L"?5", L"*5", L"/5", L"V50", L""})
        EXPECT_EQ(42, volumeResult(unchanged, 42)) << testing::PrintToString(std::wstring(unchanged));
}

TEST_F(PlayerActionTest, RatingAndVolumeAreWrittenBack) {
    run(L"rating", {L"=20"});  // no current track: nothing, no crash

    playAt(L"Library", 2);  // rated 100
    run(L"rating", {L"*20"});
    EXPECT_EQ(0, app->currentTrack()->rating());
    playAt(L"Library", 6);  // unrated
    run(L"rating", {L"/20"});
    EXPECT_EQ(100, app->currentTrack()->rating());
    playAt(L"Library", 4);  // rated 80
    run(L"rating", {L"?60"});
    EXPECT_EQ(80, app->currentTrack()->rating());
    playAt(L"Library", 13);  // unrated
    run(L"rating", {L"?60"});
    EXPECT_EQ(60, app->currentTrack()->rating());

    app->setSoundVolume(95);
    run(L"volume", {L"+10"});
    EXPECT_EQ(100, status().volume);
    run(L"volume", {L"-30"});
    run(L"volume", {L"Loud"});
    EXPECT_EQ(70, status().volume);
}

TEST_F(PlayerActionTest, SwitchesFollowOnOffOrToggle) {
    run(L"mute", {L"On"});
    run(L"mute", {L"On"});
    EXPECT_TRUE(status().mute);
    run(L"mute");
    EXPECT_FALSE(status().mute);
    run(L"mute", {L"on"});
    EXPECT_TRUE(status().mute) << "parameters are case-sensitive: \"on\" toggles";
    run(L"mute", {L"Off"});
    EXPECT_FALSE(status().mute);

    run(L"eq");
    EXPECT_TRUE(status().eq);
    run(L"eq", {L"Off"});
    EXPECT_FALSE(status().eq);
    run(L"visuals", {L"On"});
    EXPECT_TRUE(status().visuals);
    run(L"visuals", {L"Toggle"});
    EXPECT_FALSE(status().visuals);
    run(L"miniplayer");
    EXPECT_TRUE(status().miniPlayer);
    run(L"miniplayer", {L"On"});
    EXPECT_TRUE(status().miniPlayer);

    playAt(L"Seaside", 1);
    run(L"shuffle");
    EXPECT_TRUE(status().shuffle);
    run(L"shuffle", {L"Off"});
    EXPECT_FALSE(status().shuffle);
}

TEST_F(PlayerActionTest, BrowserWindowActivatesOrMinimizes) {
    itunes::model::ModelPlayerHost& host = player.host();
    run(L"browserwindow");
    run(L"browserwindow", {L"Maximize"});
    EXPECT_EQ(0, host.activations());
    EXPECT_EQ(0, host.minimizations());

    run(L"browserwindow", {L"Minimize"});
    EXPECT_EQ(1, host.minimizations());
    EXPECT_FALSE(host.isWindowVisible());
    run(L"browserwindow", {L"Minimize"});
    EXPECT_EQ(1, host.minimizations()) << "a hidden window is left alone";

    app->browserWindow()->setVisible(false);
    run(L"browserwindow", {L"Activate"});
    EXPECT_TRUE(status().browserVisible);
    EXPECT_EQ(1, host.activations());
}

TEST(PlayerActionLifecycle, QuitNeverStartsAStoppedPlayer) {
    InstalledModelPlayer player(false);
    runAction(action::ITunesActionFactory::instance(), L"quit");
    EXPECT_EQ(0, player.host().boots());
    EXPECT_FALSE(player.host().isRunning());

    // BootQuit starts it and shows the browser, then quits it.
    runAction(action::ITunesActionFactory::instance(), L"bootquit");
    EXPECT_EQ(1, player.host().boots());
    ASSERT_TRUE(player.host().isRunning());
    EXPECT_TRUE(player.model()->status().browserVisible);
    runAction(action::ITunesActionFactory::instance(), L"bootquit");
    EXPECT_FALSE(player.host().isRunning());
    EXPECT_EQ(1, player.host().boots());

    runAction(action::ITunesActionFactory::instance(), L"boot");
    EXPECT_EQ(2, player.host().boots());
    runAction(action::ITunesActionFactory::instance(), L"quit");
    EXPECT_FALSE(player.host().isRunning());
}

TEST(PlayerActionLifecycle, OtherActionsStartThePlayer) {
    InstalledModelPlayer player(false);
    runAction(action::ITunesActionFactory::instance(), L"play");
    ASSERT_TRUE(player.host().isRunning());
    EXPECT_EQ(Playing, player.model()->status().state);

    player.app()->browserWindow()->setVisible(false);
    runAction(action::ITunesActionFactory::instance(), L"boot");
    EXPECT_TRUE(player.model()->status().browserVisible);
    EXPECT_EQ(1, player.host().boots());
}

TEST(PlayerActionLifecycle, AnUnreachablePlayerEndsEveryActionQuietly) {
    InstalledModelPlayer player;
    // The platform's own host: off Windows no player can be reached.
    itunes::PlayerHost::install(nullptr);
    action::ITunesActionFactory& factory = action::ITunesActionFactory::instance();
    for (const std::wstring& name : factory.names()) {
        for (const wchar_t* param : {L"", L"OnOff", L"3", L"+20", L"Activate", L"Minimize", L"Play"})
            runAction(factory, name, {param});
    }
    EXPECT_EQ(Stopped, player.model()->status().state);
    EXPECT_EQ(0, player.model()->status().currentTrackId);
}

// The first action holds the lock while it fast-forwards. Run side by side,
// the second ("OnOff") would see the fast-forward and resume; run after it,
// it sees the player playing again and fast-forwards.
TEST_F(PlayerActionTest, ActionsWaitForTheOneBeforeThem) {
    bool& ignoreWaiting = Ini::instance().detail.ignoreWaitingAction;
    const bool saved = ignoreWaiting;
    ignoreWaiting = false;
    Ini::publish();
    playAt(L"Library", 1);
    auto first = action::ITunesActionFactory::instance().create(L"fastforward", nullptr, {L"300"});
    auto second = action::ITunesActionFactory::instance().create(L"fastforward", nullptr, {L"OnOff"});
    ASSERT_TRUE(first->start());
    EXPECT_TRUE(waitUntil([&] { return status().state == FastForwarding || first->finished(); }));
    ASSERT_TRUE(second->start());
    second->wait();
    first->wait();
    EXPECT_EQ(FastForwarding, status().state);
    ignoreWaiting = saved;
    Ini::publish();
}

TEST_F(PlayerActionTest, WithIgnoreWaitingActionTheyRunSideBySide) {
    bool& ignoreWaiting = Ini::instance().detail.ignoreWaitingAction;
    const bool saved = ignoreWaiting;
    ignoreWaiting = true;
    Ini::publish();
    playAt(L"Library", 1);
    auto first = action::ITunesActionFactory::instance().create(L"fastforward", nullptr, {L"1000"});
    auto second = action::ITunesActionFactory::instance().create(L"fastforward", nullptr, {L"OnOff"});
    ASSERT_TRUE(first->start());
    EXPECT_TRUE(waitUntil([&] { return status().state == FastForwarding || first->finished(); }));
    ASSERT_TRUE(second->start());
    second->wait();
    // Waiting for the first, the second would have fast-forwarded after it.
    EXPECT_EQ(Playing, status().state);
    first->wait();
    EXPECT_EQ(Playing, status().state);
    ignoreWaiting = saved;
    Ini::publish();
}

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "feature/EventAction.h"
#include "feature/InterruptPlay.h"
#include "feature/Switch.h"
#include "player/PlayerState.h"

using namespace tavelapp;

namespace {

PlayerState stateOf(int playerState, int position, int playOrderIndex = 1, int trackCount = 10) {
    PlayerState s;
    s.setField(PlayerState::State, std::to_wstring(playerState));
    s.setField(PlayerState::PlayerPosition, std::to_wstring(position));
    s.setField(PlayerState::PlayOrderIndex, std::to_wstring(playOrderIndex));
    s.setField(PlayerState::TrackCount, std::to_wstring(trackCount));
    return s;
}

class EventActionTest : public ::testing::Test, protected EventAction::EventActionListener {
protected:
    EventActionTest()
        : settings(L"unused.ini"), eventAction(settings, [this](const std::wstring& a) { ran.push_back(a); }) {
        settings.action = L"Stop";
        eventAction.addListener(this);
    }
    ~EventActionTest() override { eventAction.removeListener(this); }
    void onStateChanged(EventAction& e) override { seen.push_back(e.isRunning()); }

    EventActionIni settings;
    EventAction eventAction;
    std::vector<std::wstring> ran;
    std::vector<bool> seen;
};

}  // namespace

TEST_F(EventActionTest, TrackFinishedRunsOnceAndSwitchesOff) {
    eventAction.start();
    eventAction.onTrackChanged(false);
    EXPECT_EQ(std::vector<std::wstring>{L"Stop"}, ran);
    EXPECT_FALSE(eventAction.isRunning());
    eventAction.onTrackChanged(false);
    EXPECT_EQ(1u, ran.size());
    EXPECT_EQ((std::vector<bool>{true, false}), seen);
    // Stops mean nothing to this method.
    eventAction.start();
    eventAction.onPlayerStateChanged(stateOf(0, 0));
    EXPECT_EQ(1u, ran.size());
}

TEST_F(EventActionTest, OwnTrackChangeDoesNotFire) {
    eventAction.start();
    InterruptPlay& mark = InterruptPlay::instance();
    mark.markOwnChange();
    // The controller takes the mark once per change.
    eventAction.onTrackChanged(mark.takeOwnChange());
    EXPECT_TRUE(ran.empty());
    EXPECT_TRUE(eventAction.isRunning());
    eventAction.onTrackChanged(mark.takeOwnChange());
    EXPECT_EQ(1u, ran.size());
    EXPECT_FALSE(eventAction.isRunning());
}

TEST_F(EventActionTest, StopMethodsFireOnEveryQualifyingStop) {
    struct Case {
        int method;
        PlayerState state;
        bool runs;
    } cases[] = {
        {EventAction::PlayerStopped, stateOf(0, 0), true},
        {EventAction::PlayerStopped, stateOf(0, 35), false},  // a pause
        {EventAction::PlayerStopped, stateOf(1, 0), false},
        {EventAction::PlayerStopped, stateOf(2, 0), false},
        {EventAction::AlbumFinished, stateOf(0, 0, 10, 10), true},
        {EventAction::AlbumFinished, stateOf(0, 0, 9, 10), false},
        {EventAction::AlbumFinished, stateOf(0, 12, 10, 10), false},
        {EventAction::TrackFinished, stateOf(0, 0), false},
        {7, stateOf(0, 0), false},
    };
    for (const Case& c : cases) {
        eventAction.setMethod(c.method);
        eventAction.start();
        ran.clear();
        eventAction.onPlayerStateChanged(c.state);
        eventAction.onPlayerStateChanged(c.state);
        EXPECT_EQ(c.runs ? 2u : 0u, ran.size()) << "method " << c.method;
        EXPECT_TRUE(eventAction.isRunning()) << "stays armed";
    }
    eventAction.stop();
    eventAction.setMethod(EventAction::PlayerStopped);
    ran.clear();
    eventAction.onPlayerStateChanged(stateOf(0, 0));
    EXPECT_TRUE(ran.empty()) << "off means off";
}

TEST_F(EventActionTest, SettingTheActionAlwaysTellsAndSwitchesApply) {
    eventAction.setAction(L"Stop");
    eventAction.setAction(L"PlayPause");
    EXPECT_EQ(2u, seen.size());
    EXPECT_EQ(L"PlayPause", eventAction.action());
    eventAction.run();
    EXPECT_EQ(std::vector<std::wstring>{L"PlayPause"}, ran);

    seen.clear();
    applySwitch(eventAction, parseSwitch(L"On"));
    applySwitch(eventAction, parseSwitch(L"On"));
    applySwitch(eventAction, parseSwitch(L"OnOff"));
    applySwitch(eventAction, parseSwitch(L"off"));
    EXPECT_EQ((std::vector<bool>{true, false}), seen);
}

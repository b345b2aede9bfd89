#include <gtest/gtest.h>

#include <string>

#include "PlayerStateSupport.h"
#include "app/ControllerRules.h"
#include "config/Ini.h"
#include "notify/NotificationTexts.h"
#include "player/PlayerState.h"

using tavelapp::NotificationTexts;
using tavelapp::PlayerState;

namespace {

PlayerState sampleState() {
    return makeState({{PlayerState::PlayerName, L"iTunes"},
                      {PlayerState::SystemVolume, L"35"},
                      {PlayerState::SystemMute, L"1"},
                      {PlayerState::Volume, L"40"},
                      {PlayerState::Mute, L"0"},
                      {PlayerState::EQ, L"1"},
                      {PlayerState::Visuals, L"0"},
                      {PlayerState::State, L"0"},
                      {PlayerState::PlayerPosition, L"12"},
                      {PlayerState::PlayListName, L"Evening"},
                      {PlayerState::PlayListShuffle, L"1"},
                      {PlayerState::PlayListRepeat, L"2"},
                      {PlayerState::TracksCount, L"9"},
                      {PlayerState::PlayedCount, L"3"},
                      {PlayerState::Album, L"Harbour"},
                      {PlayerState::Artist, L"Aoi"},
                      {PlayerState::Name, L"Lights"},
                      {PlayerState::PlayOrderIndex, L"4"},
                      {PlayerState::Rating, L"60"},
                      {PlayerState::Time, L"3:07"},
                      {PlayerState::TrackNumber, L"2"}});
}

// Restores the track template setting.
class TrackTextSetting {
public:
    TrackTextSetting() : saved_(tavelapp::Ini::instance().notify.notifyTrackText) {}
    ~TrackTextSetting() { set(saved_); }
    void set(const std::wstring& value) {
        tavelapp::Ini::instance().notify.notifyTrackText = value;
        tavelapp::Ini::publish();
    }

private:
    std::wstring saved_;
};

}  // namespace

TEST(NotificationTexts, EveryChangeText) {
    TestLanguage language;
    const PlayerState state = sampleState();
    auto label = [](const wchar_t* key) { return TestLanguage::text(key) + L": "; };
    const std::map<std::string, std::wstring> expected = {
        {"Notify_SystemVolume", label(L"SystemVolume") + L"35%"},
        {"Notify_SystemMute", label(L"SystemMute") + TestLanguage::text(L"SystemMute_On")},
        {"Notify_Volume", label(L"Volume") + L"40%"},
        {"Notify_Rating", label(L"Rating") + TestLanguage::text(L"Rating_3") + L"\nLights\nAoi\nHarbour"},
        {"Notify_PlayerState", TestLanguage::text(L"PlayerState_Paused")},
        {"Notify_Mute", label(L"Mute") + TestLanguage::text(L"Mute_Off")},
        {"Notify_Shuffle", label(L"Shuffle") + TestLanguage::text(L"Shuffle_On")},
        {"Notify_Repeat", label(L"Repeat") + TestLanguage::text(L"Repeat_All")},
        {"Notify_EQ", label(L"EQ") + TestLanguage::text(L"EQ_On")},
        {"Notify_Visuals", label(L"Visuals") + TestLanguage::text(L"Visuals_Off")},
    };
    ASSERT_EQ(expected.size(), NotificationTexts::changeKeys().size());
    for (const std::string& key : NotificationTexts::changeKeys()) {
        ASSERT_EQ(1u, expected.count(key)) << key;
        EXPECT_EQ(expected.at(key), NotificationTexts::changeText(key, state)) << key;
    }
    EXPECT_EQ(L"", NotificationTexts::changeText("track", state));
}

TEST(NotificationTexts, AMissingLabelShowsItsKey) {
    TestLanguage language("Volume");
    EXPECT_EQ(L"Volume: 40%", NotificationTexts::changeText("Notify_Volume", sampleState()));
    // An empty snapshot still reads as a text.
    EXPECT_EQ(TestLanguage::text(L"SystemVolume") + L": %", NotificationTexts::changeText("Notify_SystemVolume", {}));
}

TEST(NotificationTexts, PlayerSettingAndFixedTexts) {
    TestLanguage language;
    auto label = [](const wchar_t* key) { return TestLanguage::text(key) + L": "; };
    EXPECT_EQ(label(L"Player") + L"iTunes\n" +                                     //
                  label(L"Repeat") + TestLanguage::text(L"Repeat_All") + L"\n" +   //
                  label(L"Shuffle") + TestLanguage::text(L"Shuffle_On") + L"\n" +  //
                  label(L"Volume") + L"40%\n" +                                    //
                  label(L"Mute") + TestLanguage::text(L"Mute_Off") + L"\n" +       //
                  label(L"SystemVolume") + L"35%\n" +                              //
                  label(L"SystemMute") + TestLanguage::text(L"SystemMute_On"),
              NotificationTexts::playerSettingText(sampleState()));
    EXPECT_EQ(L"Player is down", NotificationTexts::playerNotRunningText());
    EXPECT_EQ(L"Nothing plays", NotificationTexts::noTrackText());
}

TEST(NotificationTexts, TrackTextFromTheSettingAndThePresets) {
    TestLanguage language;
    TrackTextSetting setting;
    EXPECT_EQ(L"Evening - 4/9\nLights (3:07)\nAoi\nHarbour (Track 2)\n" + TestLanguage::text(L"Rating_3") + L" [3]",
              NotificationTexts::trackText(sampleState()))
        << "the default template";

    setting.set(L"");
    EXPECT_EQ(L"", NotificationTexts::trackText(sampleState()));
    std::wstring stored = L"%Name%\\n";
    stored += L'\0';
    stored += L"%Artist%";
    setting.set(stored);
    EXPECT_EQ(L"Lights\n", NotificationTexts::trackText(sampleState())) << "the setting ends at a NUL";

    ASSERT_EQ(4, NotificationTexts::presetCount());
    EXPECT_EQ(tavelapp::Ini::Item::defaultTrackText, NotificationTexts::preset(0));
    EXPECT_EQ(L"iTunes - 4/9\nLights (3:07)\nAoi\nHarbour (Track 2)",
              NotificationTexts::trackText(sampleState(), NotificationTexts::preset(3)));
    EXPECT_EQ(L"", NotificationTexts::preset(4));
    EXPECT_EQ(L"", NotificationTexts::preset(-1));
}

TEST(NotificationTexts, ToolTip) {
    TestLanguage language;
    EXPECT_EQ(L"Evening - 4/9\n" + TestLanguage::text(L"Rating_3") + L" [3]\nLights",
              tavelapp::ControllerRules::toolTipText(sampleState(), true));
    EXPECT_EQ(L"Kolibrix", tavelapp::ControllerRules::toolTipText(sampleState(), false));
    PlayerState noTrack = sampleState();
    noTrack.setField(PlayerState::Name, L"");
    EXPECT_EQ(L"Kolibrix", tavelapp::ControllerRules::toolTipText(noTrack, true));
}

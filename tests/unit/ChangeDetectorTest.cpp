#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "notify/ChangeDetector.h"
#include "notify/NotificationTexts.h"
#include "player/PlayerState.h"

using namespace tavelapp;
using Keys = std::vector<std::string>;
using N = NotificationTexts;

namespace {

// A playing iTunes with everything off.
PlayerState playing(const std::map<int, std::wstring>& changes = {}) {
    std::map<int, std::wstring> fields = {{PlayerState::IsPlayerRunning, L"1"},
                                          {PlayerState::PlayerID, L"Player/iTunes"},
                                          {PlayerState::SystemVolume, L"20"},
                                          {PlayerState::SystemMute, L"0"},
                                          {PlayerState::Volume, L"50"},
                                          {PlayerState::Mute, L"0"},
                                          {PlayerState::EQ, L"0"},
                                          {PlayerState::Visuals, L"0"},
                                          {PlayerState::State, L"1"},
                                          {PlayerState::PlayerPosition, L"30"},
                                          {PlayerState::PlayListID, L"7"},
                                          {PlayerState::PlayListShuffle, L"0"},
                                          {PlayerState::PlayListRepeat, L"0"},
                                          {PlayerState::TrackID, L"100"},
                                          {PlayerState::PlayedCount, L"3"},
                                          {PlayerState::Rating, L"40"}};
    for (const auto& c : changes)
        fields[c.first] = c.second;
    PlayerState state;
    for (const auto& f : fields)
        state.setField(f.first, f.second);
    return state;
}

const std::map<int, std::wstring> kSettingsFlipped = {{PlayerState::Mute, L"1"},
                                                      {PlayerState::PlayListShuffle, L"1"},
                                                      {PlayerState::PlayListRepeat, L"2"},
                                                      {PlayerState::EQ, L"1"},
                                                      {PlayerState::Visuals, L"1"}};

ChangeDetector::Decision decide(const PlayerState& before, const PlayerState& now, bool within = true,
                                const ChangeDetector::Switches& switches = {},
                                const std::wstring& target = L"Player/iTunes", bool running = true) {
    return ChangeDetector::decide(before, now, switches, within, target, running);
}

}  // namespace

TEST(ChangeDetectorTest, NothingChangedNothingSaid) {
    const ChangeDetector::Decision d = decide(playing(), playing());
    EXPECT_TRUE(d.keys.empty());
    EXPECT_FALSE(d.stopped || d.trackChanged || d.playerStateChanged || d.lampsChanged);
}

TEST(ChangeDetectorTest, WithoutTheSamePlayerOnlySystemVolumeAndMuteCount) {
    std::map<int, std::wstring> everything = kSettingsFlipped;
    everything[PlayerState::SystemVolume] = L"30";
    everything[PlayerState::SystemMute] = L"1";
    everything[PlayerState::Volume] = L"70";
    everything[PlayerState::TrackID] = L"101";

    std::map<int, std::wstring> quit = everything;
    quit[PlayerState::IsPlayerRunning] = L"0";
    ChangeDetector::Decision d = decide(playing(), playing(quit));
    EXPECT_EQ((Keys{N::kSystemVolume, N::kSystemMute}), d.keys);
    EXPECT_TRUE(d.stopped);
    EXPECT_FALSE(d.trackChanged || d.playerStateChanged || d.lampsChanged);

    std::map<int, std::wstring> other = everything;
    other[PlayerState::PlayerID] = L"Player/Winamp";
    EXPECT_EQ((Keys{N::kSystemVolume, N::kSystemMute}), decide(playing(), playing(other)).keys);

    d = decide(playing(), playing(everything), true, {}, L"Player/iTunes", false);
    EXPECT_EQ((Keys{N::kSystemVolume, N::kSystemMute}), d.keys) << "the target says its player is down";
    EXPECT_TRUE(d.stopped);

    ChangeDetector::Switches quiet;
    quiet.systemVolume = false;
    EXPECT_EQ((Keys{N::kSystemMute}), decide(playing(), playing(quit), true, quiet).keys);
}

TEST(ChangeDetectorTest, SettingsChangesCountOnlyAfterOurOwnActions) {
    ChangeDetector::Decision d = decide(playing(), playing(kSettingsFlipped), false);
    EXPECT_TRUE(d.keys.empty()) << "changed in the player's own window";
    EXPECT_TRUE(d.lampsChanged) << "the remote's lamps follow anyway";

    d = decide(playing(), playing(kSettingsFlipped), true);
    EXPECT_EQ((Keys{N::kMute, N::kShuffle, N::kRepeat, N::kEQ, N::kVisuals}), d.keys);

    // Volume, rating and player state need no action of ours.
    d = decide(playing(), playing({{PlayerState::Volume, L"51"}}), false);
    EXPECT_EQ((Keys{N::kVolume}), d.keys);
    EXPECT_FALSE(d.lampsChanged);

    // Only visuals: no lamp shows them.
    EXPECT_FALSE(decide(playing(), playing({{PlayerState::Visuals, L"1"}})).lampsChanged);
}

TEST(ChangeDetectorTest, AnotherPlaylistHidesShuffleAndRepeat) {
    std::map<int, std::wstring> changes = kSettingsFlipped;
    changes[PlayerState::PlayListID] = L"8";
    EXPECT_EQ((Keys{N::kMute, N::kEQ, N::kVisuals}), decide(playing(), playing(changes)).keys);
}

TEST(ChangeDetectorTest, ATrackChangeCarriesItsOwnRating) {
    ChangeDetector::Decision d =
        decide(playing(), playing({{PlayerState::TrackID, L"101"}, {PlayerState::Rating, L"80"}}));
    EXPECT_TRUE(d.keys.empty());
    EXPECT_TRUE(d.trackChanged);

    d = decide(playing(), playing({{PlayerState::Rating, L"80"}}));
    EXPECT_EQ((Keys{N::kRating}), d.keys);
    EXPECT_FALSE(d.trackChanged);

    // The same track again: its play count grew.
    d = decide(playing(), playing({{PlayerState::PlayedCount, L"4"}, {PlayerState::Rating, L"80"}}));
    EXPECT_TRUE(d.trackChanged);
    EXPECT_TRUE(d.keys.empty());

    // Winamp reports no play count worth trusting: only the track id tells.
    d = decide(playing(), playing({{PlayerState::PlayedCount, L"4"}, {PlayerState::Rating, L"80"}}), true, {},
               L"Player/Winamp");
    EXPECT_FALSE(d.trackChanged);
    EXPECT_EQ((Keys{N::kRating}), d.keys);
    EXPECT_TRUE(decide(playing(), playing({{PlayerState::TrackID, L"5"}}), true, {}, L"Player/Winamp").trackChanged);
}

TEST(ChangeDetectorTest, OnlyStartingAndStoppingAreAnnounced) {
    auto state = [](const wchar_t* s) { return playing({{PlayerState::State, s}}); };
    ChangeDetector::Decision d = decide(state(L"1"), state(L"0"));
    EXPECT_EQ((Keys{N::kPlayerState}), d.keys) << "paused";
    EXPECT_TRUE(d.playerStateChanged);
    EXPECT_EQ((Keys{N::kPlayerState}), decide(state(L"0"), state(L"1")).keys);

    d = decide(state(L"1"), state(L"2"));
    EXPECT_TRUE(d.keys.empty()) << "fast-forward";
    EXPECT_TRUE(d.playerStateChanged) << "the controller still hears of it";
    EXPECT_TRUE(decide(state(L"2"), state(L"1")).keys.empty());
    EXPECT_TRUE(decide(state(L"3"), state(L"0")).keys.empty());
}

TEST(ChangeDetectorTest, EverythingInOrderAndEachSwitchSilencesItsKey) {
    std::map<int, std::wstring> all = kSettingsFlipped;
    all[PlayerState::SystemVolume] = L"30";
    all[PlayerState::SystemMute] = L"1";
    all[PlayerState::Volume] = L"70";
    all[PlayerState::Rating] = L"100";
    all[PlayerState::State] = L"0";
    const PlayerState before = playing(), after = playing(all);
    EXPECT_EQ(N::changeKeys(), decide(before, after).keys);

    bool ChangeDetector::Switches::*switches[] = {
        &ChangeDetector::Switches::systemVolume, &ChangeDetector::Switches::systemMute,
        &ChangeDetector::Switches::volume,       &ChangeDetector::Switches::rating,
        &ChangeDetector::Switches::playerState,  &ChangeDetector::Switches::mute,
        &ChangeDetector::Switches::shuffle,      &ChangeDetector::Switches::repeat,
        &ChangeDetector::Switches::eq,           &ChangeDetector::Switches::visuals};
    for (std::size_t i = 0; i < N::changeKeys().size(); ++i) {
        ChangeDetector::Switches off;
        off.*switches[i] = false;
        Keys expected = N::changeKeys();
        expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(i));
        EXPECT_EQ(expected, decide(before, after, true, off).keys) << N::changeKeys()[i];
    }
}

TEST(ChangeDetectorTest, FiveSecondsAcrossTheTickCountWrap) {
    EXPECT_TRUE(ChangeDetector::dispatchedRecently(1000, 5999));
    EXPECT_FALSE(ChangeDetector::dispatchedRecently(1000, 6000));
    EXPECT_TRUE(ChangeDetector::dispatchedRecently(0xFFFFF000u, 0x00000100u)) << "the count wrapped since";
    EXPECT_TRUE(ChangeDetector::dispatchedRecently(0xFFFFF000u, 0xFFFFF100u)) << "the deadline is past the wrap";
    EXPECT_FALSE(ChangeDetector::dispatchedRecently(0xFFFFF000u, 0x00001000u));
}

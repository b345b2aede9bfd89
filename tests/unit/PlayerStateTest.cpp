#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "PlayerStateSupport.h"
#include "player/PlayerState.h"

using tavelapp::PlayerState;

namespace {

std::wstring numberedLines(int count, const std::wstring& end) {
    std::wstring text;
    for (int i = 0; i < count; ++i)
        text += L"v" + std::to_wstring(i) + end;
    return text;
}

}  // namespace

TEST(PlayerState, ParsesOneFieldPerLine) {
    PlayerState state = PlayerState::parse(numberedLines(38, L"\n"));
    for (int i = 0; i < PlayerState::FieldCount; ++i)
        EXPECT_EQ(L"v" + std::to_wstring(i), state.field(i)) << i;
    EXPECT_EQ(L"", state.field(38));
    EXPECT_EQ(L"", state.field(-1));

    // Lines after the 38th are ignored; the last line needs no line feed.
    state = PlayerState::parse(numberedLines(38, L"\n") + L"surplus\nmore");
    EXPECT_EQ(L"v37", state.field(PlayerState::ArtworkPath));
    state = PlayerState::parse(L"a\nb\nc");
    EXPECT_EQ(L"c", state.field(2));
    EXPECT_EQ(L"", state.field(3));
    EXPECT_EQ(PlayerState(), PlayerState::parse(L""));
}

TEST(PlayerState, KeepsCarriageReturnsAndEndsAValueAtNul) {
    PlayerState state = PlayerState::parse(numberedLines(38, L"\r\n"));
    for (int i = 0; i < PlayerState::FieldCount; ++i)
        EXPECT_EQ(L"v" + std::to_wstring(i) + L"\r", state.field(i)) << i;

    std::wstring text = L"ab";
    text += L'\0';
    text += L"cd\nnext\n";
    text += L'\0';
    text += L"\nlast";
    state = PlayerState::parse(text);
    EXPECT_EQ(L"ab", state.field(0));
    EXPECT_EQ(L"next", state.field(1)) << "the NUL ends only its own line";
    EXPECT_EQ(L"", state.field(2));
    EXPECT_EQ(L"last", state.field(3));
}

TEST(PlayerState, ReadsNumbersLikeAtoi) {
    EXPECT_EQ(42, PlayerState::toNumber(L"42"));
    EXPECT_EQ(-12, PlayerState::toNumber(L"  -12abc"));
    EXPECT_EQ(7, PlayerState::toNumber(L"+7\r"));
    EXPECT_EQ(0, PlayerState::toNumber(L""));
    EXPECT_EQ(0, PlayerState::toNumber(L"x1"));
    EXPECT_EQ(0, PlayerState::toNumber(L"- 1"));
    EXPECT_EQ(INT_MAX, PlayerState::toNumber(L"99999999999999999999"));
    EXPECT_EQ(INT_MIN, PlayerState::toNumber(L"-99999999999999999999"));

    PlayerState state = makeState({{PlayerState::Mute, L"2"}, {PlayerState::EQ, L"0"}, {PlayerState::Visuals, L"x"}});
    EXPECT_TRUE(state.isMute()) << "any non-zero number is true";
    EXPECT_FALSE(state.isEQ());
    EXPECT_FALSE(state.isVisuals());
    EXPECT_TRUE(state.isStopped());
}

TEST(PlayerState, DisplayTextsAtTheirBoundaries) {
    TestLanguage language;
    auto rating = [](const wchar_t* value) { return makeState({{PlayerState::Rating, value}}).ratingText(); };
    EXPECT_EQ(TestLanguage::text(L"Rating_0"), rating(L"19"));
    EXPECT_EQ(TestLanguage::text(L"Rating_1"), rating(L"20"));
    EXPECT_EQ(TestLanguage::text(L"Rating_4"), rating(L"99"));
    EXPECT_EQ(TestLanguage::text(L"Rating_5"), rating(L"100"));
    EXPECT_EQ(TestLanguage::text(L"Rating_0"), rating(L"120"));
    EXPECT_EQ(TestLanguage::text(L"Rating_0"), rating(L"-40"));

    auto playerState = [](const wchar_t* state, const wchar_t* position) {
        return makeState({{PlayerState::State, state}, {PlayerState::PlayerPosition, position}}).playerStateText();
    };
    EXPECT_EQ(TestLanguage::text(L"PlayerState_Paused"), playerState(L"0", L"35"));
    EXPECT_EQ(TestLanguage::text(L"PlayerState_Stopped"), playerState(L"0", L"0"));
    EXPECT_EQ(TestLanguage::text(L"PlayerState_Playing"), playerState(L"1", L"35"));
    EXPECT_EQ(TestLanguage::text(L"PlayerState_FastForward"), playerState(L"2", L"0"));
    EXPECT_EQ(TestLanguage::text(L"PlayerState_Rewind"), playerState(L"3", L"0"));
    EXPECT_EQ(L"", playerState(L"7", L"0"));
    EXPECT_FALSE(makeState({{PlayerState::PlayerPosition, L"35"}}).isStopped());

    auto repeat = [](const wchar_t* value) { return makeState({{PlayerState::PlayListRepeat, value}}).repeatText(); };
    EXPECT_EQ(TestLanguage::text(L"Repeat_Off"), repeat(L"0"));
    EXPECT_EQ(TestLanguage::text(L"Repeat_One"), repeat(L"1"));
    EXPECT_EQ(TestLanguage::text(L"Repeat_All"), repeat(L"2"));
    EXPECT_EQ(L"", repeat(L"3"));
}

TEST(PlayerState, FormatsEveryPlaceholderAndTheRatingText) {
    TestLanguage language;
    PlayerState state;
    std::wstring pattern;
    for (int i = 0; i < PlayerState::FieldCount; ++i) {
        state.setField(i, L"[" + std::to_wstring(i) + L"]");
        pattern += PlayerState::placeholder(i);
    }
    std::wstring expected;
    for (int i = 0; i < PlayerState::FieldCount; ++i)
        expected += L"[" + std::to_wstring(i) + L"]";
    EXPECT_EQ(expected, state.format(pattern));
    EXPECT_EQ(nullptr, PlayerState::placeholder(PlayerState::FieldCount));

    // An empty snapshot: empty values, rating text of no stars.
    EXPECT_EQ(L"||" + TestLanguage::text(L"Rating_0") + L"|", PlayerState().format(L"|%Rating%|%RatingText%|"));

    // Backslash-n in the template breaks the line; in a value it stays as written.
    PlayerState track = makeState({{PlayerState::Name, L"50% \\n %Artist%"}, {PlayerState::Artist, L"A"}});
    EXPECT_EQ(L"50% \\n %Artist%\nA\n", track.format(L"%Name%\\n%Artist%\\n"));
    EXPECT_EQ(L"50% \\n %Artist% 50% \\n %Artist%", track.format(L"%Name% %Name%"));
}

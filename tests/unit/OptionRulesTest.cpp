#include <gtest/gtest.h>

#include "option/OptionRules.h"

using namespace tavelapp;

namespace {

Ini::HotKeyList hotKeys(std::initializer_list<std::pair<std::uint32_t, std::uint32_t>> keys) {
    Ini::HotKeyList list;
    for (const auto& key : keys)
        list.push_back({key.first, key.second, L""});
    return list;
}

}  // namespace

TEST(OptionRules, DuplicateHotKeysNameTheEarlierBindingOncePerLaterOne) {
    const struct {
        Ini::HotKeyList keys;
        std::vector<std::size_t> expected;
    } cases[] = {
        {hotKeys({{3, 0x2D}, {3, 0x2D}}), {0}},
        {hotKeys({{3, 0x2D}, {3, 0x2D}, {3, 0x2D}}), {0, 0, 1}},
        {hotKeys({{3, 0x25}, {7, 0x25}, {3, 0x27}}), {}},
        {hotKeys({{3, 0}, {3, 0}, {0, 0}}), {}},
        {hotKeys({{3, 0x41}, {2, 0x42}, {3, 0x41}, {2, 0x42}}), {0, 1}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, OptionRules::duplicateHotKeys(c.keys));

    EXPECT_EQ(L"Dup\nPlay - [Ctrl + Alt + Ins]\nNext - [Z]",
              OptionRules::duplicateMessage(L"Dup", {L"Play", L"Next"}, {L"Ctrl + Alt + Ins", L"Z"}));
}

TEST(OptionRules, SelectionAfterDeleteIsTheRowThatTookItsPlace) {
    EXPECT_EQ(2, OptionRules::selectionAfterDelete(2, 5));
    EXPECT_EQ(0, OptionRules::selectionAfterDelete(0, 4));
    EXPECT_EQ(3, OptionRules::selectionAfterDelete(4, 4));  // the last row went
    EXPECT_EQ(-1, OptionRules::selectionAfterDelete(0, 0));
}

TEST(OptionRules, HotKeyFieldKeepsModifiersAndMarksCursorKeysExtended) {
    const struct {
        std::uint32_t mods, vk;
        std::uint16_t field;
        bool confirm;
    } cases[] = {
        {3, 0x2D, (OptionRules::kFieldAlt | OptionRules::kFieldControl | OptionRules::kFieldExt) << 8 | 0x2D, false},
        {2, 0x74, OptionRules::kFieldControl << 8 | 0x74, true},  // Ctrl+F5 alone
        {7, 0x41, (OptionRules::kFieldAlt | OptionRules::kFieldControl | OptionRules::kFieldShift) << 8 | 0x41, false},
        {0, 0x24, OptionRules::kFieldExt << 8 | 0x24, true},
        {0, 0, 0, false},  // empty: stored without a question
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.field, OptionRules::hotKeyFieldValue(c.mods, c.vk)) << c.mods << " " << c.vk;
        std::uint32_t mods = 99, vk = 99;
        OptionRules::fromHotKeyField(c.field, mods, vk);
        EXPECT_EQ(c.mods, mods);
        EXPECT_EQ(c.vk, vk);
        EXPECT_EQ(c.confirm, OptionRules::needsConfirmation(mods, vk)) << c.mods << " " << c.vk;
    }
}

TEST(OptionRules, InfraredPadShowsAndStoresTheCode) {
    EXPECT_EQ(15, OptionRules::irPadIndex(0x10F));  // shift + "0"
    EXPECT_EQ(-1, OptionRules::irPadIndex(17));
    EXPECT_EQ(0x10Fu, OptionRules::irCode(15, true));
    EXPECT_EQ(0u, OptionRules::irCode(-1, false));
    EXPECT_EQ(0x100u, OptionRules::irCode(-1, true));
}

TEST(OptionRules, CaptureAddsTheShiftFlagWhileTheShiftButtonIsHeld) {
    OptionRules::KeyCapture joy(5, true, 7, 0x100);
    EXPECT_TRUE(joy.onEvent(7, true));  // shift alone captures nothing
    EXPECT_TRUE(joy.shiftHeld());
    EXPECT_EQ(5u, joy.code());
    EXPECT_TRUE(joy.onEvent(4, true));
    EXPECT_EQ(0x104u, joy.code());
    EXPECT_FALSE(joy.onEvent(4, false));  // releases are ignored
    EXPECT_TRUE(joy.onEvent(7, false));
    EXPECT_TRUE(joy.onEvent(1, true));
    EXPECT_EQ(1u, joy.code());
    joy.clear();
    EXPECT_EQ(255u, joy.code());

    // Without the shift layer the shift button is a button like any other.
    OptionRules::KeyCapture wii(0, false, 2, 0x8000);
    wii.onEvent(2, true);
    EXPECT_EQ(2u, wii.code());
    OptionRules::KeyCapture wiiShift(0, true, 2, 0x8000);
    wiiShift.onEvent(2, true);
    wiiShift.onEvent(3, true);
    EXPECT_EQ(0x8003u, wiiShift.code());

    EXPECT_FALSE(OptionRules::acceptsJoyShift(3));  // a stick direction
    EXPECT_TRUE(OptionRules::acceptsJoyShift(4));
}

TEST(OptionRules, NumbersOutsideTheirRangeAreRefused) {
    long value = -1;
    EXPECT_TRUE(OptionRules::parseInRange(L"100", 0, 100, value));
    EXPECT_EQ(100, value);
    for (const wchar_t* text : {L"101", L"", L"-1", L"12a", L"99999999999999999999"})
        EXPECT_FALSE(OptionRules::parseInRange(text, 0, 100, value)) << text;
    EXPECT_EQ(100, value);
}

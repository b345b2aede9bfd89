#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/WiimoteHidCodec.h"
#include "input/WiimoteRules.h"
#include "player/PlayerState.h"

using namespace tavelapp;
using WiimoteRules::ButtonChange;

namespace {

PlayerState snapshot(int repeat, bool shuffle, bool mute, bool eq, bool visuals) {
    PlayerState s;
    s.setField(PlayerState::PlayListRepeat, std::to_wstring(repeat));
    s.setField(PlayerState::PlayListShuffle, shuffle ? L"1" : L"0");
    s.setField(PlayerState::Mute, mute ? L"-1" : L"0");  // any non-zero reads as on
    s.setField(PlayerState::EQ, eq ? L"1" : L"0");
    s.setField(PlayerState::Visuals, visuals ? L"1" : L"0");
    return s;
}

}  // namespace

TEST(WiimoteRules, ButtonReportsGiveOneCallPerChangedButtonInIndexOrder) {
    struct Case {
        std::uint16_t last;
        std::uint8_t first, second;  // the report's first two data bytes
        std::vector<ButtonChange> expected;
    } cases[] = {
        {0x0000, 0x00, 0x0C, {{2, true}, {3, true}}},   // A and B together: B (2) before A (3)
        {0x000C, 0x00, 0x0C, {}},                       // the same state again
        {0x000C, 0x00, 0x08, {{2, false}}},             // B let go
        {0x0000, 0x10, 0x80, {{5, true}, {10, true}}},  // home in the second byte, plus in the first
        {0x0000, 0x0F, 0x00, {{6, true}, {7, true}, {8, true}, {9, true}}},
        {0x0000, 0xE0, 0x60, {}},  // bits no button owns
        {0x0803, 0x00, 0x00, {{0, false}, {1, false}, {9, false}}},
    };
    for (const Case& c : cases) {
        const std::uint16_t now = WiimoteRules::buttonField(c.first, c.second);
        EXPECT_EQ(c.expected, WiimoteRules::changes(c.last, now)) << std::hex << c.last << " -> " << now;
    }
}

TEST(WiimoteRules, ShiftButtonSelectsTheShiftedCodesWhileHeld) {
    struct Press {
        std::uint32_t index;
        bool pressed;
        int code;  // -1: runs nothing
    };
    const std::vector<Press> withShift = {
        {2, true, -1}, {3, true, 0x8003}, {3, false, -1}, {6, true, 0x8006}, {2, false, -1}, {3, true, 3}, {7, true, 7},
    };
    WiimoteRules::ShiftLayer layer(true, 2);
    for (const Press& p : withShift) {
        std::uint32_t code = 0;
        const bool runs = layer.onButton(p.index, p.pressed, code);
        EXPECT_EQ(p.code >= 0, runs) << p.index << (p.pressed ? " down" : " up");
        if (runs) {
            EXPECT_EQ(static_cast<std::uint32_t>(p.code), code);
        }
    }
    // Without the shift layer the shift button is a button like any other.
    WiimoteRules::ShiftLayer plain(false, 2);
    std::uint32_t code = 0;
    EXPECT_TRUE(plain.onButton(2, true, code));
    EXPECT_EQ(2u, code);
    EXPECT_TRUE(plain.onButton(3, true, code));
    EXPECT_EQ(3u, code);
}

TEST(WiimoteRules, LedConditionsAndPatternBits) {
    const PlayerState off = snapshot(0, false, false, false, false);
    const PlayerState one = snapshot(1, true, true, true, true);
    const PlayerState all = snapshot(2, false, false, false, false);
    struct Case {
        int condition;
        bool off, one, all;
    } cases[] = {
        {0, false, false, false},  {1, true, true, true},   {2, true, false, false},   {3, false, true, false},
        {4, false, false, true},   {5, true, true, false},  {6, false, true, true},    {7, true, false, true},
        {8, false, true, false},   {9, true, false, true},  {10, false, true, false},  {11, true, false, true},
        {12, false, true, false},  {13, true, false, true}, {14, false, true, false},  {15, true, false, true},
        {16, false, false, false}, {17, true, true, true},  {18, false, false, false}, {-1, false, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.off, WiimoteRules::ledOn(c.condition, off)) << c.condition;
        EXPECT_EQ(c.one, WiimoteRules::ledOn(c.condition, one)) << c.condition;
        EXPECT_EQ(c.all, WiimoteRules::ledOn(c.condition, all)) << c.condition;
    }

    // The first LED is bit 3; the remote takes bit 3 as 0x10 ... bit 0 as 0x80.
    EXPECT_EQ(0x8, WiimoteRules::ledPattern({{8, 0, 0, 0}}, one));
    EXPECT_EQ(0x0, WiimoteRules::ledPattern({{8, 0, 0, 0}}, off));
    EXPECT_EQ(0x5, WiimoteRules::ledPattern({{0, 1, 0, 10}}, one));
    EXPECT_EQ(0x3, WiimoteRules::ledPattern({{4, 8, 1, 17}}, off));
    const std::uint8_t payloads[][2] = {{0x8, 0x10}, {0x4, 0x20}, {0x2, 0x40}, {0x1, 0x80}, {0xF, 0xF0}, {0x0, 0x00}};
    for (const auto& p : payloads) {
        const WiimoteRules::OutputReport report = WiimoteRules::ledReport(p[0]);
        EXPECT_EQ(0x11, report[0]);
        EXPECT_EQ(p[1], report[1]) << int(p[0]);
        for (std::size_t i = 2; i < report.size(); ++i)
            EXPECT_EQ(0, report[i]);
    }
    EXPECT_EQ(1, WiimoteRules::rumbleReport(true)[1]);
    EXPECT_EQ(0x13, WiimoteRules::rumbleReport(false)[0]);
    EXPECT_EQ(0x15, WiimoteRules::statusRequest()[0]);
}

TEST(WiimoteRules, EffectsShowTwelveFrames) {
    const std::vector<std::vector<int>> patterns = {
        {8, 4, 2, 1, 8, 4, 2, 1, 8, 4, 2, 1},       {8, 4, 2, 1, 8, 4, 2, 1, 8, 4, 2, 1},
        {15, 0, 15, 0, 15, 0, 15, 0, 15, 0, 15, 0}, {0, 6, 9, 0, 6, 9, 0, 6, 9, 0, 6, 9},
        {0, 8, 4, 2, 1, 2, 4, 8, 4, 2, 1, 0},       {0, 8, 12, 6, 3, 1, 8, 12, 6, 3, 1, 0},
    };
    for (int effect = 0; effect < 6; ++effect) {
        for (int step = 0; step < WiimoteRules::kEffectFrames; ++step) {
            const WiimoteRules::Frame frame = WiimoteRules::effectFrame(effect, step);
            EXPECT_EQ(patterns[effect][step], frame.pattern) << effect << "/" << step;
            // Only the greeting pulses the rumble: on at every fourth step, off two later.
            const WiimoteRules::Frame::Rumble rumble = effect != 0     ? WiimoteRules::Frame::kKeep
                                                       : step % 4 == 0 ? WiimoteRules::Frame::kOn
                                                       : step % 4 == 2 ? WiimoteRules::Frame::kOff
                                                                       : WiimoteRules::Frame::kKeep;
            EXPECT_EQ(rumble, frame.rumble) << effect << "/" << step;
        }
    }
    EXPECT_EQ(0, WiimoteRules::effectFrame(4, 12).pattern);
    EXPECT_EQ(0, WiimoteRules::effectFrame(9, 0).pattern);
    // A change of track picks 2 to 5 from the tick count's last 20 ms.
    const std::pair<std::uint32_t, int> picks[] = {{0, 2}, {4, 2}, {5, 3}, {14, 4}, {19, 5}, {20, 2}, {0xFFFFFFFF, 5}};
    for (const auto& p : picks)
        EXPECT_EQ(p.second, WiimoteRules::trackChangeEffect(p.first)) << p.first;
}

TEST(WiimoteHidCodec, OutputReportsTakeTheDeviceLength) {
    const WiimoteRules::OutputReport leds = WiimoteRules::ledReport(0x9);
    std::vector<std::uint8_t> out = WiimoteHidCodec::encodeOutput(leds.data(), leds.size(), 22);
    ASSERT_EQ(22u, out.size());
    EXPECT_EQ(0x11, out[0]);
    EXPECT_EQ(0x90, out[1]);
    // Only the report's own payload goes out, the rest is zero.
    const std::uint8_t noisy[] = {0x15, 0x00, 0xAA, 0xBB};
    out = WiimoteHidCodec::encodeOutput(noisy, sizeof(noisy), 22);
    ASSERT_EQ(22u, out.size());
    EXPECT_EQ(std::vector<std::uint8_t>(20, 0), std::vector<std::uint8_t>(out.begin() + 2, out.end()));

    const std::uint8_t unknown[] = {0x30, 0x01};
    EXPECT_TRUE(WiimoteHidCodec::encodeOutput(unknown, sizeof(unknown), 22).empty());
    EXPECT_TRUE(WiimoteHidCodec::encodeOutput(noisy, 0, 22).empty());
    const std::uint8_t write[22] = {0x16};
    EXPECT_TRUE(WiimoteHidCodec::encodeOutput(write, sizeof(write), 21).empty()) << "too long for the device";

    const std::vector<std::uint8_t> mode = WiimoteHidCodec::reportingMode(true, 22);
    ASSERT_EQ(22u, mode.size());
    EXPECT_EQ(0x12, mode[0]);
    EXPECT_EQ(0x01, mode[1]);
    EXPECT_EQ(0x30, mode[2]);

    EXPECT_TRUE(WiimoteHidCodec::isRemote(0x057E, 0x0306));
    EXPECT_TRUE(WiimoteHidCodec::isRemote(0x057E, 0x0330));
    EXPECT_FALSE(WiimoteHidCodec::isRemote(0x057E, 0x0337));
    EXPECT_FALSE(WiimoteHidCodec::isRemote(0x057F, 0x0306));
}

TEST(WiimoteHidCodec, InputReportsYieldTheCoreButtons) {
    struct Case {
        std::vector<std::uint8_t> bytes;
        WiimoteHidCodec::Input::Kind kind;
        std::uint16_t buttons;
    } cases[] = {
        {{0x30, 0x00, 0x08}, WiimoteHidCodec::Input::kButtons, 0x0008},
        {{0x31, 0x60, 0xE4, 0x80, 0x80, 0x80}, WiimoteHidCodec::Input::kButtons, 0x0084},  // accelerometer bits dropped
        {{0x20, 0x01, 0x00, 0x02, 0, 0, 0x60}, WiimoteHidCodec::Input::kStatus, 0x0100},
        {{0x22, 0x00, 0x04, 0x11, 0x00}, WiimoteHidCodec::Input::kButtons, 0x0004},
        {{0x3D, 0xFF, 0xFF}, WiimoteHidCodec::Input::kNone, 0},  // extension bytes only
        {{0x25, 0x00, 0x08}, WiimoteHidCodec::Input::kNone, 0},
        {{0x11, 0x00, 0x08}, WiimoteHidCodec::Input::kNone, 0},
        {{0x30, 0x00}, WiimoteHidCodec::Input::kNone, 0},  // cut short
    };
    for (const Case& c : cases) {
        const WiimoteHidCodec::Input in = WiimoteHidCodec::decodeInput(c.bytes.data(), c.bytes.size());
        EXPECT_EQ(c.kind, in.kind) << std::hex << int(c.bytes[0]);
        EXPECT_EQ(c.buttons, in.buttons) << std::hex << int(c.bytes[0]);
    }
}

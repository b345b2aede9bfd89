#include <gtest/gtest.h>

#include "app/CommandRequest.h"
#include "app/ControllerRules.h"
#include "config/Ini.h"

using namespace tavelapp;
using ControllerRules::SettingAction;

TEST(ControllerRules, ObservationRetry) {
    EXPECT_EQ(0u, ControllerRules::observationRetryMs(0));
    EXPECT_EQ(0u, ControllerRules::observationRetryMs(-5));
    EXPECT_EQ(3000u, ControllerRules::observationRetryMs(1));
    EXPECT_EQ(3000u, ControllerRules::observationRetryMs(2));
    EXPECT_EQ(3000u, ControllerRules::observationRetryMs(3));
    EXPECT_EQ(180000u, ControllerRules::observationRetryMs(180));
}

TEST(ControllerRules, TraySettingsOpenOptionsInAnyCase) {
    EXPECT_EQ(SettingAction::ShowOption, ControllerRules::resolveSettingAction(L"ShowOption", true).kind);
    EXPECT_EQ(SettingAction::ShowOption, ControllerRules::resolveSettingAction(L"SHOWOPTION", true).kind);
    // Start-up and end-up actions have no options shortcut: the name goes to the runner.
    SettingAction startup = ControllerRules::resolveSettingAction(L"ShowOption", false);
    EXPECT_EQ(SettingAction::Run, startup.kind);
    EXPECT_EQ(L"showoption", startup.name);

    SettingAction tray = ControllerRules::resolveSettingAction(L"ShowInterruptPlayOption", true);
    EXPECT_EQ(SettingAction::Run, tray.kind);
    EXPECT_EQ(L"showinterruptplayoption", tray.name);
}

TEST(ControllerRules, StartupDoNothingAndEmptyRunNothing) {
    EXPECT_EQ(SettingAction::Nothing, ControllerRules::resolveSettingAction(L"DoNothing", false).kind);
    EXPECT_EQ(SettingAction::Nothing, ControllerRules::resolveSettingAction(L"DONOTHING", false).kind);
    EXPECT_EQ(SettingAction::Nothing, ControllerRules::resolveSettingAction(L"", false).kind);
    // Only ASCII letters are folded.
    SettingAction wide = ControllerRules::resolveSettingAction(L"Ｐlay", false);
    EXPECT_EQ(L"Ｐlay", wide.name);
}

TEST(ControllerRules, SingleInstanceSwitch) {
    EXPECT_TRUE(ControllerRules::skipsSingleInstanceCheck(L"-f"));
    EXPECT_TRUE(ControllerRules::skipsSingleInstanceCheck(L"  -f   "));
    for (const wchar_t* other : {L"", L"   ", L"-F", L"/f", L"--f", L"-f x", L"\t-f", L"-f\t", L"\"-f\""}) {
        EXPECT_FALSE(ControllerRules::skipsSingleInstanceCheck(other)) << other;
    }
}

// The second start's command line: what is sent, what is a plain start, and
// what is refused before anything is sent (the receiver's limits, counted in
// UTF-16 units also where wchar_t is wider).
TEST(ControllerRules, CommandLineSwitches) {
    using P = CommandRequest::Parsed;
    using K = CommandRequest::Kind;
    const std::size_t limit = CommandRequest::kMaxTextUnits;
    const std::wstring pairs(limit / 2, L'\U0001F3B5');  // two units each
    std::vector<std::wstring> most(CommandRequest::kMaxParams + 2, L"x");
    most[0] = L"/action";
    std::vector<std::wstring> tooMany = most;
    tooMany.push_back(L"x");
    const struct {
        std::vector<std::wstring> args;
        P parsed;
        K kind;
        std::size_t params;
    } cases[] = {
        {{}, P::Start, K::Action, 0},
        {{L"words", L"/quit"}, P::Start, K::Action, 0},
        {{L"/?"}, P::Help, K::Action, 0},
        {{L"-HELP"}, P::Help, K::Action, 0},
        {{L"/Quit"}, P::Send, K::Quit, 0},
        {{L"-pair"}, P::Send, K::Pair, 0},
        {{L"/quit", L"now"}, P::BadUsage, K::Quit, 0},
        {{L"/action"}, P::BadUsage, K::Action, 0},
        {{L"/action", L""}, P::BadUsage, K::Action, 0},
        {{L"-ACTION", L"Volume", L"-5"}, P::Send, K::Action, 1},
        {{L"/action", L"Volume", L""}, P::Send, K::Action, 1},
        {{L"/f"}, P::BadUsage, K::Action, 0},
        {{L"--action", L"NextTrack"}, P::BadUsage, K::Action, 0},
        {{L"/"}, P::BadUsage, K::Action, 0},
        {most, P::Send, K::Action, CommandRequest::kMaxParams},
        {tooMany, P::BadUsage, K::Action, 0},
        {{L"/action", std::wstring(limit, L'a')}, P::Send, K::Action, 0},
        {{L"/action", std::wstring(limit + 1, L'a')}, P::BadUsage, K::Action, 0},
        {{L"/action", L"a", pairs}, P::Send, K::Action, 1},
        {{L"/action", L"a", pairs + L"b"}, P::BadUsage, K::Action, 0},
    };
    for (const auto& c : cases) {
        CommandRequest request;
        const std::wstring what = c.args.empty() ? L"(none)" : c.args[0] + L" ..." + std::to_wstring(c.args.size());
        ASSERT_EQ(c.parsed, CommandRequest::parse(c.args, request)) << std::string(what.begin(), what.end());
        if (c.parsed != P::Send) continue;
        EXPECT_EQ(c.kind, request.kind);
        EXPECT_EQ(c.params, request.params.size());
        // What is sent arrives the same.
        const std::vector<std::uint8_t> bytes = request.encode();
        CommandRequest back;
        ASSERT_TRUE(CommandRequest::decode(bytes.data(), bytes.size(), back));
        EXPECT_EQ(request.name, back.name);
        EXPECT_EQ(request.params, back.params);
    }
}

TEST(ControllerRules, DisplayTimeByKey) {
    Ini settings(L"\\nonexistent\\Option.ini");
    settings.notify.notifyTime = 12;
    settings.notify.notifyTimeOthers = 4;
    EXPECT_EQ(12, ControllerRules::displayTimeFor("track", settings));
    EXPECT_EQ(4, ControllerRules::displayTimeFor("Notify_Volume", settings));
    EXPECT_EQ(4, ControllerRules::displayTimeFor("", settings));
    EXPECT_EQ(4, ControllerRules::displayTimeFor("Track", settings));
}

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

// The second start refuses what the receiver would, before sending: limits in
// UTF-16 units also where wchar_t is wider, and what it sends arrives the same.
TEST(ControllerRules, CommandLineLimits) {
    using P = CommandRequest::Parsed;
    const std::wstring pairs(CommandRequest::kMaxTextUnits / 2, L'\U0001F3B5');  // two units each
    std::vector<std::wstring> args(CommandRequest::kMaxParams + 2, pairs);
    args[0] = L"-ACTION";
    CommandRequest sent, back;
    ASSERT_EQ(P::Send, CommandRequest::parse(args, sent));
    const std::vector<std::uint8_t> bytes = sent.encode();
    ASSERT_TRUE(CommandRequest::decode(bytes.data(), bytes.size(), back));
    EXPECT_EQ(sent.name, back.name);
    EXPECT_EQ(sent.params, back.params);
    args.back() += L"b";
    EXPECT_EQ(P::BadUsage, CommandRequest::parse(args, sent));
    args.back() = L"x";
    args.push_back(L"x");
    EXPECT_EQ(P::BadUsage, CommandRequest::parse(args, sent));
    EXPECT_EQ(P::BadUsage, CommandRequest::parse({L"/action", L""}, sent));
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

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "feature/ExitSystem.h"
#include "player/PlayerHost.h"
#include "win/mixer/MixerRules.h"

using namespace tavel::win::mixer;

TEST(SystemVolume, ParameterMovesOrSetsThePercentage) {
    struct Case {
        const wchar_t* parameter;
        double current;
        double percent;
        int direction;
    } cases[] = {
        {L"+10", 95, 100, 1},  {L"-10", 5, 0, -1}, {L"+10", 40.5, 50.5, 1}, {L"-3", 50, 47, -1},  {L"=30", 80, 30, 0},
        {L"=150", 80, 150, 0}, {L"=", 80, 0, 0},   {L"+12abc", 10, 22, 1},  {L"+abc", 10, 10, 0}, {L"*10", 60, 60, 0},
        {L"", 60, 60, 0},      {L"10", 60, 60, 0}, {L"+100", 100, 100, 1},  {L"-0", 7, 7, 0},
    };
    for (const Case& c : cases) {
        const VolumeRequest request = volumeRequest(c.parameter, c.current);
        EXPECT_DOUBLE_EQ(request.percent, c.percent) << std::string(c.parameter, c.parameter + wcslen(c.parameter));
        EXPECT_EQ(request.direction, c.direction);
    }
}

TEST(SystemVolume, ControlValueStaysInBoundsAndStepsShow) {
    struct Case {
        double fraction;
        std::uint32_t minimum, maximum, current;
        int direction;
        std::uint32_t value;
    } cases[] = {
        {0.95, 0, 65535, 0, 0, 62258}, {0.951, 0, 65535, 0, 0, 62324},
        {1.0, 0, 65535, 0, 0, 65535},  {0.0, 0, 65535, 100, 0, 0},
        {1.5, 0, 65535, 0, 0, 65535},  // "=150" stays within the control
        {-0.2, 0, 65535, 9, 0, 0},     {0.5, 100, 200, 0, 0, 150},
        {0.21, 0, 15, 3, 1, 4},  // a coarse control still moves by one unit
        {0.19, 0, 15, 3, -1, 2},       {1.0, 0, 15, 15, 1, 15},
        {0.0, 0, 15, 0, -1, 0},        {0.3, 5, 5, 5, 1, 5},
    };
    for (const Case& c : cases)
        EXPECT_EQ(controlValueFor(c.fraction, c.minimum, c.maximum, c.current, c.direction), c.value)
            << c.fraction << " of " << c.minimum << "-" << c.maximum;
}

TEST(SystemVolume, EveryWholePercentReadsBackAsWritten) {
    for (std::uint32_t maximum : {65535u, 255u, 100u}) {
        for (int percent = 0; percent <= 100; ++percent) {
            const std::uint32_t value = controlValueFor(percent / 100.0, 0, maximum, 0, 0);
            EXPECT_EQ(wholePercent(fractionOf(value, 0, maximum)), percent) << maximum;
            // A fine control that reads back a unit off still shows the same.
            if (maximum == 65535 && value > 0)
                EXPECT_EQ(wholePercent(fractionOf(value - 1, 0, maximum)), percent) << percent;
        }
    }
    // Ten steps up from the bottom and down again land on every tenth percent.
    std::uint32_t value = 0;
    for (int step = 1; step <= 10; ++step) {
        const VolumeRequest up = volumeRequest(L"+10", fractionOf(value, 0, 65535) * 100);
        value = controlValueFor(up.percent / 100, 0, 65535, value, up.direction);
        EXPECT_EQ(wholePercent(fractionOf(value, 0, 65535)), step * 10);
    }
    for (int step = 9; step >= 0; --step) {
        const VolumeRequest down = volumeRequest(L"-10", fractionOf(value, 0, 65535) * 100);
        value = controlValueFor(down.percent / 100, 0, 65535, value, down.direction);
        EXPECT_EQ(wholePercent(fractionOf(value, 0, 65535)), step * 10);
    }
}

TEST(SystemMute, OnlyExactOnAndOffSetTheMuteAnythingElseToggles) {
    struct Case {
        const wchar_t* parameter;
        bool current;
        bool mute;
    } cases[] = {
        {L"On", false, true},    {L"On", true, true},     {L"Off", true, false}, {L"Off", false, false},
        {L"OnOff", false, true}, {L"OnOff", true, false}, {L"on", true, false},  {L"OFF", false, true},
        {L"", true, false},      {L"On ", false, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(muteRequest(c.parameter, c.current), c.mute);
}

namespace {

using tavelapp::ExitSystem;

// A player whose window stays for a number of checks after it was asked to quit.
class QuittingPlayer : public tavelapp::itunes::PlayerHost {
public:
    QuittingPlayer(bool running, int checksToGo, std::vector<std::string>& log)
        : running_(running), checksToGo_(checksToGo), log_(log) {}
    std::unique_ptr<tavelapp::itunes::PlayerConnection> open() override { return nullptr; }
    bool isRunning() override {
        if (quitAsked_ && running_ && checksToGo_-- <= 0) running_ = false;
        return running_;
    }
    bool quit() override {
        log_.push_back("quit");
        quitAsked_ = true;
        return true;
    }
    bool isWindowVisible() override { return running_; }
    void activateWindow() override {}
    void minimizeWindow() override {}

private:
    bool running_;
    bool quitAsked_ = false;
    int checksToGo_;
    std::vector<std::string>& log_;
};

class RecordingPower : public tavelapp::PowerControl {
public:
    explicit RecordingPower(std::vector<std::string>& log) : log_(log) {}
    bool exitWindows(unsigned int flags) override {
        log_.push_back("exit " + std::to_string(flags));
        return true;
    }

private:
    std::vector<std::string>& log_;
};

}  // namespace

TEST(ExitSystem, QuitsThePlayerFirstThenExitsByMode) {
    struct Case {
        const wchar_t* mode;
        bool running;
        std::vector<std::string> log;
    } cases[] = {
        {L"PowerOff", true, {"quit", "exit 8"}},
        {L"Reboot", true, {"quit", "exit 2"}},
        {L"Logoff", true, {"quit", "exit 0"}},
        {L"Shutdown", true, {"quit", "exit 1"}},
        {L"Shutdown", false, {"exit 1"}},
        {L"shutdown", true, {"quit"}},
        {L"Sleep", true, {"quit"}},
        {L"", false, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> log;
        QuittingPlayer player(c.running, 2, log);
        RecordingPower power(log);
        int waits = 0;
        ExitSystem::exitNow(c.mode, player, power, [&] {
            log.push_back("wait");
            ++waits;
        });
        log.erase(std::remove(log.begin(), log.end(), "wait"), log.end());
        EXPECT_EQ(log, c.log);
        EXPECT_EQ(waits, c.running ? 2 : 0);
    }
}

TEST(ExitSystem, APlayerThatDoesNotQuitDelaysTheExitByAMinuteOnly) {
    std::vector<std::string> log;
    QuittingPlayer player(true, 1000, log);
    RecordingPower power(log);
    int waits = 0;
    ExitSystem::exitNow(L"Reboot", player, power, [&] { ++waits; });
    EXPECT_EQ(waits, ExitSystem::kPlayerQuitChecks);
    EXPECT_EQ(log, (std::vector<std::string>{"quit", "exit 2"}));
}

TEST(ExitSystem, CountdownIsTheLeadingDigits) {
    EXPECT_EQ(ExitSystem::countdownSeconds(L"30"), 30);
    EXPECT_EQ(ExitSystem::countdownSeconds(L"5s"), 5);
    EXPECT_EQ(ExitSystem::countdownSeconds(L"x5"), 0);
    EXPECT_EQ(ExitSystem::countdownSeconds(L" \t60"), 60);
    EXPECT_EQ(ExitSystem::countdownSeconds(L""), 0);
    EXPECT_EQ(ExitSystem::countdownSeconds(L"99999999999999"), 86400);
}

#include <gtest/gtest.h>

// The arming arithmetic runs against the C runtime's zone, set here through
// TZ; the Windows runtime takes its zone from the system instead, so on
// Windows the timers are tested by the Windows tests (and the zone probe).
#ifndef _WIN32

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "feature/ClockTimer.h"
#include "feature/CountdownTimer.h"
#include "feature/LocalTime.h"
#include "feature/Switch.h"

using namespace tavelapp;

namespace {

// Stands in for the window timer: remembers what was asked, fires when told.
class FakeAlarm : public Alarm {
public:
    void setListener(Listener* l) override { listener = l; }
    void start(unsigned int ms) override {
        armed = true;
        delays.push_back(ms);
    }
    void stop() override { armed = false; }
    void fire() {
        armed = false;
        listener->onAlarm();
    }
    Listener* listener = nullptr;
    bool armed = false;
    std::vector<unsigned int> delays;
};

// Sets the process's time zone for one test (POSIX rules, no zone files needed).
class ZoneScope {
public:
    explicit ZoneScope(const char* zone) {
        const char* old = std::getenv("TZ");
        had_ = old != nullptr;
        if (had_) old_ = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ZoneScope() {
        if (had_) {
            ::setenv("TZ", old_.c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }

private:
    bool had_ = false;
    std::string old_;
};

const char kBerlin[] = "CET-1CEST,M3.5.0,M10.5.0/3";

std::int64_t utc(int y, int mo, int d, int h, int mi, int s) {
    return daysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s;
}

struct Recorder : ClockTimer::ClockTimerListener, CountdownTimer::CountdownTimerListener {
    void onStateChanged(ClockTimer& t) override { seen.push_back(t.isRunning()); }
    void onStateChanged(CountdownTimer& t) override { seen.push_back(t.isRunning()); }
    std::vector<bool> seen;
};

class ClockTimerTest : public ::testing::Test {
protected:
    ClockTimerTest() : zone("UTC0"), settings(L"unused.ini") {
        auto fake = std::make_unique<FakeAlarm>();
        alarm = fake.get();
        timer = std::make_unique<ClockTimer>(
            settings, std::move(fake), [this] { return nowMs; }, [this](const std::wstring& a) { ran.push_back(a); });
        timer->addListener(&recorder);
    }
    // Lets the alarm fire until the timer has run or stopped waiting; a timer
    // that keeps waking without the clock moving on fails here.
    void runAlarmsUntil(std::int64_t untilMs) {
        for (int fired = 0; alarm->armed && nowMs < untilMs; ++fired) {
            if (fired == 10000) {
                ADD_FAILURE() << "the alarm still fires after " << fired << " wake-ups, at " << nowMs << " ms";
                return;
            }
            nowMs += alarm->delays.back();
            alarm->fire();
        }
    }

    ZoneScope zone;
    ClockTimerIni settings;
    FakeAlarm* alarm = nullptr;
    std::unique_ptr<ClockTimer> timer;
    std::int64_t nowMs = 0;
    std::vector<std::wstring> ran;
    Recorder recorder;
};

}  // namespace

TEST(LocalTimeTest, NormalisesFieldsOutOfRangeAcrossMonthsAndYears) {
    struct Case {
        LocalTime in;
        int y, mo, d, h, mi;
    } cases[] = {
        {{2026, 12, 31, 23, 60, 0}, 2027, 1, 1, 0, 0}, {{2026, 2, 28, 25, 0, 0}, 2026, 3, 1, 1, 0},
        {{2028, 2, 28, 24, 0, 0}, 2028, 2, 29, 0, 0},  {{2026, 13, 1, 0, 0, 0}, 2027, 1, 1, 0, 0},
        {{2026, 3, 1, 0, -1, 0}, 2026, 2, 28, 23, 59},
    };
    for (const Case& c : cases) {
        const LocalTime n = c.in.normalized();
        EXPECT_EQ(c.y, n.year);
        EXPECT_EQ(c.mo, n.month);
        EXPECT_EQ(c.d, n.day);
        EXPECT_EQ(c.h, n.hour);
        EXPECT_EQ(c.mi, n.minute);
    }
}

TEST(ClockTimerTarget, NextOccurrenceOfTheWallClockTime) {
    ZoneScope zone("UTC0");
    struct Case {
        std::int64_t now;
        int hour, minute;
        std::int64_t target;
    } cases[] = {
        // Passed by thirty seconds: tomorrow's 23:59:00.
        {utc(2026, 5, 10, 23, 59, 30), 23, 59, utc(2026, 5, 11, 23, 59, 0)},
        // Exactly the target second counts as passed.
        {utc(2026, 5, 10, 7, 0, 0), 7, 0, utc(2026, 5, 11, 7, 0, 0)},
        {utc(2026, 5, 10, 6, 59, 59), 7, 0, utc(2026, 5, 10, 7, 0, 0)},
        // Month and year ends.
        {utc(2026, 12, 31, 12, 0, 0), 0, 0, utc(2027, 1, 1, 0, 0, 0)},
        // Out-of-range values are carried over: 24:30 is half past midnight.
        {utc(2026, 5, 10, 12, 0, 0), 24, 30, utc(2026, 5, 11, 0, 30, 0)},
        // However far out (a hand-edited file), the next such time of day.
        {utc(2026, 5, 10, 12, 0, 0), -100, 0, utc(2026, 5, 10, 20, 0, 0)},
        {utc(2026, 5, 10, 12, 0, 0), 0, -1, utc(2026, 5, 10, 23, 59, 0)},
        {utc(2026, 5, 10, 12, 0, 0), 2147483647, 2147483647, utc(2026, 5, 11, 9, 7, 0)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.target, ClockTimer::nextTarget(c.now, c.hour, c.minute)) << c.hour << ":" << c.minute;
}

TEST(ClockTimerTarget, DaylightSavingChangeKeepsTheWallClockTime) {
    ZoneScope zone(kBerlin);
    struct Case {
        std::int64_t now;
        int hour, minute;
        std::int64_t target;
    } cases[] = {
        // Armed on Saturday evening (winter time), clocks go forward at night:
        // 07:00 summer time is 05:00 UTC, not 06:00.
        {utc(2026, 3, 28, 22, 0, 0), 7, 0, utc(2026, 3, 29, 5, 0, 0)},
        // Armed before the change on the same day.
        {utc(2026, 3, 29, 0, 30, 0), 7, 0, utc(2026, 3, 29, 5, 0, 0)},
        // Clocks go back: 07:00 winter time is 06:00 UTC.
        {utc(2026, 10, 24, 21, 0, 0), 7, 0, utc(2026, 10, 25, 6, 0, 0)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.target, ClockTimer::nextTarget(c.now, c.hour, c.minute));
}

TEST_F(ClockTimerTest, FiresAtTheTargetSecondThroughShortWaits) {
    settings.hour = 23;
    settings.minute = 59;
    settings.action = L"Stop";
    nowMs = utc(2026, 5, 10, 23, 59, 30) * 1000 + 250;
    timer->start();
    ASSERT_TRUE(timer->isRunning());
    EXPECT_EQ(utc(2026, 5, 11, 23, 59, 0), timer->target());
    EXPECT_EQ(ClockTimer::kLongestWaitMs, alarm->delays.back());

    runAlarmsUntil(timer->target() * 1000 + 120000);
    EXPECT_EQ(std::vector<std::wstring>{L"Stop"}, ran);
    EXPECT_EQ(timer->target() * 1000, nowMs) << "the last wait ends on the target";
    EXPECT_FALSE(timer->isRunning());
    EXPECT_EQ((std::vector<bool>{true, false}), recorder.seen);
}

TEST_F(ClockTimerTest, AlwaysEnabledGoesOffAndOnForTheNextDay) {
    settings.alwaysEnabled = true;
    settings.hour = 7;
    nowMs = utc(2026, 5, 10, 6, 59, 59) * 1000;
    timer->start();
    runAlarmsUntil(utc(2026, 5, 10, 7, 0, 1) * 1000);
    EXPECT_EQ(1u, ran.size());
    EXPECT_TRUE(timer->isRunning());
    EXPECT_EQ(utc(2026, 5, 11, 7, 0, 0), timer->target());
    EXPECT_EQ((std::vector<bool>{true, false, true}), recorder.seen);
}

TEST_F(ClockTimerTest, ClockThatJumpsIsReadAgain) {
    settings.hour = 7;
    nowMs = utc(2026, 5, 10, 23, 0, 0) * 1000;
    timer->start();
    // The computer slept through the morning: it runs on waking, not 45 minutes later.
    nowMs = utc(2026, 5, 11, 7, 45, 0) * 1000 - 1;
    ASSERT_TRUE(alarm->armed);
    alarm->listener->onClockChanged();
    EXPECT_EQ(1u, ran.size());
    EXPECT_FALSE(timer->isRunning());

    // Without any message the next short wait notices the jump.
    timer->start();
    nowMs += 86400 * 1000LL;
    alarm->fire();
    EXPECT_EQ(2u, ran.size());

    // Set back, the target stays the wall-clock time.
    nowMs = utc(2026, 5, 13, 6, 0, 0) * 1000;
    timer->start();
    const std::int64_t target = timer->target();
    nowMs -= 3600 * 1000;
    alarm->listener->onClockChanged();
    EXPECT_EQ(target, timer->target());
    EXPECT_EQ(2u, ran.size());
    EXPECT_TRUE(timer->isRunning());
}

TEST_F(ClockTimerTest, ClockChangeWhileOffDoesNothing) {
    nowMs = utc(2026, 5, 10, 6, 0, 0) * 1000;
    alarm->listener->onClockChanged();
    EXPECT_FALSE(alarm->armed);
    EXPECT_TRUE(ran.empty());
}

TEST_F(ClockTimerTest, SwitchParameters) {
    nowMs = utc(2026, 5, 10, 6, 0, 0) * 1000;
    // "OnOff" twice leaves it as it was.
    applySwitch(*timer, parseSwitch(L"OnOff"));
    applySwitch(*timer, parseSwitch(L"OnOff"));
    EXPECT_FALSE(timer->isRunning());
    EXPECT_EQ((std::vector<bool>{true, false}), recorder.seen);

    // "On" on a running timer neither re-arms nor tells anyone.
    applySwitch(*timer, parseSwitch(L"On"));
    const std::size_t arms = alarm->delays.size();
    const std::int64_t target = timer->target();
    nowMs += 5000;
    applySwitch(*timer, parseSwitch(L"On"));
    EXPECT_EQ(arms, alarm->delays.size());
    EXPECT_EQ(target, timer->target());

    // Exact and case-sensitive; anything else does nothing.
    for (const wchar_t* other : {L"on", L"OFF", L"", L"Toggle", L"On "}) {
        EXPECT_EQ(Switch::None, parseSwitch(other));
        applySwitch(*timer, parseSwitch(other));
        EXPECT_TRUE(timer->isRunning());
    }
    applySwitch(*timer, parseSwitch(L"Off"));
    EXPECT_FALSE(timer->isRunning());
    applySwitch(*timer, parseSwitch(L"Off"));
    EXPECT_EQ((std::vector<bool>{true, false, true, false}), recorder.seen);
}

namespace {

class CountdownTimerTest : public ::testing::Test {
protected:
    CountdownTimerTest() : settings(L"unused.ini") {
        auto fake = std::make_unique<FakeAlarm>();
        alarm = fake.get();
        timer = std::make_unique<CountdownTimer>(
            settings, std::move(fake), [this] { return tick; }, [this](const std::wstring& a) { ran.push_back(a); });
        timer->addListener(&recorder);
    }
    CountdownTimerIni settings;
    FakeAlarm* alarm = nullptr;
    std::unique_ptr<CountdownTimer> timer;
    std::uint32_t tick = 0xFFFFF000u;  // wraps during the count
    std::vector<std::wstring> ran;
    Recorder recorder;
};

}  // namespace

TEST_F(CountdownTimerTest, RunsOnceAndStaysOnUntilStopped) {
    settings.minute = 3;
    settings.action = L"Stop";
    timer->start();
    EXPECT_EQ(180000u, alarm->delays.back());
    EXPECT_EQ(0, timer->progress());
    tick += 90000;
    EXPECT_EQ(CountdownTimer::kProgressRange / 2, timer->progress());
    tick += 90000;
    alarm->fire();
    EXPECT_EQ(std::vector<std::wstring>{L"Stop"}, ran);
    EXPECT_TRUE(timer->isRunning());
    EXPECT_TRUE(timer->isFinished());
    tick += 60000;
    EXPECT_EQ(CountdownTimer::kProgressRange, timer->progress()) << "never beyond the end";
    timer->stop();
    EXPECT_EQ(0, timer->progress());
    EXPECT_EQ((std::vector<bool>{true, false}), recorder.seen);
}

TEST_F(CountdownTimerTest, StartingAgainCountsFromZero) {
    settings.minute = 1;
    timer->start();
    tick += 40000;
    timer->start();
    EXPECT_EQ(tick, timer->startTick());
    EXPECT_FALSE(timer->isFinished());
    EXPECT_EQ((std::vector<bool>{true, false, true}), recorder.seen);
    // A shortened minute for tests counts the same way.
    timer->setMillisecondsPerMinute(200);
    timer->start();
    EXPECT_EQ(200u, alarm->delays.back());
}

TEST_F(CountdownTimerTest, ZeroMinutesFiresAtOnceAndShowsFull) {
    timer->start();
    EXPECT_EQ(0u, alarm->delays.back());
    EXPECT_EQ(0, timer->progress());
    alarm->fire();
    EXPECT_EQ(1u, ran.size());
    EXPECT_EQ(CountdownTimer::kProgressRange, timer->progress());
    settings.minute = -5;
    timer->start();
    EXPECT_EQ(0u, alarm->delays.back());
}

#endif  // _WIN32

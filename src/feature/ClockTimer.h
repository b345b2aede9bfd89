#pragma once
#include <cstdint>
#include <functional>
#include <memory>

#include "feature/AlarmTimer.h"
#include "feature/ClockTimerIni.h"

namespace tavelapp {

// Runs the configured action at a wall-clock time, once or every day.
class ClockTimer : public AlarmTimer<ClockTimer, ClockTimerIni> {
public:
    using ClockTimerListener = StateListener;
    // Milliseconds since 1970 (UTC).
    using Clock = std::function<std::int64_t()>;

    static ClockTimer& instance();
    ClockTimer(ClockTimerIni& settings, std::unique_ptr<Alarm> alarm, Clock clock, Runner runner);

    void start();
    void stop();
    // Seconds since 1970 (UTC) of the next run; meaningful while running.
    std::int64_t target() const { return target_; }

    // The next moment, after `now`, at which the local clock shows hour:minute:00.
    // The next day is counted in calendar days, so a change of daylight saving
    // time in between does not shift the wall-clock time.
    static std::int64_t nextTarget(std::int64_t nowSeconds, int hour, int minute);
    // The longest single wait: a clock that jumps without telling us (a sleep
    // the system did not announce) makes the timer at most this late.
    static constexpr unsigned int kLongestWaitMs = 60000;
    static std::int64_t systemClock();

private:
    void onAlarm() override;
    void onClockChanged() override;
    void arm();
    void fire();

    Clock clock_;
    std::int64_t target_ = 0;
};

}  // namespace tavelapp

#include "feature/ClockTimer.h"

#include <algorithm>
#include <chrono>

#include "action/ActionRunner.h"
#include "feature/LocalTime.h"
#include "win/util/MainThread.h"

namespace tavelapp {

using tavel::win::util::MainThread;

ClockTimer& ClockTimer::instance() {
    static ClockTimer timer(ClockTimerIni::instance(), Alarm::create(), &ClockTimer::systemClock,
                            [](const std::wstring& action) { ActionRunner::instance().runByName(action, true); });
    return timer;
}

std::int64_t ClockTimer::systemClock() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

ClockTimer::ClockTimer(ClockTimerIni& settings, std::unique_ptr<Alarm> alarm, Clock clock, Runner runner)
    : AlarmTimer(settings, std::move(alarm), std::move(runner)), clock_(std::move(clock)) {}

std::int64_t ClockTimer::nextTarget(std::int64_t nowSeconds, int hour, int minute) {
    // Out-of-range values name the time of day the local-time conversion
    // would carry them over to (24:30 is half past midnight); taken as they
    // are, a hand-edited -100 or a huge value lies days away or in the past,
    // and an always-on timer would fire on every tick.
    const std::int64_t minutesPerDay = 24 * 60;
    std::int64_t ofDay = (static_cast<std::int64_t>(hour) * 60 + minute) % minutesPerDay;
    if (ofDay < 0) ofDay += minutesPerDay;
    const LocalTime now = LocalTime::fromUtc(nowSeconds);
    LocalTime wanted = now;
    wanted.hour = static_cast<int>(ofDay / 60);
    wanted.minute = static_cast<int>(ofDay % 60);
    wanted.second = 0;
    std::int64_t target = LocalTime::toUtc(wanted);
    // At or after today's moment it is the next day's; a repeated hour when
    // the clocks go back may need one more day.
    for (int days = 1; target <= nowSeconds && days <= 3; ++days) {
        LocalTime next = wanted;
        next.day += days;
        target = LocalTime::toUtc(next);
    }
    // Never a past target, whatever the time zone's rules did.
    return target > nowSeconds ? target : nowSeconds + 24 * 60 * 60;
}

void ClockTimer::start() {
    MainThread::check("ClockTimer::start");
    target_ = nextTarget(clock_() / 1000, settings_.hour, settings_.minute);
    arm();
    setRunning(true);
}

void ClockTimer::stop() {
    MainThread::check("ClockTimer::stop");
    alarm_->stop();
    setRunning(false);
}

void ClockTimer::arm() {
    // Measured against the wall clock at every wake-up, never as one long
    // interval: a sleeping computer or a changed clock would make that late.
    const std::int64_t remaining = target_ * 1000 - clock_();
    alarm_->start(
        static_cast<unsigned int>(std::max<std::int64_t>(0, std::min<std::int64_t>(remaining, kLongestWaitMs))));
}

void ClockTimer::onAlarm() {
    if (!running_) return;
    if (clock_() < target_ * 1000) {
        arm();
        return;
    }
    fire();
}

void ClockTimer::onClockChanged() {
    if (!running_) return;
    // A time that passed while the clock jumped (or the computer slept) is
    // run now; otherwise the wall-clock time is found again, the time zone
    // may be a new one.
    if (clock_() >= target_ * 1000) {
        fire();
        return;
    }
    target_ = nextTarget(clock_() / 1000, settings_.hour, settings_.minute);
    arm();
}

void ClockTimer::fire() {
    runner_(settings_.action);
    alarm_->stop();
    setRunning(false);
    if (settings_.alwaysEnabled) start();
}

}  // namespace tavelapp

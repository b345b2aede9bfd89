#include "feature/CountdownTimer.h"

#include <algorithm>

#include "action/ActionRunner.h"
#include "win/util/MainThread.h"
#include "win/util/System.h"

namespace tavelapp {

using tavel::win::util::MainThread;

namespace {
// The window timer's longest interval.
const std::int64_t kLongestInterval = 0x7FFFFFFF;
}  // namespace

CountdownTimer& CountdownTimer::instance() {
    static CountdownTimer timer(CountdownTimerIni::instance(), Alarm::create(), &tavel::win::util::tickCount,
                                [](const std::wstring& action) { ActionRunner::instance().runByName(action, true); });
    return timer;
}

CountdownTimer::CountdownTimer(CountdownTimerIni& settings, std::unique_ptr<Alarm> alarm, TickClock ticks,
                               Runner runner)
    : AlarmTimer(settings, std::move(alarm), std::move(runner)), ticks_(std::move(ticks)) {}

void CountdownTimer::start() {
    MainThread::check("CountdownTimer::start");
    alarm_->stop();
    setRunning(false);
    startTick_ = ticks_();
    finished_ = false;
    const std::int64_t length = static_cast<std::int64_t>(std::max(0, settings_.minute)) * msPerMinute_;
    alarm_->start(static_cast<unsigned int>(std::min(length, kLongestInterval)));
    setRunning(true);
}

void CountdownTimer::stop() {
    MainThread::check("CountdownTimer::stop");
    alarm_->stop();
    setRunning(false);
}

void CountdownTimer::onAlarm() {
    if (!running_ || finished_) return;
    finished_ = true;
    runner_(settings_.action);
    alarm_->stop();
}

int CountdownTimer::progress() const {
    if (!running_) return 0;
    const std::int64_t total = static_cast<std::int64_t>(settings_.minute) * msPerMinute_;
    // Nothing to count down: the bar is full once the action ran.
    if (total <= 0) return finished_ ? kProgressRange : 0;
    const std::int64_t elapsed = static_cast<std::uint32_t>(ticks_() - startTick_);
    return static_cast<int>(std::min(total, elapsed) * kProgressRange / total);
}

}  // namespace tavelapp

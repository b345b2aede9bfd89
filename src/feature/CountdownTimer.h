#pragma once
#include <cstdint>
#include <functional>
#include <memory>

#include "feature/AlarmTimer.h"
#include "feature/CountdownTimerIni.h"

namespace tavelapp {

// Runs the configured action when the set number of minutes has passed since
// it was started. It stays on (and finished) until someone stops it.
class CountdownTimer : public AlarmTimer<CountdownTimer, CountdownTimerIni> {
public:
    using CountdownTimerListener = StateListener;
    // Milliseconds from a steady counter (GetTickCount).
    using TickClock = std::function<std::uint32_t()>;

    static CountdownTimer& instance();
    CountdownTimer(CountdownTimerIni& settings, std::unique_ptr<Alarm> alarm, TickClock ticks, Runner runner);

    // Restarts the count from zero when it runs already.
    void start();
    void stop();
    bool isFinished() const { return finished_; }
    std::uint32_t startTick() const { return startTick_; }

    // The progress bar's position, 0 to kProgressRange.
    static constexpr int kProgressRange = 32767;
    int progress() const;

    // Tests shorten a minute instead of waiting one.
    void setMillisecondsPerMinute(std::uint32_t ms) { msPerMinute_ = ms; }
    std::uint32_t millisecondsPerMinute() const { return msPerMinute_; }

private:
    void onAlarm() override;
    void onClockChanged() override {}

    TickClock ticks_;
    bool finished_ = false;
    std::uint32_t startTick_ = 0;
    std::uint32_t msPerMinute_ = 60000;
};

}  // namespace tavelapp

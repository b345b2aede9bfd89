#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "feature/Alarm.h"
#include "feature/ListenerList.h"
#include "feature/ClockTimerIni.h"

namespace tavelapp {

// Runs the configured action at a wall-clock time, once or every day. Started
// and stopped on the main thread; whether it runs may be asked anywhere.
class ClockTimer : private Alarm::Listener {
public:
    class ClockTimerListener {
    public:
        virtual void onStateChanged(ClockTimer& timer) = 0;

    protected:
        ~ClockTimerListener() = default;
    };

    // Milliseconds since 1970 (UTC).
    using Clock = std::function<std::int64_t()>;
    using Runner = std::function<void(const std::wstring& action)>;

    static ClockTimer& instance();
    ClockTimer(ClockTimerIni& settings, std::unique_ptr<Alarm> alarm, Clock clock, Runner runner);
    ~ClockTimer();
    ClockTimer(const ClockTimer&) = delete;
    ClockTimer& operator=(const ClockTimer&) = delete;

    void start();
    void stop();
    bool isRunning() const { return running_; }
    // Seconds since 1970 (UTC) of the next run; meaningful while running.
    std::int64_t target() const { return target_; }

    void addListener(ClockTimerListener* listener);
    void removeListener(ClockTimerListener* listener);

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
    void setRunning(bool running);

    ClockTimerIni& settings_;
    std::unique_ptr<Alarm> alarm_;
    Clock clock_;
    Runner runner_;
    std::atomic<bool> running_{false};
    std::int64_t target_ = 0;
    ListenerList<ClockTimerListener> listeners_;
};

}  // namespace tavelapp

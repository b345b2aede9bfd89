#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "feature/Alarm.h"
#include "feature/ListenerList.h"
#include "feature/CountdownTimerIni.h"

namespace tavelapp {

// Runs the configured action when the set number of minutes has passed since
// it was started. It stays on (and finished) until someone stops it. Started
// and stopped on the main thread; whether it runs may be asked anywhere.
class CountdownTimer : private Alarm::Listener {
public:
    class CountdownTimerListener {
    public:
        virtual void onStateChanged(CountdownTimer& timer) = 0;

    protected:
        ~CountdownTimerListener() = default;
    };

    // Milliseconds from a steady counter (GetTickCount).
    using TickClock = std::function<std::uint32_t()>;
    using Runner = std::function<void(const std::wstring& action)>;

    static CountdownTimer& instance();
    CountdownTimer(CountdownTimerIni& settings, std::unique_ptr<Alarm> alarm, TickClock ticks, Runner runner);
    ~CountdownTimer();
    CountdownTimer(const CountdownTimer&) = delete;
    CountdownTimer& operator=(const CountdownTimer&) = delete;

    // Restarts the count from zero when it runs already.
    void start();
    void stop();
    bool isRunning() const { return running_; }
    bool isFinished() const { return finished_; }
    std::uint32_t startTick() const { return startTick_; }

    // The progress bar's position, 0 to kProgressRange.
    static constexpr int kProgressRange = 32767;
    int progress() const;

    void addListener(CountdownTimerListener* listener);
    void removeListener(CountdownTimerListener* listener);

    // Tests shorten a minute instead of waiting one.
    void setMillisecondsPerMinute(std::uint32_t ms) { msPerMinute_ = ms; }
    std::uint32_t millisecondsPerMinute() const { return msPerMinute_; }

private:
    void onAlarm() override;
    void onClockChanged() override {}
    void setRunning(bool running);

    CountdownTimerIni& settings_;
    std::unique_ptr<Alarm> alarm_;
    TickClock ticks_;
    Runner runner_;
    std::atomic<bool> running_{false};
    bool finished_ = false;
    std::uint32_t startTick_ = 0;
    std::uint32_t msPerMinute_ = 60000;
    ListenerList<CountdownTimerListener> listeners_;
};

}  // namespace tavelapp

#pragma once
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "feature/Alarm.h"
#include "feature/ListenerList.h"

namespace tavelapp {

// What the clock and the countdown timer share: their settings, the alarm that
// wakes them, the action they run, whether they run, and who listens. Started
// and stopped on the main thread; whether one runs may be asked anywhere.
template <class Timer, class Settings>
class AlarmTimer : private Alarm::Listener {
public:
    class StateListener {
    public:
        virtual void onStateChanged(Timer& timer) = 0;

    protected:
        ~StateListener() = default;
    };
    using Runner = std::function<void(const std::wstring& action)>;

    AlarmTimer(const AlarmTimer&) = delete;
    AlarmTimer& operator=(const AlarmTimer&) = delete;

    bool isRunning() const { return running_; }
    void addListener(StateListener* listener) { listeners_.add(listener); }
    void removeListener(StateListener* listener) { listeners_.remove(listener); }

protected:
    AlarmTimer(Settings& settings, std::unique_ptr<Alarm> alarm, Runner runner)
        : settings_(settings), alarm_(std::move(alarm)), runner_(std::move(runner)) {
        alarm_->setListener(this);
    }
    ~AlarmTimer() { alarm_->setListener(nullptr); }

    void setRunning(bool running) {
        if (running_.exchange(running) == running) return;
        listeners_.tell(static_cast<Timer&>(*this));
    }

    Settings& settings_;
    std::unique_ptr<Alarm> alarm_;
    Runner runner_;
    std::atomic<bool> running_{false};

private:
    ListenerList<StateListener> listeners_;
};

}  // namespace tavelapp

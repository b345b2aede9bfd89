#pragma once
#include <string>

namespace tavelapp {

// The parameter of the "ClockTimer", "CountdownTimer" and "EventAction"
// actions, compared exactly.
enum class Switch { On, Off, Toggle, None };

Switch parseSwitch(const std::wstring& parameter);

// Applies the switch to something with isRunning/start/stop: "On" starts only
// what is stopped, "Off" stops only what runs.
template <class T>
void applySwitch(T& target, Switch s) {
    const bool running = target.isRunning();
    if ((s == Switch::On || s == Switch::Toggle) && !running) {
        target.start();
    } else if ((s == Switch::Off || s == Switch::Toggle) && running) {
        target.stop();
    }
}

}  // namespace tavelapp

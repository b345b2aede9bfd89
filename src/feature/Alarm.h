#pragma once
#include <memory>

namespace tavelapp {

// A one-shot wake-up on the main thread for the timers; it also reports that
// the wall clock may have jumped (time set, time zone changed, the computer
// resumed from sleep), when waits computed earlier are no longer right.
class Alarm {
public:
    class Listener {
    public:
        virtual void onAlarm() = 0;
        virtual void onClockChanged() = 0;

    protected:
        ~Listener() = default;
    };

    virtual ~Alarm() = default;
    virtual void setListener(Listener* listener) = 0;
    // Fires onAlarm once after ms; a new start replaces the pending one.
    virtual void start(unsigned int ms) = 0;
    virtual void stop() = 0;

    // The window timer's alarm (a recorder without windows off Windows).
    static std::unique_ptr<Alarm> create();
};

}  // namespace tavelapp

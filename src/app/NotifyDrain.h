#pragma once

#include "win/timer/Timer.h"

namespace tavelapp {

// When queued notifications are shown; main thread only. The first request
// after a quiet moment is shown at once; the requests of the gather window
// after it are shown together at its end, and the window stays open while
// requests keep coming. New requests never push the window back, so a
// steady stream (a held volume key) still drains once per window.
class NotifyDrain : public tavel::win::timer::Timer::Listener {
public:
    static constexpr unsigned int kGatherMs = 200;

    NotifyDrain();
    ~NotifyDrain();
    NotifyDrain(const NotifyDrain&) = delete;
    NotifyDrain& operator=(const NotifyDrain&) = delete;

    // The queue was armed.
    void armed();
    void onTimer(tavel::win::timer::Timer& timer) override;

private:
    void drainAndOpen();

    tavel::win::timer::Timer timer_;
    bool windowOpen_ = false;
};

}  // namespace tavelapp

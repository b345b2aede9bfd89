#pragma once

#include "win/timer/Timer.h"

namespace tavelapp {

// When queued notifications are shown: the first request after a drain arms
// a timer, later ones join it and never push it back, so the requests of a
// short moment are shown together and a steady stream still drains.
class NotifyDrain : public tavel::win::timer::Timer::Listener {
public:
    static constexpr unsigned int kGatherMs = 200;

    // Made on the main thread at the first call; never destroyed.
    static NotifyDrain& instance();
    // The queue was armed; any thread.
    static void arm();
    // How many drains ran (for tests).
    unsigned long drains() const { return drains_; }

    void onTimer(tavel::win::timer::Timer& timer) override;

private:
    NotifyDrain();
    tavel::win::timer::Timer timer_;
    unsigned long drains_ = 0;
};

}  // namespace tavelapp

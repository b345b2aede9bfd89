#include <memory>

#include "base/RunningThreads.h"
#include "notify/ChangeDetector.h"
#include "notify/NotifyThreads.h"
#include "win/timer/Timer.h"
#include "win/util/MainThread.h"

namespace tavelapp {
namespace {

// Gathers detection requests on the main thread. The first after a quiet
// moment captures at once; requests that come while that capture runs or
// within the gather window after it ride along into one more capture at the
// window's end. A held key thus still shows changes as they come, with no
// more captures than one per window.
class Gatherer : public tavel::win::timer::Timer::Listener {
public:
    Gatherer() { timer_.setListener(this); }
    void request() {
        if (windowOpen_) {
            pending_ = true;
            return;
        }
        detectNow();
    }

private:
    void detectNow() {
        pending_ = false;
        // A refused timer leaves the window shut: each request captures, and
        // one that finds another waiting to capture is dropped as served.
        windowOpen_ = timer_.start(ChangeDetector::kGatherMs);
        runningThreads().start(std::make_shared<NotifyChangesThread>());
    }
    void onTimer(tavel::win::timer::Timer& timer) override {
        timer.stop();
        windowOpen_ = false;
        if (pending_) detectNow();
    }

    tavel::win::timer::Timer timer_;
    bool windowOpen_ = false;
    bool pending_ = false;
};

}  // namespace

void ChangeDetector::requestSoon() {
    static_cast<void>(tavel::win::util::MainThread::run([] {
        // Made on the main thread, whose window timers it uses; kept to the end.
        static Gatherer* gatherer = new Gatherer;
        gatherer->request();
    }));
}

}  // namespace tavelapp

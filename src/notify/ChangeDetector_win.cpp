#include <memory>

#include "base/RunningThreads.h"
#include "notify/ChangeDetector.h"
#include "notify/NotifyThreads.h"
#include "win/timer/Timer.h"
#include "win/util/MainThread.h"

namespace tavelapp {
namespace {

// Gathers detection requests on the main thread. After a quiet moment the
// first request captures at once and opens a window; requests within it ride
// along into one more capture at its end, which opens the next window. So a
// lone key or player event shows at once, and a held key still captures once
// per window, as its changes come.
class Gatherer : public tavel::win::timer::Timer::Listener {
public:
    Gatherer() { timer_.setListener(this); }
    void request() {
        if (open_) {
            waiting_ = true;
            return;
        }
        capture();
    }

private:
    void capture() {
        waiting_ = false;
        open_ = timer_.start(ChangeDetector::kGatherMs);
        runningThreads().start(std::make_shared<NotifyChangesThread>());
    }
    void onTimer(tavel::win::timer::Timer& timer) override {
        timer.stop();
        open_ = false;
        if (waiting_) capture();
    }

    tavel::win::timer::Timer timer_;
    bool open_ = false;
    bool waiting_ = false;
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

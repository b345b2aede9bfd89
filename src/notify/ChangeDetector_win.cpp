#include <memory>

#include "base/RunningThreads.h"
#include "notify/ChangeDetector.h"
#include "notify/NotifyThreads.h"
#include "win/timer/Timer.h"
#include "win/util/MainThread.h"

namespace tavelapp {
namespace {

// Gathers detection requests on the main thread: the first arms the timer,
// later ones until it fires ride along, and one detection serves them all.
// The timer never moves, so holding a key down still shows changes as they come.
class Gatherer : public tavel::win::timer::Timer::Listener {
public:
    Gatherer() { timer_.setListener(this); }
    void request() {
        if (armed_) return;
        armed_ = true;
        if (!timer_.start(ChangeDetector::kGatherMs)) armed_ = false;
    }

private:
    void onTimer(tavel::win::timer::Timer& timer) override {
        timer.stop();
        armed_ = false;
        runningThreads().start(std::make_shared<NotifyChangesThread>());
    }

    tavel::win::timer::Timer timer_;
    bool armed_ = false;
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

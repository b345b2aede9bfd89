#include "app/NotifyDrain.h"

#include "base/Util.h"
#include "win/util/MainThread.h"

namespace tavelapp {

NotifyDrain& NotifyDrain::instance() {
    static NotifyDrain* drain = new NotifyDrain();
    return *drain;
}

NotifyDrain::NotifyDrain() { timer_.setListener(this); }

void NotifyDrain::arm() {
    // A refused timer must not strand the queue: drain as soon as possible.
    if (!instance().timer_.start(kGatherMs)) {
        static_cast<void>(tavel::win::util::MainThread::post([] { Util::drainNotifications(); }));
    }
}

void NotifyDrain::onTimer(tavel::win::timer::Timer& timer) {
    timer.stop();
    ++drains_;
    Util::drainNotifications();
}

}  // namespace tavelapp

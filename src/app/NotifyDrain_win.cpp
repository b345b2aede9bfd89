#include "app/NotifyDrain.h"

#include "base/NotifyQueue.h"
#include "base/Util.h"

namespace tavelapp {

NotifyDrain::NotifyDrain() { timer_.setListener(this); }

NotifyDrain::~NotifyDrain() { timer_.setListener(nullptr); }

void NotifyDrain::armed() {
    // Within the window the request waits for its end.
    if (!windowOpen_) drainAndOpen();
}

void NotifyDrain::drainAndOpen() {
    // A refused timer leaves the window shut: every request is shown at once.
    windowOpen_ = timer_.start(kGatherMs);
    Util::drainNotifications();
}

void NotifyDrain::onTimer(tavel::win::timer::Timer& timer) {
    timer.stop();
    windowOpen_ = false;
    if (NotifyQueue::instance().size() > 0) drainAndOpen();
}

}  // namespace tavelapp

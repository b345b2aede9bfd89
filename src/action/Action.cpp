#include "action/Action.h"

#include "action/ActionRunner.h"
#include "base/ActionQueue.h"
#include "config/Ini.h"
#include "win/util/Com.h"
#include "win/util/CallbackGuard.h"

namespace tavelapp {
namespace action {
namespace {

const std::wstring emptyParam;

}  // namespace

const std::wstring& Action::param(std::size_t i) const { return i < params_.size() ? params_[i] : emptyParam; }

ActionQueue& Action::queue() {
    // Read on the starting thread (the main thread), once.
    if (Ini::instance().detail.ignoreWaitingAction || !takesActionLock()) return ActionQueue::sideBySide();
    return ActionQueue::actions();
}

void ITunesAction::begin() {
    // Whatever fails here, the queue's turn passes on when the job returns.
    com_ = std::make_unique<tavel::win::util::ComApartment>();
}

void ITunesAction::end() {
    if (notify_ == 1) {
        // Gathered with the player's events about the same change: one capture.
        // The runner must hear of the end whatever the detection met.
        tavel::win::util::guarded("ITunesAction: change detection", [] { ActionRunner::requestChangeDetection(); });
    }
    com_.reset();
    ActionRunner::instance().actionFinished();
}

}  // namespace action
}  // namespace tavelapp

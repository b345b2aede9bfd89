#include "action/Action.h"

#include <mutex>

#include "action/ActionRunner.h"
#include "config/Ini.h"
#include "notify/ChangeDetector.h"
#include "win/util/Com.h"

namespace tavelapp {
namespace action {
namespace {

std::recursive_mutex& actionLock() {
    static std::recursive_mutex lock;
    return lock;
}

const std::wstring emptyParam;

}  // namespace

const std::wstring& Action::param(std::size_t i) const { return i < params_.size() ? params_[i] : emptyParam; }

void Action::lockActions() { actionLock().lock(); }
void Action::unlockActions() { actionLock().unlock(); }

void Action::begin() {
    noLock_ = Ini::instance().detail.ignoreWaitingAction;
    if (!noLock_) {
        lockActions();
        locked_ = true;
    }
}

void Action::end() {
    if (locked_) {
        locked_ = false;
        unlockActions();
    }
}

void ITunesAction::begin() {
    Action::begin();
    com_ = std::make_unique<tavel::win::util::ComApartment>();
}

void ITunesAction::end() {
    if (notify_ == 1) {
        try {
            // Gathered with the player's events about the same change: one capture.
            ChangeDetector::requestSoon();
        } catch (...) {
            // The lock below must be left whatever the detection met.
        }
    }
    com_.reset();
    ActionRunner::instance().actionFinished();
    Action::end();
}

}  // namespace action
}  // namespace tavelapp

#include "base/ActionOrigin.h"

#include <utility>

namespace tavelapp {
namespace {

thread_local ActionOrigin currentOrigin;

}  // namespace

ActionOrigin::Scope::Scope(ActionOrigin origin) : previous_(std::move(currentOrigin)) {
    currentOrigin = std::move(origin);
}

ActionOrigin::Scope::~Scope() { currentOrigin = std::move(previous_); }

ActionOrigin ActionOrigin::current() { return currentOrigin; }

bool ActionOrigin::wanted() const {
    if (!repeat_ || !stillHeld_) return true;
    try {
        return stillHeld_();
    } catch (...) {
        // When in doubt the input runs: it was accepted once.
        return true;
    }
}

}  // namespace tavelapp

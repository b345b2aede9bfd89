#include "base/ActionOrigin.h"
#include "win/util/CallbackGuard.h"

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
    // When in doubt the input runs: it was accepted once.
    return tavel::win::util::guardedOr("ActionOrigin: still held", true, [this] { return stillHeld_(); });
}

}  // namespace tavelapp

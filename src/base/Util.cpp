#include "base/Util.h"

#include <atomic>
#include <mutex>
#include <shared_mutex>

#include "win/util/MainThread.h"

namespace tavelapp {
namespace {

std::shared_mutex& controllerGuard() {
    static std::shared_mutex guard;
    return guard;
}
Util::UtilListener* liveController = nullptr;
std::atomic<Util::QuietTest> quietTest{nullptr};

// Holds the guard shared for one call. A call made from inside another one on
// the same thread (onTrackChanged -> the track notification -> notify) reuses
// the outer hold: taking a shared lock twice deadlocks once a withdrawal waits.
thread_local int heldByThisThread = 0;

class ControllerCall {
public:
    ControllerCall() {
        if (heldByThisThread++ == 0) controllerGuard().lock_shared();
    }
    ~ControllerCall() {
        if (--heldByThisThread == 0) controllerGuard().unlock_shared();
    }
    ControllerCall(const ControllerCall&) = delete;
    ControllerCall& operator=(const ControllerCall&) = delete;
    Util::UtilListener* controller() const { return liveController; }
};

}  // namespace

void Util::setController(UtilListener* controller) {
    std::unique_lock<std::shared_mutex> guard(controllerGuard());
    liveController = controller;
}

bool Util::hasController() {
    ControllerCall call;
    return call.controller() != nullptr;
}

void Util::notify(const std::string& key, const std::wstring& text, int kind) { notify(key, text, nullptr, kind); }

void Util::setQuietTest(QuietTest test) { quietTest = test; }

void Util::notify(const std::string& key, const std::wstring& text, const PicturePtr& picture, int kind) {
    if (const QuietTest quiet = quietTest.load()) {
        if (quiet()) return;
    }
    ControllerCall call;
    if (call.controller() != nullptr) call.controller()->notify(key, text, picture, kind);
}

void Util::onTrackChanged(const PlayerState& state) {
    ControllerCall call;
    if (call.controller() != nullptr) call.controller()->onTrackChanged(state);
}

void Util::onPlayerStateChanged(const PlayerState& state) {
    ControllerCall call;
    if (call.controller() != nullptr) call.controller()->onPlayerStateChanged(state);
}

// Both re-create servers and windows: main-thread work, posted from elsewhere.
void Util::restartWiimoteServer() {
    static_cast<void>(tavel::win::util::MainThread::run([] {
        ControllerCall call;
        if (call.controller() != nullptr) call.controller()->restartWiimoteServer();
    }));
}

void Util::showOption() {
    static_cast<void>(tavel::win::util::MainThread::run([] {
        ControllerCall call;
        if (call.controller() != nullptr) call.controller()->showOption();
    }));
}

}  // namespace tavelapp

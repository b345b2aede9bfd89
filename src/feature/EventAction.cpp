#include "feature/EventAction.h"

#include <algorithm>

#include "action/ActionRunner.h"
#include "player/PlayerState.h"

namespace tavelapp {

EventAction& EventAction::instance() {
    static EventAction eventAction(EventActionIni::instance(), [](const std::wstring& action) {
        ActionRunner::instance().runByName(action, true);
    });
    return eventAction;
}

EventAction::EventAction(EventActionIni& settings, Runner runner) : settings_(settings), runner_(std::move(runner)) {}

void EventAction::start() { setRunning(true); }

void EventAction::stop() { setRunning(false); }

void EventAction::run() { runner_(action()); }

std::wstring EventAction::action() const {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return settings_.action;
}

void EventAction::setAction(const std::wstring& action) {
    {
        std::lock_guard<std::recursive_mutex> guard(lock_);
        settings_.action = action;
    }
    tellListeners();
}

int EventAction::method() const {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return settings_.method;
}

void EventAction::setMethod(int method) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    settings_.method = method;
}

void EventAction::onTrackChanged(bool ownChange) {
    if (ownChange || method() != TrackFinished) return;
    // Two workers seeing the same change must not both run it.
    if (!running_.exchange(false)) return;
    run();
    tellListeners();
}

void EventAction::onPlayerStateChanged(const PlayerState& state) {
    if (!running_) return;
    const bool stoppedAtStart = state.playerState() == 0 && state.position() == 0;
    switch (method()) {
        case PlayerStopped:
            if (stoppedAtStart) run();
            return;
        case AlbumFinished:
            if (stoppedAtStart && state.number(PlayerState::PlayOrderIndex) == state.number(PlayerState::TrackCount)) {
                run();
            }
            return;
        default:
            return;
    }
}

void EventAction::setRunning(bool running) {
    if (running_.exchange(running) == running) return;
    tellListeners();
}

void EventAction::tellListeners() {
    // Held during the calls, so a listener that leaves waits for them.
    std::lock_guard<std::recursive_mutex> guard(lock_);
    listeners_.tell(*this);
}

void EventAction::addListener(EventActionListener* listener) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    listeners_.add(listener);
}

void EventAction::removeListener(EventActionListener* listener) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    listeners_.remove(listener);
}

}  // namespace tavelapp

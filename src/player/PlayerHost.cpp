#include "player/PlayerHost.h"

#include <atomic>

#include "base/AppException.h"

namespace tavelapp {
namespace itunes {
namespace {
std::atomic<PlayerHost*> installed{nullptr};
thread_local bool keepConnection = false;
}  // namespace

void PlayerHost::keepConnectionOnThisThread(bool keep) { keepConnection = keep; }
bool PlayerHost::keepsConnectionOnThisThread() { return keepConnection; }

bool PlayerConnection::connect() {
    try {
        app();
        return true;
    } catch (const AppException&) {
        return false;
    }
}

std::unique_ptr<PlayerConnection> PlayerHost::openObserved(ITunesEventsListener*) { return open(); }

bool PlayerHost::answersNow() { return isRunning() && open()->connect(); }

void PlayerHost::probe(std::function<void(bool)> answer) { answer(answersNow()); }

bool PlayerHost::boot() { return isRunning() || open()->connect(); }

bool PlayerHost::quit() {
    if (!isRunning()) return true;
    try {
        open()->app().quit();
    } catch (const AppException&) {
        // Gone already.
    }
    return true;
}

PlayerHost& PlayerHost::instance() {
    PlayerHost* host = installed.load();
    return host != nullptr ? *host : platformPlayerHost();
}

void PlayerHost::install(PlayerHost* host) { installed = host; }

}  // namespace itunes
}  // namespace tavelapp

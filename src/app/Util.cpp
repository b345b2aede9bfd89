#include "app/Util.h"

#include <mutex>
#include <shared_mutex>

#include "player/PlayerStateFactory.h"

namespace tavelapp {
namespace {

std::shared_mutex& controllerGuard() {
    static std::shared_mutex guard;
    return guard;
}
Util::UtilListener* liveController = nullptr;

}  // namespace

void Util::setController(UtilListener* controller) {
    std::unique_lock<std::shared_mutex> guard(controllerGuard());
    liveController = controller;
}

bool Util::hasController() {
    std::shared_lock<std::shared_mutex> guard(controllerGuard());
    return liveController != nullptr;
}

void Util::notify(const std::string& key, const std::wstring& text, int kind) { notify(key, text, nullptr, kind); }

void Util::notify(const std::string& key, const std::wstring& text, const PicturePtr& picture, int kind) {
    // Nothing may cover the player's visual effects. A factory that does not
    // exist yet is not made here: that would capture snapshots inside a notify.
    if (PlayerStateFactory* factory = PlayerStateFactory::instanceIfCreated()) {
        if (factory->latestShowsVisuals()) return;
    }
    std::shared_lock<std::shared_mutex> guard(controllerGuard());
    if (liveController != nullptr) liveController->notify(key, text, picture, kind);
}

void Util::restartWiimoteServer() {
    std::shared_lock<std::shared_mutex> guard(controllerGuard());
    if (liveController != nullptr) liveController->restartWiimoteServer();
}

void Util::showOption() {
    std::shared_lock<std::shared_mutex> guard(controllerGuard());
    if (liveController != nullptr) liveController->showOption();
}

}  // namespace tavelapp

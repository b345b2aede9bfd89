#include "action/ActionRunner.h"

#include <atomic>

#include "action/Action.h"
#include "config/Ini.h"
#include "win/util/System.h"

namespace tavelapp {
namespace {
std::atomic<ActionRunner::ActionRunnerListener*> runnerListener{nullptr};
}  // namespace

ActionRunner& ActionRunner::instance() {
    static ActionRunner runner;
    return runner;
}

ActionRunner::ActionRunner() {
    // The action lock exists before any action can take it.
    action::Action::lockActions();
    action::Action::unlockActions();
}

void ActionRunner::setListener(ActionRunnerListener* listener) { runnerListener = listener; }

void ActionRunner::playStartSound() {
    const Ini& settings = Ini::instance();
    if (settings.detail.soundEnabled) tavel::win::util::playSoundAsync(settings.detail.soundPath);
}

void ActionRunner::actionFinished() {
    if (ActionRunnerListener* listener = runnerListener.load()) listener->onActionFinished(*this);
}

}  // namespace tavelapp

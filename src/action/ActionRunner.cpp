#include "action/ActionRunner.h"

#include <atomic>

#include "action/ActionList.h"
#include "action/ActionPluginMgr.h"
#include "base/ActionQueue.h"
#include "config/Ini.h"
#include "win/util/MainThread.h"
#include "win/util/StringUtil.h"
#include "win/util/System.h"

namespace tavelapp {
namespace {
using tavel::win::util::MainThread;
std::atomic<ActionRunner::ActionRunnerListener*> runnerListener{nullptr};
std::atomic<ActionRunner::ChangeRequest> changeRequest{nullptr};
}  // namespace

ActionRunner& ActionRunner::instance() {
    static ActionRunner runner;
    return runner;
}

ActionRunner::ActionRunner() {
    // The action queue exists before any action can wait in it.
    ActionQueue::actions();
}

void ActionRunner::setChangeRequest(ChangeRequest request) { changeRequest = request; }

void ActionRunner::requestChangeDetection() {
    if (const ChangeRequest request = changeRequest.load()) request();
}

void ActionRunner::setListener(ActionRunnerListener* listener) { runnerListener = listener; }

void ActionRunner::playStartSound() {
    const Ini& settings = Ini::instance();
    if (settings.detail.soundEnabled) tavel::win::util::playSoundAsync(settings.detail.soundPath);
}

void ActionRunner::actionFinished() {
    // The listener (the controller) lives on the main thread and may be gone by
    // the time a worker ends; it is asked there.
    static_cast<void>(MainThread::run([this] {
        if (ActionRunnerListener* listener = runnerListener.load()) listener->onActionFinished(*this);
    }));
}

void ActionRunner::runByName(const std::wstring& name, bool playSound) {
    // An empty reference means no action, not an unknown one.
    if (name.empty()) return;
    // Dispatch calls plug-in libraries and reads the manager: main thread only.
    if (!MainThread::isCurrent()) {
        static_cast<void>(MainThread::post([this, name, playSound] { runByName(name, playSound); }));
        return;
    }
    if (ActionListItemPtr entry = ActionList::instance().find(name)) {
        dispatch(entry, entry->actionName, entry->params, playSound);
    } else {
        dispatch(nullptr, name, std::vector<std::wstring>(), playSound);
    }
}

void ActionRunner::dispatch(const ActionListItemPtr& entry, const std::wstring& actionName,
                            const std::vector<std::wstring>& params, bool playSound) {
    ActionPluginMgr::instance().dispatch(entry, tavel::win::util::asciiLower(actionName), params, playSound);
}

void ActionRunner::notifyChanges() { runByName(L"NotifyChanges", false); }

std::uint32_t ActionRunner::lastDispatchTime() const { return ActionPluginMgr::instance().lastDispatchTime(); }

}  // namespace tavelapp

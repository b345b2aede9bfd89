#include "action/RunActionThread.h"

#include <mutex>
#include <utility>

#include "action/ActionPluginDLL.h"
#include "action/ActionRunner.h"
#include "config/Ini.h"
#include "notify/ChangeDetector.h"

namespace tavelapp {

namespace {

// Serialises library actions; not the built-in actions' lock, so a library
// action never waits for a player action or the other way round.
std::mutex& pluginActionLock() {
    static std::mutex lock;
    return lock;
}

}  // namespace

RunActionThread::RunActionThread(ActionPluginDLL& plugin, std::wstring name, std::vector<std::wstring> params,
                                 bool notify)
    : plugin_(plugin),
      name_(std::move(name)),
      params_(std::move(params)),
      notify_(notify),
      noLock_(Ini::instance().detail.ignoreWaitingAction) {}

RunActionThread::~RunActionThread() {
    // run() reads our members: wait before they go.
    wait();
}

void RunActionThread::begin() {
    if (!noLock_) pluginActionLock().lock();
}

int RunActionThread::run() {
    const auto runAction = plugin_.runActionProc();
    if (runAction == nullptr) return 0;
    try {
        // argv style: a trailing null, so the array is never empty.
        std::vector<const wchar_t*> array;
        array.reserve(params_.size() + 1);
        for (const auto& p : params_)
            array.push_back(p.c_str());
        array.push_back(nullptr);
        return runAction(name_.c_str(), array.data(), static_cast<int>(params_.size()));
    } catch (...) {
        // end() must still run to leave the lock.
        return -1;
    }
}

void RunActionThread::end() {
    if (!noLock_) pluginActionLock().unlock();
    if (notify_) {
        // What the library action changed is announced before the runner hears of it.
        try {
            ChangeDetector::requestSoon();
        } catch (...) {
            // The runner must still hear of the end.
        }
        ActionRunner::instance().actionFinished();
    }
}

}  // namespace tavelapp

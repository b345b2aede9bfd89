#include "action/RunActionThread.h"

#include <utility>

#include "action/ActionPluginDLL.h"
#include "action/ActionRunner.h"
#include "base/ActionQueue.h"
#include "config/Ini.h"
#include "win/util/CallbackGuard.h"

namespace tavelapp {

RunActionThread::RunActionThread(ActionPluginDLL& plugin, std::wstring name, std::vector<std::wstring> params,
                                 bool notify)
    : plugin_(plugin),
      name_(std::move(name)),
      params_(std::move(params)),
      notify_(notify),
      noLock_(Ini::instance().detail.ignoreWaitingAction) {
    runOnWorker();
}

RunActionThread::~RunActionThread() {
    // run() reads our members: wait before they go.
    wait();
}

ActionQueue& RunActionThread::queue() { return noLock_ ? ActionQueue::sideBySide() : ActionQueue::library(); }

int RunActionThread::run() {
    const auto runAction = plugin_.runActionProc();
    if (runAction == nullptr) return 0;
    // end() must still tell the runner.
    return tavel::win::util::guardedOr("RunActionThread", -1, [&] {
        // argv style: a trailing null, so the array is never empty.
        std::vector<const wchar_t*> array;
        array.reserve(params_.size() + 1);
        for (const auto& p : params_)
            array.push_back(p.c_str());
        array.push_back(nullptr);
        return runAction(name_.c_str(), array.data(), static_cast<int>(params_.size()));
    });
}

void RunActionThread::end() {
    if (notify_) {
        // What the library action changed is announced before the runner hears of it.
        // The runner must still hear of the end.
        tavel::win::util::guarded("RunActionThread: change detection", [] { ActionRunner::requestChangeDetection(); });
        ActionRunner::instance().actionFinished();
    }
}

}  // namespace tavelapp

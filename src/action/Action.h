#pragma once
#include <memory>
#include <cstddef>
#include <string>
#include <vector>

#include "action/ActionListItem.h"
#include "base/Thread.h"
#include "win/util/Com.h"

namespace tavelapp {
namespace action {

// One named command with its parameters, run once on a worker. Unless
// IgnoreWaitingAction is on, actions that take the action lock run one after
// another: they wait their turn in the action queue, not on a thread each.
class Action : public Thread {
public:
    // Runs on a long-lived worker: a key press costs no thread start, and the
    // worker's player connection is reused.
    Action(ActionListItemPtr entry, std::vector<std::wstring> params)
        : entry_(std::move(entry)), params_(std::move(params)) {
        runOnWorker();
    }
    // Parameter i, or "" when there is none.
    const std::wstring& param(std::size_t i) const;
    const ActionListItemPtr& entry() const { return entry_; }
    const std::vector<std::wstring>& params() const { return params_; }

protected:
    // The action queue (its turn is the action lock), or side by side when
    // IgnoreWaitingAction is on or the action takes no lock.
    ActionQueue& queue() override;
    // False for actions that never wait for others (dialogs, quick play).
    virtual bool takesActionLock() const { return true; }

private:
    ActionListItemPtr entry_;
    std::vector<std::wstring> params_;
};

// An action that uses the player or the system: COM for its thread, and at its
// end the change detection and the runner's completion callback.
class ITunesAction : public Action {
public:
    ITunesAction(ActionListItemPtr entry, std::vector<std::wstring> params, int notify = 1)
        : Action(std::move(entry), std::move(params)), notify_(notify) {}
    int notifyFlag() const { return notify_; }

protected:
    void begin() override;
    void end() override;

private:
    int notify_;
    // The thread's COM, from begin to end.
    std::unique_ptr<tavel::win::util::ComApartment> com_;
};

}  // namespace action
}  // namespace tavelapp

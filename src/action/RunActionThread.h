#pragma once
#include <string>
#include <vector>

#include "base/Thread.h"

namespace tavelapp {

class ActionPluginDLL;

// Runs one action of a plug-in library on a worker. Library actions run one
// after another in a queue of their own (not the built-in actions' queue, so
// neither waits for the other) unless IgnoreWaitingAction is on.
class RunActionThread : public Thread {
public:
    // The plug-in must outlive the thread (it waits for its threads).
    RunActionThread(ActionPluginDLL& plugin, std::wstring name, std::vector<std::wstring> params, bool notify);
    ~RunActionThread() override;

protected:
    ActionQueue& queue() override;
    int run() override;
    void end() override;

private:
    ActionPluginDLL& plugin_;
    const std::wstring name_;
    const std::vector<std::wstring> params_;
    const bool notify_;
    // Read once on the starting thread.
    const bool noLock_;
};

}  // namespace tavelapp

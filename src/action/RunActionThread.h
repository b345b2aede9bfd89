#pragma once
#include <string>
#include <vector>

#include "app/Thread.h"

namespace tavelapp {

class ActionPluginDLL;

// Runs one action of a plug-in library on its own thread. Library actions
// queue on a process-wide lock of their own unless IgnoreWaitingAction is on.
class RunActionThread : public Thread {
public:
    // The plug-in must outlive the thread (it waits for its threads).
    RunActionThread(ActionPluginDLL& plugin, std::wstring name, std::vector<std::wstring> params, bool notify);
    ~RunActionThread() override;

protected:
    void begin() override;
    int run() override;
    void end() override;

private:
    ActionPluginDLL& plugin_;
    const std::wstring name_;
    const std::vector<std::wstring> params_;
    const bool notify_;
    // Read once on the starting thread, so begin and end agree about the lock.
    const bool noLock_;
};

}  // namespace tavelapp

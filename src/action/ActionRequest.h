#pragma once
#include <string>
#include <vector>

namespace tavelapp {

class ActionList;
class ActionPluginMgr;
class ActionQueue;
class ActionRunner;
class Ini;

namespace action {

// An action asked for from outside the bindings (the web remote, the command
// line): an entry ID, or an action name with its parameters.
enum class RequestOutcome { Queued, Unknown, Forbidden, Busy, PlayerNotRunning };

// What a request goes through: this process's objects, or a test's.
struct RequestTarget {
    ActionList& actionList;
    ActionPluginMgr& plugins;
    ActionRunner& runner;
    ActionQueue& queue;
    const Ini& settings;

    static RequestTarget running();
};

// Main thread: resolves the reference as the runner would and hands it to the
// runner, or says why not. allowAll: every action may run (the local user, or
// peers the user trusts); else only what allowedOverNetwork lets through.
// later: the runner gets it from the message loop after the caller returns
// (some actions show a modal dialog on this thread; the answer must not wait).
RequestOutcome runRequest(const RequestTarget& target, const std::wstring& reference,
                          const std::vector<std::wstring>& params, bool allowAll, bool later = false);

}  // namespace action
}  // namespace tavelapp

#include "feature/ActionPluginSystem.h"

#include "feature/SystemActionFactory.h"
#include "base/RunningThreads.h"

namespace tavelapp {

bool ActionPluginSystem::ActionExists(const std::wstring& name) {
    return action::SystemActionFactory::instance().exists(name);
}

int ActionPluginSystem::RunAction(const ActionListItemPtr& entry, const std::wstring& name,
                                  const std::vector<std::wstring>& params) {
    if (auto action = action::SystemActionFactory::instance().create(name, entry, params)) {
        runningThreads().start(action);
    }
    return 0;
}

}  // namespace tavelapp

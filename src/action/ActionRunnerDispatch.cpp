#include "action/ActionList.h"
#include "action/ActionPluginMgr.h"
#include "action/ActionRunner.h"
#include "win/util/StringUtil.h"

namespace tavelapp {

void ActionRunner::runByName(const std::wstring& name, bool playSound) {
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

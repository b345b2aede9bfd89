#include "action/ActionRequest.h"

#include <memory>

#include "action/ActionList.h"
#include "action/ActionPluginMgr.h"
#include "action/ActionRunner.h"
#include "action/NetworkRule.h"
#include "base/ActionQueue.h"
#include "config/Ini.h"
#include "win/util/MainThread.h"
#include "win/util/StringUtil.h"

namespace tavelapp {
namespace action {
namespace {

// Requests posted for later and not yet handed to the runner (main thread
// only): they count against the queue's room, as the answers promised.
std::size_t postedForLater = 0;

}  // namespace

RequestOutcome runRequest(const std::wstring& reference, const std::vector<std::wstring>& params, bool allowAll,
                          bool later) {
    const ActionListItemPtr entry = ActionList::instance().find(reference);
    // The page's "previous" is the player's PrevTrack, under the name other players give it.
    const std::wstring name =
        !entry && tavel::win::util::asciiLower(reference) == L"previoustrack" ? L"PrevTrack" : reference;
    const std::wstring actionName = tavel::win::util::asciiLower(entry ? entry->actionName : name);
    ActionPluginMgr& manager = ActionPluginMgr::instance();
    bool exists = entry != nullptr;
    for (const std::shared_ptr<ActionPlugin>& plugin : manager.plugins()) {
        if (!exists && plugin->ActionExists(actionName)) exists = true;
    }
    if (!exists) return RequestOutcome::Unknown;
    if (!allowedOverNetwork(name, allowAll)) return RequestOutcome::Forbidden;
    if (ActionQueue::actions().waiting() + postedForLater >= ActionQueue::kCapacity) return RequestOutcome::Busy;
    const std::shared_ptr<ActionPlugin> target = manager.getActionTarget();
    // The player is started for an action only where the user lets it be.
    if (target && target->IsPlayerAction(actionName) && !target->IsPlayerRunning() &&
        Ini::instance().detail.disableBootITunes)
        return RequestOutcome::PlayerNotRunning;
    if (!later) {
        ActionRunner::instance().dispatch(entry, actionName, entry ? entry->params : params, true);
        return RequestOutcome::Queued;
    }
    const std::vector<std::wstring> actionParams = entry ? entry->params : params;
    ++postedForLater;
    const bool posted = tavel::win::util::MainThread::post([entry, actionName, actionParams] {
        --postedForLater;
        ActionRunner::instance().dispatch(entry, actionName, actionParams, true);
    });
    if (posted) return RequestOutcome::Queued;
    --postedForLater;
    return RequestOutcome::Busy;
}

}  // namespace action
}  // namespace tavelapp

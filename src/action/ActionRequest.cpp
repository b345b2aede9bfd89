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

RequestTarget RequestTarget::running() {
    return RequestTarget{ActionList::instance(), ActionPluginMgr::instance(), ActionRunner::instance(),
                         ActionQueue::actions(), Ini::instance()};
}

RequestOutcome runRequest(const RequestTarget& target, const std::wstring& reference,
                          const std::vector<std::wstring>& params, bool allowAll, bool later) {
    const ActionListItemPtr entry = target.actionList.find(reference);
    // The page's "previous" is the player's PrevTrack, under the name other players give it.
    const std::wstring name =
        !entry && tavel::win::util::asciiLower(reference) == L"previoustrack" ? L"PrevTrack" : reference;
    const std::wstring actionName = tavel::win::util::asciiLower(entry ? entry->actionName : name);
    bool exists = entry != nullptr;
    for (const std::shared_ptr<ActionPlugin>& plugin : target.plugins.plugins()) {
        if (!exists && plugin->ActionExists(actionName)) exists = true;
    }
    if (!exists) return RequestOutcome::Unknown;
    if (!allowedOverNetwork(name, allowAll)) return RequestOutcome::Forbidden;
    if (target.queue.waiting() + postedForLater >= ActionQueue::kCapacity) return RequestOutcome::Busy;
    const std::shared_ptr<ActionPlugin> player = target.plugins.getActionTarget();
    // The player is started for an action only where the user lets it be.
    if (player && player->IsPlayerAction(actionName) && !player->IsPlayerRunning() &&
        target.settings.detail.disableBootITunes)
        return RequestOutcome::PlayerNotRunning;
    if (!later) {
        target.runner.dispatch(entry, actionName, entry ? entry->params : params, true);
        return RequestOutcome::Queued;
    }
    const std::vector<std::wstring> actionParams = entry ? entry->params : params;
    ActionRunner& runner = target.runner;
    ++postedForLater;
    const bool posted = tavel::win::util::MainThread::post([&runner, entry, actionName, actionParams] {
        --postedForLater;
        runner.dispatch(entry, actionName, actionParams, true);
    });
    if (posted) return RequestOutcome::Queued;
    --postedForLater;
    return RequestOutcome::Busy;
}

}  // namespace action
}  // namespace tavelapp

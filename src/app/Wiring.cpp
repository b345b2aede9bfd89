#include "app/Wiring.h"

#include "action/ActionPluginMgr.h"
#include "action/ActionRunner.h"
#include "base/ActionQueue.h"
#include "base/AppException.h"
#include "base/NotifyWndInfo.h"
#include "base/Util.h"
#include "base/WorkerPool.h"
#include "config/Lang.h"
#include "feature/ClockTimer.h"
#include "feature/CountdownTimer.h"
#include "feature/EventAction.h"
#include "feature/UtilityPlugins.h"
#include "input/WiimoteRules.h"
#include "notify/ChangeDetector.h"
#include "player/PlayerHost.h"
#include "notify/PlayerStateFactory.h"
#include "win/util/CallbackGuard.h"

namespace tavelapp {

void wireLayers() {
    WorkerPool::ConnectionHooks connections;
    connections.keep = [] { itunes::PlayerHost::keepConnectionOnThisThread(true); };
    connections.release = [] { itunes::PlayerHost::releaseThreadConnection(); };
    connections.end = [] {
        itunes::PlayerHost::releaseThreadConnection();
        itunes::PlayerHost::keepConnectionOnThisThread(false);
    };
    WorkerPool::setConnectionHooks(connections);
    ActionRunner::setChangeRequest(&ChangeDetector::requestSoon);
    ActionQueue::setFullNotice([] {
        Util::notify("ActionQueueFull", Lang::instance().text(L"Notification", L"ActionQueueFull"),
                     NotifyWndInfo::kInformation);
    });
    AppException::setTextLookup([](const std::wstring& key) { return Lang::instance().text(L"Error", key); });
    tavel::win::util::setExceptionText(&AppException::keyOf);
    ActionPluginMgr::setUtilityPlugins(&makeUtilityPlugins);
    Util::setQuietTest([] {
        // A factory that does not exist yet is not made here: that would
        // capture snapshots inside a notify.
        const PlayerStateFactory* factory = PlayerStateFactory::instanceIfCreated();
        return factory != nullptr && factory->latestShowsVisuals();
    });
    ChangeDetector::setLampsListener(&WiimoteRules::lampsChanged);
    PlayerStateFactory::setTimerStates([]() -> PlayerStateFactory::TimerStates {
        return PlayerStateFactory::TimerStates{ClockTimer::instance().isRunning(),
                                               CountdownTimer::instance().isRunning(),
                                               EventAction::instance().isRunning()};
    });
}

}  // namespace tavelapp

#include "app/Wiring.h"

#include "action/ActionPluginMgr.h"
#include "app/AppException.h"
#include "app/Util.h"
#include "config/Lang.h"
#include "feature/ClockTimer.h"
#include "feature/CountdownTimer.h"
#include "feature/EventAction.h"
#include "feature/UtilityPlugins.h"
#include "input/WiimoteRules.h"
#include "notify/ChangeDetector.h"
#include "player/PlayerStateFactory.h"

namespace tavelapp {

void wireLayers() {
    AppException::setTextLookup([](const std::wstring& key) { return Lang::instance().text(L"Error", key); });
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

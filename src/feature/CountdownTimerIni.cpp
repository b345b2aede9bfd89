#include "feature/CountdownTimerIni.h"

#include "feature/SettingsFolder.h"

namespace tavelapp {

CountdownTimerIni& CountdownTimerIni::instance() {
    static CountdownTimerIni settings(featureSettingsPath(L"CountdownTimer.ini"));
    return settings;
}

}  // namespace tavelapp

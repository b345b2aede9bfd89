#include "feature/CountdownTimerIni.h"

#include "feature/SettingsFolder.h"

namespace tavelapp {

CountdownTimerIni& CountdownTimerIni::instance() {
    static CountdownTimerIni settings(featureSettingsPath(L"CountdownTimer.ini"));
    return settings;
}

void CountdownTimerIni::serialize() {
    integer(L"CountdownTimer", L"Minute", minute, 0);
    string(L"CountdownTimer", L"Action", action, L"DoNothing");
}

}  // namespace tavelapp

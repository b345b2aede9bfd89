#include "feature/ClockTimerIni.h"

#include "feature/SettingsFolder.h"

namespace tavelapp {

ClockTimerIni& ClockTimerIni::instance() {
    static ClockTimerIni settings(featureSettingsPath(L"ClockTimer.ini"));
    return settings;
}

void ClockTimerIni::serialize() {
    boolean(L"ClockTimer", L"AlwaysEnabled", alwaysEnabled, false);
    integer(L"ClockTimer", L"Hour", hour, 0);
    integer(L"ClockTimer", L"Minute", minute, 0);
    string(L"ClockTimer", L"Action", action, L"DoNothing");
}

}  // namespace tavelapp

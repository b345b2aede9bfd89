#include "feature/EventActionIni.h"

#include "feature/SettingsFolder.h"

namespace tavelapp {

EventActionIni& EventActionIni::instance() {
    static EventActionIni settings(featureSettingsPath(L"EventAction.ini"));
    return settings;
}

void EventActionIni::serialize() {
    integer(L"EventAction", L"Method", method, 0);
    string(L"EventAction", L"Action", action, L"donothing");
}

}  // namespace tavelapp

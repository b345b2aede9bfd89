#include "feature/EventActionIni.h"

#include "feature/SettingsFolder.h"

namespace tavelapp {

EventActionIni& EventActionIni::instance() {
    static EventActionIni settings(featureSettingsPath(L"EventAction.ini"));
    return settings;
}

}  // namespace tavelapp

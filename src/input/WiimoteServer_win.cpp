#include "input/WiimoteServer.h"

#include <vector>

#include "action/ActionRunner.h"
#include "base/AppException.h"
#include "config/Ini.h"
#include "win/util/MainThread.h"

namespace tavelapp {

WiimoteServer::WiimoteServer() : shift_(Ini::instance().wiimote.useShift, Ini::instance().wiimote.shift) {
    tavel::win::util::MainThread::check("WiimoteServer");
    WiimoteMgr& manager = WiimoteMgr::instance();
    manager.addListener(this);
    manager.reconnect();
    if (!manager.isLoaded()) {
        manager.removeListener(this);
        throw AppException(manager.loadError());
    }
    manager.startEffect(0);
}

WiimoteServer::~WiimoteServer() {
    // The remote stays acquired: a new server takes it over.
    WiimoteMgr::instance().removeListener(this);
}

void WiimoteServer::onButton(WiimoteMgr&, std::uint32_t index, bool pressed) {
    std::uint32_t code = 0;
    if (!shift_.onButton(index, pressed, code)) return;
    // A run may end this server (the options or FindWiimote rebuild it):
    // nothing of it is touched once the first action ran.
    const std::vector<std::wstring> actions = WiimoteRules::actionsFor(code, Ini::instance().wiimoteKeys);
    for (const std::wstring& action : actions)
        ActionRunner::instance().runByName(action, true);
}

}  // namespace tavelapp

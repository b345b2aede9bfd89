#pragma once
#include <cstdint>
#include <string>

#include "input/WiimoteMgr.h"
#include "input/WiimoteRules.h"

namespace tavelapp {

// Turns Wii remote button presses into action runs. Main thread only.
class WiimoteServer : public WiimoteMgrListener {
public:
    // Reconnects the remote and greets it with a running light. Throws
    // AppException when the library is not loaded (the manager's reason).
    WiimoteServer();
    ~WiimoteServer();
    WiimoteServer(const WiimoteServer&) = delete;
    WiimoteServer& operator=(const WiimoteServer&) = delete;

    void onButton(WiimoteMgr& manager, std::uint32_t index, bool pressed) override;

    // How a binding reads in the settings dialogs, e.g. "Shift + A".
    static std::wstring displayName(std::uint32_t code) { return WiimoteRules::displayName(code); }

private:
    WiimoteRules::ShiftLayer shift_;
};

}  // namespace tavelapp

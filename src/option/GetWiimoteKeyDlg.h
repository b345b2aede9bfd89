#pragma once
#include "config/Ini.h"
#include "input/WiimoteMgr.h"
#include "option/DeviceKeyDlg.h"

namespace tavelapp {

// Takes the remote when no server holds it (its input was off) and listens.
void listenToWiimote(WiimoteMgrListener* listener);

// A Wii remote binding, captured from the remote's buttons.
class GetWiimoteKeyDlg : public DeviceKeyDlg, public WiimoteMgrListener {
public:
    GetWiimoteKeyDlg(Ini::Key& binding, bool add, bool useShift, std::uint32_t shiftCode);
    ~GetWiimoteKeyDlg() override { WiimoteMgr::instance().removeListener(this); }

    void onButton(WiimoteMgr&, std::uint32_t index, bool pressed) override { onDeviceEvent(index, pressed); }

protected:
    std::wstring inputText(std::uint32_t code) const override;
    void startListening() override { listenToWiimote(this); }
    void stopListening() override { WiimoteMgr::instance().removeListener(this); }
};

// A Wii remote button: the shift button or a mouse function's.
class GetWiimoteShiftDlg : public DeviceShiftDlg, public WiimoteMgrListener {
public:
    explicit GetWiimoteShiftDlg(std::uint32_t& code);
    ~GetWiimoteShiftDlg() override { WiimoteMgr::instance().removeListener(this); }

    void onButton(WiimoteMgr&, std::uint32_t index, bool pressed) override { onDeviceEvent(index, pressed); }

protected:
    std::wstring inputText(std::uint32_t code) const override;
    bool accepts(std::uint32_t) const override { return true; }
    void startListening() override { listenToWiimote(this); }
    void stopListening() override { WiimoteMgr::instance().removeListener(this); }
};

}  // namespace tavelapp

#include "option/GetWiimoteKeyDlg.h"

#include "config/Lang.h"
#include "input/WiimoteRules.h"
#include "res/resource.h"

namespace tavelapp {
namespace {

const std::uint32_t kWiimoteShift = 0x8000;

std::wstring buttonText(std::uint32_t code) {
    const std::wstring text = WiimoteRules::displayName(code);
    return text.empty() ? Lang::instance().text(L"Others", L"JoyNothing") : text;
}

}  // namespace

void listenToWiimote(WiimoteMgrListener* listener) {
    WiimoteMgr& manager = WiimoteMgr::instance();
    if (!manager.acquired()) manager.connect();
    manager.addListener(listener);
}

GetWiimoteKeyDlg::GetWiimoteKeyDlg(Ini::Key& binding, bool add, bool useShift, std::uint32_t shiftCode)
    : DeviceKeyDlg({L"GetWiimoteItemDlg", L"WiimoteShift", kWiimoteShift, IDD_GETWIIMOTEKEY}, binding.action,
                   binding.key, add, useShift, shiftCode) {}

std::wstring GetWiimoteKeyDlg::inputText(std::uint32_t code) const { return buttonText(code); }

GetWiimoteShiftDlg::GetWiimoteShiftDlg(std::uint32_t& code)
    : DeviceShiftDlg(L"GetWiimoteShiftDlg", IDD_GETWIIMOTESHIFT, code) {}

std::wstring GetWiimoteShiftDlg::inputText(std::uint32_t code) const { return buttonText(code); }

}  // namespace tavelapp

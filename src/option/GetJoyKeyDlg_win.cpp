#include "option/GetJoyKeyDlg.h"

#include "base/AppException.h"
#include "config/Lang.h"
#include "input/JoyRules.h"
#include "res/resource.h"
#include "win/util/MainThread.h"

namespace tavelapp {

void JoyListening::start(HWND dialog, UINT message) {
    dialog_ = dialog;
    message_ = message;
    try {
        thread_ = std::make_shared<JoyListenThread>(this);
        thread_->start();
    } catch (const AppException&) {
        // No controller open: the page said so before; the dialog captures nothing.
        thread_.reset();
    }
}

void JoyListening::stop() { thread_.reset(); }

void JoyListening::onJoyEvent(JoyListenThread&, std::uint32_t code, bool pressed) {
    HWND dialog = dialog_;
    const UINT message = message_;
    static_cast<void>(tavel::win::util::MainThread::post([dialog, message, code, pressed] {
        if (::IsWindow(dialog)) ::SendMessageW(dialog, message, code, pressed ? 1 : 0);
    }));
}

GetJoyKeyDlg::GetJoyKeyDlg(Ini::Key& binding, bool add, bool useShift, std::uint32_t shiftCode)
    : DeviceKeyDlg({L"GetJoyItemDlg", L"JoyShift", JoyRules::kShiftFlag, IDD_GETJOYKEY}, binding.action, binding.key,
                   add, useShift, shiftCode) {}

std::wstring GetJoyKeyDlg::inputText(std::uint32_t code) const { return JoyRules::displayName(code); }

GetJoyShiftDlg::GetJoyShiftDlg(std::uint32_t& code) : DeviceShiftDlg(L"GetJoyShiftDlg", IDD_GETJOYSHIFT, code) {}

std::wstring GetJoyShiftDlg::inputText(std::uint32_t code) const {
    if (!OptionRules::acceptsJoyShift(code)) return Lang::instance().text(L"Others", L"JoyNothing");
    return JoyRules::displayName(code);
}

}  // namespace tavelapp

#include <windows.h>

#include <string>

#include "config/DialogLocalizer.h"
#include "config/LossNotice.h"
#include "feature/ActionChoice.h"
#include "feature/ClockTimer.h"
#include "feature/FeatureDialogs.h"
#include "feature/ModalDialog.h"
#include "res/resource.h"

namespace tavelapp {
namespace {

std::wstring twoDigits(int n) {
    return std::wstring{static_cast<wchar_t>(L'0' + n / 10), static_cast<wchar_t>(L'0' + n % 10)};
}

void fillNumbers(HWND combo, int count, int selected) {
    for (int i = 0; i < count; ++i)
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(twoDigits(i).c_str()));
    ::SendMessageW(combo, CB_SETCURSEL, selected >= 0 && selected < count ? static_cast<WPARAM>(selected) : 0, 0);
}

class ClockTimerDlg : public ModalDialog, private ClockTimer::ClockTimerListener {
public:
    ClockTimerDlg() { ClockTimer::instance().addListener(this); }
    ~ClockTimerDlg() override { ClockTimer::instance().removeListener(this); }

private:
    void onInit() override {
        localizeDialog(hwnd(), L"ClockTimerDlg");
        const ClockTimerIni& settings = ClockTimerIni::instance();
        fillNumbers(item(IDC_CLOCKTIMER_HOUR), 24, settings.hour);
        fillNumbers(item(IDC_CLOCKTIMER_MINUTE), 60, settings.minute);
        actions_.fill(item(IDC_FEATURE_ACTION), settings.action);
        ::CheckDlgButton(hwnd(), IDC_CLOCKTIMER_ALWAYS, settings.alwaysEnabled ? BST_CHECKED : BST_UNCHECKED);
        updateControls();
        bringForward(hwnd());
    }
    bool onCommand(WORD id, WORD) override {
        ClockTimer& timer = ClockTimer::instance();
        switch (id) {
            case IDC_FEATURE_START:
                store();
                timer.start();
                return true;
            case IDC_FEATURE_STOP:
                timer.stop();
                return true;
            case IDC_CLOCKTIMER_ALWAYS:
                store();
                return true;
            case IDC_FEATURE_MENU:
                actions_.choose(hwnd(), item(IDC_FEATURE_ACTION));
                return true;
            case IDCANCEL:
                store();
                close(IDCANCEL);
                return true;
            default:
                return false;
        }
    }
    void onStateChanged(ClockTimer&) override { updateControls(); }

    void store() {
        ClockTimerIni& settings = ClockTimerIni::instance();
        // While the timer runs its time and action are locked; what it was
        // armed with stays what is stored.
        if (!ClockTimer::instance().isRunning()) {
            settings.hour = static_cast<int>(::SendMessageW(item(IDC_CLOCKTIMER_HOUR), CB_GETCURSEL, 0, 0));
            settings.minute = static_cast<int>(::SendMessageW(item(IDC_CLOCKTIMER_MINUTE), CB_GETCURSEL, 0, 0));
            const std::wstring action = actions_.selected(item(IDC_FEATURE_ACTION));
            if (!action.empty()) settings.action = action;
        }
        settings.alwaysEnabled = ::IsDlgButtonChecked(hwnd(), IDC_CLOCKTIMER_ALWAYS) == BST_CHECKED;
    }
    void updateControls() {
        if (hwnd() == nullptr) return;
        const bool running = ClockTimer::instance().isRunning();
        for (int id :
             {IDC_CLOCKTIMER_HOUR, IDC_CLOCKTIMER_MINUTE, IDC_FEATURE_ACTION, IDC_FEATURE_MENU, IDC_FEATURE_START}) {
            ::EnableWindow(item(id), running ? FALSE : TRUE);
        }
        ::EnableWindow(item(IDC_FEATURE_STOP), running ? TRUE : FALSE);
    }

    ActionChoice actions_;
};

HWND openClockTimerDlg = nullptr;

}  // namespace

void showClockTimerDlg() {
    ClockTimerDlg dialog;
    if (dialog.showModal(IDD_CLOCKTIMER, nullptr, openClockTimerDlg) != 0) LossNotice::save(ClockTimerIni::instance());
}

}  // namespace tavelapp

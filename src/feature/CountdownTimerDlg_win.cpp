#include <windows.h>
#include <commctrl.h>

#include <cwctype>
#include <string>

#include "config/DialogLocalizer.h"
#include "config/LossNotice.h"
#include "feature/ActionChoice.h"
#include "feature/CountdownTimer.h"
#include "feature/FeatureDialogs.h"
#include "feature/ModalDialog.h"
#include "res/resource.h"
#include "win/timer/Timer.h"

namespace tavelapp {
namespace {

const int kSuggestions[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 15, 20, 25, 30, 45, 60, 90, 120, 180};

// Whole minutes, blanks around allowed; anything else reads as 0 (refused).
int readMinutes(const std::wstring& text) {
    std::size_t i = 0;
    while (i < text.size() && std::iswspace(text[i]))
        ++i;
    long long value = 0;
    std::size_t digits = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i, ++digits) {
        value = value * 10 + (text[i] - L'0');
        if (value > 1000000) return 0;
    }
    while (i < text.size() && std::iswspace(text[i]))
        ++i;
    return digits == 0 || i != text.size() ? 0 : static_cast<int>(value);
}

class CountdownTimerDlg : public ModalDialog,
                          private CountdownTimer::CountdownTimerListener,
                          private tavel::win::timer::Timer::Listener {
public:
    CountdownTimerDlg() {
        CountdownTimer::instance().addListener(this);
        tick_.setListener(this);
    }
    ~CountdownTimerDlg() override {
        tick_.stop();
        tick_.setListener(nullptr);
        CountdownTimer::instance().removeListener(this);
    }

private:
    void onInit() override {
        localizeDialog(hwnd(), L"CountdownTimerDlg");
        const CountdownTimerIni& settings = CountdownTimerIni::instance();
        HWND minutes = item(IDC_COUNTDOWN_MINUTE);
        for (int m : kSuggestions)
            ::SendMessageW(minutes, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_wstring(m).c_str()));
        ::SetWindowTextW(minutes, std::to_wstring(settings.minute).c_str());
        actions_.fill(item(IDC_FEATURE_ACTION), settings.action);
        ::SendMessageW(item(IDC_COUNTDOWN_PROGRESS), PBM_SETRANGE32, 0, CountdownTimer::kProgressRange);
        updateControls();
        updateProgress();
        static_cast<void>(tick_.start(1000));
        bringForward(hwnd());
    }
    bool onCommand(WORD id, WORD) override {
        CountdownTimer& timer = CountdownTimer::instance();
        switch (id) {
            case IDC_FEATURE_START:
                if (!store()) return true;
                ::SendMessageW(item(IDC_COUNTDOWN_PROGRESS), PBM_SETPOS, 0, 0);
                timer.start();
                return true;
            case IDC_FEATURE_STOP:
                timer.stop();
                return true;
            case IDC_FEATURE_MENU:
                actions_.choose(hwnd(), item(IDC_FEATURE_ACTION));
                return true;
            case IDCANCEL:
                // A value that cannot be stored leaves the stored one as it was.
                if (!CountdownTimer::instance().isRunning()) store();
                close(IDCANCEL);
                return true;
            default:
                return false;
        }
    }
    void onTimer(tavel::win::timer::Timer&) override {
        CountdownTimer& timer = CountdownTimer::instance();
        // Finished while nobody looked: seeing it ends it.
        if (timer.isRunning() && timer.isFinished()) timer.stop();
        updateProgress();
    }
    void onStateChanged(CountdownTimer&) override {
        updateControls();
        updateProgress();
    }

    bool store() {
        wchar_t text[32] = L"";
        ::GetWindowTextW(item(IDC_COUNTDOWN_MINUTE), text, 32);
        const int minutes = readMinutes(text);
        if (minutes <= 0) {
            ::SetFocus(item(IDC_COUNTDOWN_MINUTE));
            ::SendMessageW(item(IDC_COUNTDOWN_MINUTE), CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
            ::MessageBeep(MB_ICONWARNING);
            return false;
        }
        CountdownTimerIni& settings = CountdownTimerIni::instance();
        settings.minute = minutes;
        const std::wstring action = actions_.selected(item(IDC_FEATURE_ACTION));
        if (!action.empty()) settings.action = action;
        return true;
    }
    void updateControls() {
        if (hwnd() == nullptr) return;
        const bool running = CountdownTimer::instance().isRunning();
        for (int id : {IDC_COUNTDOWN_MINUTE, IDC_FEATURE_ACTION, IDC_FEATURE_MENU, IDC_FEATURE_START})
            ::EnableWindow(item(id), running ? FALSE : TRUE);
        ::EnableWindow(item(IDC_FEATURE_STOP), running ? TRUE : FALSE);
    }
    void updateProgress() {
        if (hwnd() == nullptr) return;
        ::SendMessageW(item(IDC_COUNTDOWN_PROGRESS), PBM_SETPOS,
                       static_cast<WPARAM>(CountdownTimer::instance().progress()), 0);
    }

    ActionChoice actions_;
    tavel::win::timer::Timer tick_;
};

HWND openCountdownTimerDlg = nullptr;

}  // namespace

void showCountdownTimerDlg() {
    CountdownTimerDlg dialog;
    if (dialog.showModal(IDD_COUNTDOWNTIMER, nullptr, openCountdownTimerDlg) != 0) {
        LossNotice::save(CountdownTimerIni::instance());
    }
}

}  // namespace tavelapp

#include "feature/ExitSystemDlg.h"

#include <commctrl.h>

#include "config/DialogLocalizer.h"
#include "config/LossNotice.h"
#include "res/resource.h"
#include "win/util/CallbackGuard.h"
#include "win/util/MainThread.h"

namespace tavelapp {

ExitSystemDlg::ExitSystemDlg(int seconds, Done done)
    : seconds_(seconds < 0 ? 0 : seconds), remaining_(seconds_), done_(std::move(done)) {
    tavel::win::util::MainThread::check("ExitSystemDlg");
    tick_.setListener(this);
    ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_EXITSYSTEM), nullptr, &dialogProc,
                         reinterpret_cast<LPARAM>(this));
}

ExitSystemDlg::~ExitSystemDlg() {
    tick_.stop();
    tick_.setListener(nullptr);
    if (window_ != nullptr) ::DestroyWindow(window_);
}

INT_PTR CALLBACK ExitSystemDlg::dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return tavel::win::util::guardedOr<INT_PTR>("ExitSystemDlg", FALSE, [&]() -> INT_PTR {
        if (message == WM_INITDIALOG) {
            ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            reinterpret_cast<ExitSystemDlg*>(lParam)->onInit(dialog);
            return TRUE;
        }
        auto* self = reinterpret_cast<ExitSystemDlg*>(::GetWindowLongPtrW(dialog, DWLP_USER));
        if (self == nullptr) return FALSE;
        switch (message) {
            case WM_COMMAND:
                if (LOWORD(wParam) == IDOK) {
                    self->finish(true);
                    return TRUE;
                }
                if (LOWORD(wParam) == IDCANCEL) {
                    self->finish(false);
                    return TRUE;
                }
                return FALSE;
            case WM_CLOSE:
                self->finish(false);
                return TRUE;
            case WM_NCDESTROY:
                self->window_ = nullptr;
                return FALSE;
            default:
                return FALSE;
        }
    });
}

void ExitSystemDlg::onInit(HWND dialog) {
    window_ = dialog;
    localizeDialog(dialog, L"ExitSystemDlg");
    ::SendDlgItemMessageW(dialog, IDC_EXITSYSTEM_PROGRESS, PBM_SETRANGE32, 0, seconds_);
    ::SendDlgItemMessageW(dialog, IDC_EXITSYSTEM_PROGRESS, PBM_SETPOS, 0, 0);
    // On top of every window: the user must see that the session is about to end.
    ::SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ::SetForegroundWindow(dialog);
    if (!tick_.start(1000)) LossNotice::timerRefused();
}

void ExitSystemDlg::onTimer(tavel::win::timer::Timer&) {
    if (finished_) return;
    if (remaining_ > 0) {
        ::SendDlgItemMessageW(window_, IDC_EXITSYSTEM_PROGRESS, PBM_SETPOS, seconds_ - remaining_ + 1, 0);
        --remaining_;
        return;
    }
    finish(true);
}

void ExitSystemDlg::finish(bool goOn) {
    if (finished_) return;
    finished_ = true;
    tick_.stop();
    if (window_ != nullptr) ::ShowWindow(window_, SW_HIDE);
    // done may not destroy this object at once: it is inside its own window and timer.
    Done done = std::move(done_);
    if (done) done(goOn);
}

}  // namespace tavelapp

#pragma once
#include <windows.h>

#include <functional>

#include "win/timer/Timer.h"

namespace tavelapp {

// The countdown before the system exits: a modeless dialog on top of every
// window with a progress bar, Continue (1) and Abort (2). When the count is
// over or Continue is pressed it reports true; Abort and the close box report
// false. It reports once and hides; the owner destroys it afterwards, not
// from within the report.
class ExitSystemDlg : private tavel::win::timer::Timer::Listener {
public:
    using Done = std::function<void(bool goOn)>;

    // Main thread only. Shows the dialog; null window when it cannot be made.
    ExitSystemDlg(int seconds, Done done);
    ~ExitSystemDlg();
    ExitSystemDlg(const ExitSystemDlg&) = delete;
    ExitSystemDlg& operator=(const ExitSystemDlg&) = delete;

    HWND window() const { return window_; }
    int seconds() const { return seconds_; }
    int remaining() const { return remaining_; }
    bool finished() const { return finished_; }

private:
    static INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void onInit(HWND dialog);
    void onTimer(tavel::win::timer::Timer& timer) override;
    void finish(bool goOn);

    int seconds_;
    int remaining_;
    Done done_;
    bool finished_ = false;
    HWND window_ = nullptr;
    tavel::win::timer::Timer tick_;
};

}  // namespace tavelapp

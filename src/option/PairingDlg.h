#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "win/timer/Timer.h"

namespace tavelapp {

// The pairing window: while it is open (2 minutes at most) the web remote
// pairs a phone that scans its QR code (the page's address with a
// single-use ticket) or types its code at one of the listed addresses; the
// devices paired meanwhile are listed as they pair. Modeless, one at a
// time, on the main thread; it closes itself when pairing ends or the web
// remote stops.
class PairingDlg : private tavel::win::timer::Timer::Listener {
public:
    // Opens pairing on the running web remote (for the device at
    // `requester`, when one asked) and shows the window, or brings the open
    // one forward for the new pairing. turnedOnPort: the web remote was off
    // and now runs at that port (0: it ran already). False when no web
    // remote runs.
    static bool show(const std::string& requester, unsigned turnedOnPort);
    // The open window, null when none is.
    static HWND window();

    ~PairingDlg();
    PairingDlg(const PairingDlg&) = delete;
    PairingDlg& operator=(const PairingDlg&) = delete;

private:
    PairingDlg() = default;
    static INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void onInit(HWND dialog);
    void onTimer(tavel::win::timer::Timer& timer) override;
    void refresh();
    void drawCode(const DRAWITEMSTRUCT& item) const;
    void close();

    HWND window_ = nullptr;
    unsigned turnedOnPort_ = 0;
    std::string link_;
    std::vector<bool> modules_;  // the QR code, row by row
    int size_ = 0;               // modules per side
    std::string code_;
    std::size_t pairedShown_ = 0;
    tavel::win::timer::Timer tick_;
};

}  // namespace tavelapp

#pragma once

namespace tavelapp {

// The settings dialogs of the timers and the event action: modal, without
// owner, on the main thread. Each returns when its dialog closed (a second
// request while one is open brings that one forward and returns at once).
// Off Windows there are no dialogs and they return at once.
void showClockTimerDlg();
void showCountdownTimerDlg();
void showEventActionDlg();

}  // namespace tavelapp

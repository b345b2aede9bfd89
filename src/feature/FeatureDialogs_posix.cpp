#include "feature/FeatureDialogs.h"
#include "feature/QuickPlayDlg.h"

namespace tavelapp {

void showClockTimerDlg() {}
void showCountdownTimerDlg() {}
void showEventActionDlg() {}
int QuickPlayDlg::show() { return 2; }

}  // namespace tavelapp

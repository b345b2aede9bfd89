#include "action/RunActionDlg.h"

namespace tavelapp {

// Replaced by the dialog itself in RunActionDlgWindow_win.cpp once built.
int showRunActionDlg() { return 2; }

}  // namespace tavelapp

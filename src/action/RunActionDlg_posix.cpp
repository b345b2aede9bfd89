#include "action/RunActionDlg.h"

namespace tavelapp {

int showRunActionDlg() { return 2; }

}  // namespace tavelapp

#include "feature/InterruptPlayDlg.h"

namespace tavelapp {

void showInterruptPlayDlg(const std::wstring&) {}

}  // namespace tavelapp

#include "feature/ExitSystem.h"

namespace tavelapp {
namespace {

// No session to end off Windows.
class NoPowerControl : public PowerControl {
public:
    bool exitWindows(unsigned int) override { return false; }
};

}  // namespace

std::shared_ptr<PowerControl> systemPowerControl() { return std::make_shared<NoPowerControl>(); }

void showExitSystemDlg(const std::wstring&, int) {}

void closeExitSystemDlg() {}

}  // namespace tavelapp

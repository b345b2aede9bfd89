#pragma once
#include <functional>
#include <memory>
#include <string>

namespace tavelapp {
namespace itunes {
class PlayerHost;
}

// The calls that end the session. The real one ends every process of the
// session (under Wine every process of the prefix): tests install a double.
class PowerControl {
public:
    virtual ~PowerControl() = default;
    // ExitWindowsEx's flags (0 log off, 1 shut down, 2 reboot, 8 power off),
    // with the shutdown privilege; false when it could not be asked for.
    virtual bool exitWindows(unsigned int flags) = 0;
};

// Shutting down, restarting, powering off or logging off after a countdown,
// quitting the player first.
class ExitSystem {
public:
    static constexpr int kPlayerQuitChecks = 60;

    // The flags of "PowerOff", "Reboot", "Logoff" and "Shutdown" (exactly);
    // false for any other mode.
    static bool flagsFor(const std::wstring& mode, unsigned int& flags);
    // Leading digits; none gives 0.
    static int countdownSeconds(const std::wstring& parameter);

    // Quits a running player and waits, one check a second and at most 60,
    // for its window to go; then exits by mode. Runs on a worker.
    static void exitNow(const std::wstring& mode, itunes::PlayerHost& host, PowerControl& power,
                        const std::function<void()>& waitOneSecond);
    // The same with the program's player, power control and a real second.
    static void exitNow(const std::wstring& mode);

    // The process-wide power control; null restores the system's.
    static void installPowerControl(std::shared_ptr<PowerControl> power);
    static std::shared_ptr<PowerControl> powerControl();
};

// The system's own power control.
std::shared_ptr<PowerControl> systemPowerControl();

// Shows the countdown on the main thread; when it runs out or the user goes
// on, exitNow runs on a worker. Off Windows there is no countdown and nothing happens.
void showExitSystemDlg(const std::wstring& mode, int seconds);
// Closes a countdown still open, on the main thread, while the program ends:
// its window timer must go before the timers do.
void closeExitSystemDlg();

}  // namespace tavelapp

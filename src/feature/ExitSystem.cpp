#include "feature/ExitSystem.h"

#include <chrono>
#include <mutex>
#include <thread>

#include "base/AppException.h"
#include "player/PlayerHost.h"
#include "win/util/Com.h"
#include "win/util/CallbackGuard.h"

namespace tavelapp {
namespace {

std::mutex powerLock;
std::shared_ptr<PowerControl> installedPower;

}  // namespace

bool ExitSystem::flagsFor(const std::wstring& mode, unsigned int& flags) {
    // Never with the force flag: programs may still ask to save their work.
    if (mode == L"PowerOff") {
        flags = 8;
    } else if (mode == L"Reboot") {
        flags = 2;
    } else if (mode == L"Logoff") {
        flags = 0;
    } else if (mode == L"Shutdown") {
        flags = 1;
    } else {
        return false;
    }
    return true;
}

int ExitSystem::countdownSeconds(const std::wstring& parameter) {
    int seconds = 0;
    // Hand-written lists put a blank before the number ("Shutdown<tab> 60").
    const std::size_t first = parameter.find_first_not_of(L" \t");
    for (wchar_t c : parameter.substr(first == std::wstring::npos ? parameter.size() : first)) {
        if (c < L'0' || c > L'9') break;
        // A day is plenty; the product stays far from overflowing.
        seconds = seconds * 10 + (c - L'0');
        if (seconds > 86400) return 86400;
    }
    return seconds;
}

void ExitSystem::exitNow(const std::wstring& mode, itunes::PlayerHost& host, PowerControl& power,
                         const std::function<void()>& waitOneSecond) {
    if (host.isRunning()) {
        // Exit anyway: the player gets the session's end message too.
        tavel::win::util::guarded("ExitSystem: quit the player", [&] { host.quit(); });
        for (int check = 0; check < kPlayerQuitChecks && host.isRunning(); ++check)
            waitOneSecond();
    }
    unsigned int flags = 0;
    if (flagsFor(mode, flags)) power.exitWindows(flags);
}

void ExitSystem::exitNow(const std::wstring& mode) {
    tavel::win::util::ComApartment com;
    exitNow(mode, itunes::PlayerHost::instance(), *powerControl(),
            [] { std::this_thread::sleep_for(std::chrono::seconds(1)); });
}

void ExitSystem::installPowerControl(std::shared_ptr<PowerControl> power) {
    std::lock_guard<std::mutex> guard(powerLock);
    installedPower = std::move(power);
}

std::shared_ptr<PowerControl> ExitSystem::powerControl() {
    std::lock_guard<std::mutex> guard(powerLock);
    return installedPower ? installedPower : systemPowerControl();
}

}  // namespace tavelapp

#include <windows.h>

#include <memory>

#include "base/RunningThreads.h"
#include "base/Thread.h"
#include "feature/ExitSystem.h"
#include "feature/ExitSystemDlg.h"
#include "win/util/MainThread.h"

namespace tavelapp {
namespace {

class SystemPowerControl : public PowerControl {
public:
    bool exitWindows(unsigned int flags) override {
        OSVERSIONINFOW version = {};
        version.dwOSVersionInfoSize = sizeof version;
        if (::GetVersionExW(&version) && version.dwPlatformId != VER_PLATFORM_WIN32_NT)
            return ::ExitWindowsEx(flags, 0) != 0;
        HANDLE token = nullptr;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return false;
        TOKEN_PRIVILEGES privileges = {};
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        bool asked = false;
        if (::LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
            ::SetLastError(0);
            ::AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
            // Succeeds also when the privilege was not granted; only then is the error 0.
            if (::GetLastError() == 0) asked = ::ExitWindowsEx(flags, 0) != 0;
        }
        ::CloseHandle(token);
        return asked;
    }
};

// Quitting the player may take a minute: never on the main thread.
class ExitSystemThread : public Thread {
public:
    explicit ExitSystemThread(std::wstring mode) : mode_(std::move(mode)) {}

protected:
    int run() override {
        ExitSystem::exitNow(mode_);
        return 0;
    }

private:
    std::wstring mode_;
};

std::unique_ptr<ExitSystemDlg> openDialog;

}  // namespace

std::shared_ptr<PowerControl> systemPowerControl() {
    static std::shared_ptr<PowerControl> power = std::make_shared<SystemPowerControl>();
    return power;
}

void showExitSystemDlg(const std::wstring& mode, int seconds) {
    static_cast<void>(tavel::win::util::MainThread::post([mode, seconds] {
        // A countdown already running is brought forward; a second one would race it.
        if (openDialog) {
            if (openDialog->window() != nullptr) ::SetForegroundWindow(openDialog->window());
            return;
        }
        openDialog = std::make_unique<ExitSystemDlg>(seconds, [mode](bool goOn) {
            if (goOn) runningThreads().start(std::make_shared<ExitSystemThread>(mode));
            static_cast<void>(tavel::win::util::MainThread::post([] { openDialog.reset(); }));
        });
        if (openDialog->window() == nullptr) openDialog.reset();
    }));
}

void closeExitSystemDlg() { openDialog.reset(); }

}  // namespace tavelapp

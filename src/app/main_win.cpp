#include <objbase.h>
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "base/AppPaths.h"
#include "app/AppWnd.h"
#include "app/CommandChannel.h"
#include "app/ControllerRules.h"
#include "app/NullModule.h"
#include "action/ActionPluginMgr.h"
#include "base/RunningThreads.h"
#include "base/WorkerPool.h"
#include "app/Wiring.h"
#include "artwork/LoaderMgr.h"
#include "player/com/ITunesCom.h"
#include "win/util/Com.h"
#include "win/util/DllSearch.h"
#include "win/util/MainThread.h"
#include "win/util/Shell.h"
#include "win/util/Handle.h"

// Plug-in entry points, so the program file loads like an action plug-in library.
extern "C" {
std::int32_t __stdcall Initialize(std::uint32_t arg) { return tavel::nsmpi::NullModule::instance().initialize(arg); }
std::int32_t __stdcall Terminate() { return tavel::nsmpi::NullModule::instance().terminate(); }
std::int32_t __stdcall GetPluginInfo(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    return tavel::nsmpi::NullModule::instance().getPluginInfo(a, b, c);
}
}

namespace {

// The time left of the exit's deadline, for each wait of the orderly path.
class ExitClock {
public:
    explicit ExitClock(DWORD deadline) : deadline_(deadline) {}
    unsigned int left() const {
        const auto rest = static_cast<std::int32_t>(deadline_ - ::GetTickCount());
        return rest > 0 ? static_cast<unsigned int>(rest) : 0u;
    }

private:
    const DWORD deadline_;
};

struct Watchdog {
    DWORD deadline;
    UINT exitCode;
};

DWORD WINAPI watchdogMain(LPVOID parameter) {
    const Watchdog watchdog = *static_cast<Watchdog*>(parameter);
    delete static_cast<Watchdog*>(parameter);
    ::Sleep(ExitClock(watchdog.deadline).left());
    // Nothing can hold this up: not a lock, not a thread, not a library.
    ::TerminateProcess(::GetCurrentProcess(), watchdog.exitCode);
    return 0;
}

// Ends the process at the deadline unless the orderly path ends it first. Without a thread of its own, the
// settings being saved, the process ends now: nothing else bounds the rest.
void startWatchdog(DWORD deadline, UINT exitCode) {
    auto* watchdog = new Watchdog{deadline, exitCode};
    HANDLE thread = ::CreateThread(nullptr, 64 * 1024, &watchdogMain, watchdog, 0, nullptr);
    if (thread == nullptr) {
        delete watchdog;
        ::TerminateProcess(::GetCurrentProcess(), exitCode);
    }
    ::CloseHandle(thread);
}

std::wstring moduleFileName() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

// Tab, Enter and Esc in the modeless dialogs (the shutdown countdown): modal
// ones run loops of their own.
bool isDialogMessage(MSG& message) {
    if (message.hwnd == nullptr) return false;
    HWND root = ::GetAncestor(message.hwnd, GA_ROOT);
    wchar_t name[8] = L"";
    if (root == nullptr || ::GetClassNameW(root, name, 8) == 0 || std::wcscmp(name, L"#32770") != 0) return false;
    return ::IsDialogMessageW(root, &message) != FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    using tavel::win::util::Handle;
    // First of all: every library loaded from now on by name comes from the system folder.
    tavel::win::util::DllSearch::restrictToSystemFolder();

    Handle mutex;
    if (!tavelapp::ControllerRules::skipsSingleInstanceCheck(commandLine != nullptr ? commandLine : L"")) {
        // A command for the running copy (or help): this process never becomes one.
        tavelapp::CommandRequest request;
        const auto parsed = tavelapp::CommandRequest::parse(tavelapp::CommandChannel::arguments(), request);
        if (parsed != tavelapp::CommandRequest::Parsed::Start) {
            tavelapp::AppPaths::setProgramPath(moduleFileName());
            return tavelapp::CommandChannel::run(parsed, request);
        }
        mutex.reset(::CreateMutexW(nullptr, FALSE, tavelapp::ControllerRules::kSingleInstanceMutex));
        if (::GetLastError() == ERROR_ALREADY_EXISTS) return 0;
    }

    auto com = std::make_unique<tavel::win::util::ComApartment>();
    tavel::win::util::MainThread::attach();
    tavelapp::AppPaths::setProgramPath(moduleFileName());
    tavelapp::wireLayers();
    // The only copy runs now: what a crash left of its work files can go.
    tavelapp::artwork::removeLeftovers();

    int exitCode = 0;
    auto window = std::make_unique<tavelapp::AppWnd>();
    if (window->create()) {
        ::ShowWindow(window->hwnd(), SW_HIDE);
        ::UpdateWindow(window->hwnd());
        if (mutex) tavelapp::CommandChannel::markTarget(window->hwnd());

        MSG message{};
        BOOL got;
        while ((got = ::GetMessageW(&message, nullptr, 0, 0)) > 0) {
            if (isDialogMessage(message)) continue;
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        exitCode = got == 0 ? static_cast<int>(message.wParam) : 1;
    } else {
        exitCode = 1;
    }
    const ExitClock clock(::GetTickCount() + tavelapp::ControllerRules::kExitDeadlineMs);
    // What the user must not lose comes first: the tray icon goes, the
    // settings are saved (a failure is told now, while a box can be seen),
    // and a new start need not wait for the rest.
    window->beginExit();
    mutex.reset();
    startWatchdog(::GetTickCount() + clock.left(), static_cast<UINT>(exitCode));

    // The orderly path, within the same deadline: the end-up action, the
    // servers and observation go with the controller.
    window->destroy();
    window.reset();
    // Workers waiting for a program they started (a browser, a script) stop
    // waiting; the programs run on. Nor do they keep asking a player that
    // shows a dialog.
    tavel::win::util::stopWaitingForPrograms();
    tavelapp::ITunesCom::stopWaiting();
    // Workers and library actions end while the settings, the plug-in
    // libraries and COM still exist.
    const bool ended = tavelapp::runningThreads().waitAllFor(clock.left()) &&
                       tavelapp::ActionPluginMgr::instance().waitForActions(clock.left()) &&
                       tavelapp::runningThreads().waitAllFor(clock.left());
    // The workers let go of their player connections while COM still runs.
    if (!ended || !tavelapp::WorkerPool::instance().shutdown(std::chrono::milliseconds(clock.left()))) {
        // A thread stuck in a call may still be inside a plug-in library:
        // the libraries are not ended under it.
        ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(exitCode));
    }
    tavelapp::ActionPluginMgr::instance().endLibraries();
    tavel::win::util::MainThread::detach();
    // Nothing is left to save and every library was ended, so the process
    // ends here without static destructors or the system libraries' detach
    // notifications: COM's would release proxies to the player after
    // ExitProcess had already ended the threads that carry those calls (a
    // crash at exit, seldom, under Wine).
    ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(exitCode));
    return static_cast<int>(exitCode);
}

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

// How long the exit waits for each group of workers still running.
const unsigned int kExitWaitMs = 10000;

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
        mutex.reset(::CreateMutexW(nullptr, FALSE, L"tavelapp_Kolibrix"));
        if (::GetLastError() == ERROR_ALREADY_EXISTS) return 0;
    }

    auto com = std::make_unique<tavel::win::util::ComApartment>();
    tavel::win::util::MainThread::attach();
    tavelapp::AppPaths::setProgramPath(moduleFileName());
    tavelapp::wireLayers();
    // The only copy runs now: what a crash left of its work files can go.
    tavelapp::artwork::removeLeftovers();

    int exitCode = 0;
    {
        auto window = std::make_unique<tavelapp::AppWnd>();
        if (window->create()) {
            ::ShowWindow(window->hwnd(), SW_HIDE);
            ::UpdateWindow(window->hwnd());

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
        window->destroy();
        // The window object goes here, and the controller with it.
    }
    // The settings are saved: a new start need not wait for our workers.
    mutex.reset();
    // Workers waiting for a program they started (a browser, a script) stop
    // waiting; the programs run on.
    tavel::win::util::stopWaitingForPrograms();
    // Nor do they keep asking a player that shows a dialog.
    tavelapp::ITunesCom::stopWaiting();
    // Workers and library actions end while the settings, the plug-in
    // libraries and COM still exist. One that never ends must not keep an
    // invisible process alive, nor die under the static destructors.
    const bool ended = tavelapp::runningThreads().waitAllFor(kExitWaitMs) &&
                       tavelapp::ActionPluginMgr::instance().waitForActions(kExitWaitMs) &&
                       tavelapp::runningThreads().waitAllFor(kExitWaitMs);
    if (!ended) ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(exitCode));
    // The workers let go of their player connections while COM still runs;
    // one stuck there must not keep the process either.
    if (!tavelapp::WorkerPool::instance().shutdown(std::chrono::milliseconds(kExitWaitMs))) {
        ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(exitCode));
    }
    tavel::win::util::MainThread::detach();
    com.reset();
    return exitCode;
}

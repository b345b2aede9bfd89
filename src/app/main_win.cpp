#include <objbase.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/AppPaths.h"
#include "app/AppWnd.h"
#include "app/ControllerRules.h"
#include "app/NullModule.h"
#include "app/RunningThreads.h"
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

std::wstring moduleFileName() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    using tavel::win::util::Handle;

    Handle mutex;
    if (!tavelapp::ControllerRules::skipsSingleInstanceCheck(commandLine != nullptr ? commandLine : L"")) {
        mutex.reset(::CreateMutexW(nullptr, FALSE, L"tavelapp_Kolibrix"));
        if (::GetLastError() == ERROR_ALREADY_EXISTS) return 0;
    }

    ::CoInitialize(nullptr);
    tavelapp::AppPaths::setProgramPath(moduleFileName());

    int exitCode = 0;
    {
        auto window = std::make_unique<tavelapp::AppWnd>();
        if (window->create()) {
            ::ShowWindow(window->hwnd(), SW_HIDE);
            ::UpdateWindow(window->hwnd());

            MSG message{};
            BOOL got;
            while ((got = ::GetMessageW(&message, nullptr, 0, 0)) > 0) {
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
    // Workers may still use COM: let them end before it goes.
    tavelapp::runningThreads().waitAll();
    ::CoUninitialize();
    if (mutex) ::ReleaseMutex(mutex.get());
    return exitCode;
}

// Drives Kolibrix from outside in tests and demos, as a user's system would:
//   kxctl wait-app [timeout-ms]       waits for the program's window; prints its count
//   kxctl count-app                   prints how many copies have their window
//   kxctl quit [code]                 posts the quit message to every copy
//   kxctl start <exe> <raw-args> [ms] starts exe with the raw command line tail and
//                                     prints "exit <code>" or "running" after ms
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

const wchar_t kPrefix[] = L"tavelapp:AppWnd:";

BOOL CALLBACK collect(HWND hwnd, LPARAM param) {
    wchar_t name[256];
    if (::GetClassNameW(hwnd, name, 256) > 0 && std::wcsncmp(name, kPrefix, std::wcslen(kPrefix)) == 0) {
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    }
    return TRUE;
}

std::vector<HWND> appWindows() {
    std::vector<HWND> windows;
    ::EnumWindows(&collect, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const std::wstring command = argv[1];
    if (command == L"wait-app" || command == L"count-app") {
        const DWORD timeout = (command == L"wait-app" && argc > 2) ? std::wcstoul(argv[2], nullptr, 10) : 0;
        const DWORD startTick = ::GetTickCount();
        std::vector<HWND> windows = appWindows();
        while (command == L"wait-app" && windows.empty() && ::GetTickCount() - startTick < timeout) {
            ::Sleep(100);
            windows = appWindows();
        }
        std::printf("%u\n", static_cast<unsigned>(windows.size()));
        return (command == L"wait-app" && windows.empty()) ? 1 : 0;
    }
    if (command == L"quit") {
        const WPARAM code = argc > 2 ? std::wcstoul(argv[2], nullptr, 10) : 0;
        std::vector<HWND> windows = appWindows();
        for (HWND hwnd : windows) {
            const DWORD thread = ::GetWindowThreadProcessId(hwnd, nullptr);
            ::PostThreadMessageW(thread, WM_QUIT, code, 0);
        }
        std::printf("%u\n", static_cast<unsigned>(windows.size()));
        return windows.empty() ? 1 : 0;
    }
    if (command == L"start" && argc >= 4) {
        std::wstring line = L"\"" + std::wstring(argv[2]) + L"\"" + argv[3];
        const DWORD wait = argc > 4 ? std::wcstoul(argv[4], nullptr, 10) : 5000;
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (!::CreateProcessW(argv[2], &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            std::printf("failed %lu\n", ::GetLastError());
            return 1;
        }
        ::CloseHandle(pi.hThread);
        DWORD code = 0;
        if (::WaitForSingleObject(pi.hProcess, wait) == WAIT_OBJECT_0 && ::GetExitCodeProcess(pi.hProcess, &code)) {
            std::printf("exit %lu\n", code);
        } else {
            std::printf("running\n");
        }
        ::CloseHandle(pi.hProcess);
        return 0;
    }
    return 2;
}

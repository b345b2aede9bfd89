#pragma once
#include <windows.h>

#include <commctrl.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>

// Runs the thread's message loop until pred holds or timeoutMs passed. The
// time is checked between messages too: a window that keeps posting to
// itself (or never validates its paint) must not keep the test here.
inline bool pumpUntil(const std::function<bool()>& pred, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        while (::GetTickCount() - start < timeoutMs && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (pred && pred()) return true;
        if (::GetTickCount() - start >= timeoutMs) return pred ? pred() : true;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

inline void pumpFor(DWORD ms) { pumpUntil(nullptr, ms); }

// Clicks a dialog's button the way the button itself reports a click.
inline void press(HWND dialog, int id) {
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

inline bool enabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }

// A file's bytes; empty when it cannot be read.
inline std::string fileText(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The text of a dialog's control.
inline std::wstring itemText(HWND dialog, int id) {
    wchar_t buffer[512] = L"";
    ::GetDlgItemTextW(dialog, id, buffer, 512);
    return buffer;
}

// A list view's row count, and the text of one of its cells.
inline int listRows(HWND list) { return static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

inline std::wstring listCell(HWND list, int row, int column) {
    wchar_t buffer[256] = L"";
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 256;
    ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return buffer;
}

inline std::wstring modulePath() {
    wchar_t buffer[MAX_PATH];
    DWORD n = ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    return std::wstring(buffer, n);
}

inline std::wstring moduleFolder() {
    std::wstring p = modulePath();
    return p.substr(0, p.find_last_of(L'\\'));
}

// Runs simplayer.exe (beside the test program) with the arguments and waits
// for it to end; returns its exit code (998/999 when it could not be run).
inline DWORD runSimPlayer(const std::wstring& arguments) {
    std::wstring exe = moduleFolder() + L"\\simplayer.exe";
    std::wstring line = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 999;
    ::WaitForSingleObject(pi.hProcess, 20000);
    DWORD code = 998;
    ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return code;
}

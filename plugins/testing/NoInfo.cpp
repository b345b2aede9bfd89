// Test library without GetPluginInfo: it records the host's calls so a test
// can read them back through TakeLog.
#include <windows.h>

#include <mutex>
#include <string>

namespace {

std::mutex logLock;
std::wstring callLog;

void record(const std::wstring& line) {
    std::lock_guard<std::mutex> guard(logLock);
    callLog += line;
    callLog += L'\n';
}

}  // namespace

extern "C" {

int WINAPI Initialize(HWND window, UINT message, UINT index) {
    record(L"Initialize " + std::to_wstring(reinterpret_cast<UINT_PTR>(window)) + L" " + std::to_wstring(message) +
           L" " + std::to_wstring(index));
    return 0;
}

int WINAPI Terminate() {
    record(L"Terminate");
    return 0;
}

BOOL WINAPI ActionExists(const wchar_t* name) { return ::lstrcmpW(name, L"noinfo_echo") == 0; }

int WINAPI RunAction(const wchar_t* name, const wchar_t** params, int count) {
    std::wstring line = L"RunAction " + std::wstring(name) + L" " + std::to_wstring(count) + L":";
    for (int i = 0; i < count; ++i)
        line += L" [" + std::wstring(params[i]) + L"]";
    // The host ends the array with a null, argv style.
    if (params[count] != nullptr) line += L" unterminated";
    record(line);
    return 0;
}

// Copies the log so far (truncated to the buffer) and clears it.
int WINAPI TakeLog(wchar_t* buffer, int chars) {
    std::lock_guard<std::mutex> guard(logLock);
    ::lstrcpynW(buffer, callLog.c_str(), chars);
    callLog.clear();
    return 0;
}

}  // extern "C"

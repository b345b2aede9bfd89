// A sample action plug-in library: a few utility actions that show the
// conventions a library follows. See README.md beside this file.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>

namespace {

// What Initialize received; the host calls it once before anything else.
HWND hostWindow = nullptr;
UINT hostMessage = 0;
UINT pluginIndex = 0;

const wchar_t* const kActions[] = {L"sample_copytime", L"sample_openfolder", L"sample_writefile", L"sample_wait"};

bool isOurs(const wchar_t* name) {
    if (name == nullptr) return false;
    for (const wchar_t* a : kActions)
        if (::lstrcmpW(a, name) == 0) return true;
    return false;
}

void copyText(const wchar_t* info, wchar_t* buffer, int bufferBytes) {
    const int chars = bufferBytes / static_cast<int>(sizeof(wchar_t));
    if (buffer == nullptr || chars <= 0) return;
    ::lstrcpynW(buffer, info, chars);
}

std::string toUtf8(const std::wstring& text) {
    const int n =
        ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

// Paths in list files may use environment variables such as %TEMP%.
std::wstring expand(const wchar_t* text) {
    const DWORD n = ::ExpandEnvironmentStringsW(text, nullptr, 0);
    if (n == 0) return text;
    std::wstring out(n, L'\0');
    ::ExpandEnvironmentStringsW(text, &out[0], n);
    out.resize(n - 1);
    return out;
}

// Appends one line (UTF-8) to the file, creating it when missing.
bool appendLine(const wchar_t* path, const std::wstring& line) {
    HANDLE file = ::CreateFileW(expand(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const std::string bytes = toUtf8(line + L"\r\n");
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok != FALSE && written == bytes.size();
}

bool copyTime() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    wchar_t text[32];
    ::wsprintfW(text, L"%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                now.wSecond);
    const SIZE_T bytes = (::lstrlenW(text) + 1) * sizeof(wchar_t);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr) return false;
    void* target = ::GlobalLock(memory);
    if (target != nullptr) ::CopyMemory(target, text, bytes);
    ::GlobalUnlock(memory);
    // Another program may hold the clipboard for a moment.
    bool opened = false;
    for (int attempt = 0; attempt < 10 && !opened; ++attempt) {
        opened = ::OpenClipboard(nullptr) != FALSE;
        if (!opened) ::Sleep(20);
    }
    if (!opened) {
        ::GlobalFree(memory);
        return false;
    }
    ::EmptyClipboard();
    const bool ok = ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    ::CloseClipboard();
    // The clipboard owns the memory only when SetClipboardData succeeded.
    if (!ok) ::GlobalFree(memory);
    return ok;
}

bool openFolder(const wchar_t* folder) {
    // The shell may use COM on this worker thread.
    const HRESULT init = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const HINSTANCE result =
        ::ShellExecuteW(nullptr, L"explore", expand(folder).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    if (SUCCEEDED(init)) ::CoUninitialize();
    return reinterpret_cast<INT_PTR>(result) > 32;
}

bool writeFile(const wchar_t* const* params, int count) {
    std::wstring line;
    for (int i = 1; i < count; ++i) {
        if (i > 1) line += L' ';
        line += params[i];
    }
    return appendLine(params[0], line);
}

// With a file as parameter 1, notes the start and the end of the wait there,
// which shows how library actions queue behind each other.
bool wait(const wchar_t* const* params, int count) {
    const int ms = ::_wtoi(params[0]);
    if (count >= 2 && !appendLine(params[1], L"waiting")) return false;
    ::Sleep(ms > 0 ? static_cast<DWORD>(ms) : 0);
    if (count < 2) return true;
    wchar_t line[32];
    ::wsprintfW(line, L"waited %d", ms);
    return appendLine(params[1], line);
}

}  // namespace

extern "C" {

int WINAPI Initialize(HWND window, UINT message, UINT index) {
    hostWindow = window;
    hostMessage = message;
    pluginIndex = index;
    return 0;
}

int WINAPI Terminate() { return 0; }

int WINAPI GetPluginInfo(int kind, wchar_t* buffer, int bufferBytes) {
    // 1 the name ("category/name"), 4 the controlled program (none: a utility).
    if (kind == 1) copyText(L"Utility/Sample", buffer, bufferBytes);
    if (kind == 4) copyText(L"", buffer, bufferBytes);
    return 0;
}

BOOL WINAPI ActionExists(const wchar_t* name) { return isOurs(name); }

BOOL WINAPI IsActionAvailable(const wchar_t* name) { return isOurs(name); }

// None of these needs the player.
BOOL WINAPI IsPlayerAction(const wchar_t*) { return FALSE; }

int WINAPI RunAction(const wchar_t* name, const wchar_t** params, int count) {
    bool ok = false;
    if (::lstrcmpW(name, L"sample_copytime") == 0) {
        ok = copyTime();
    } else if (::lstrcmpW(name, L"sample_openfolder") == 0) {
        ok = count >= 1 && openFolder(params[0]);
    } else if (::lstrcmpW(name, L"sample_writefile") == 0) {
        ok = count >= 1 && writeFile(params, count);
    } else if (::lstrcmpW(name, L"sample_wait") == 0) {
        ok = count >= 1 && wait(params, count);
    }
    // Tell the host something may have changed; it may be gone already.
    if (hostWindow != nullptr) ::PostMessageW(hostWindow, hostMessage, pluginIndex, 1);
    return ok ? 0 : 1;
}

}  // extern "C"

#include "win/util/DllSearch.h"

#include "win/util/SystemLibrary.h"

namespace tavel {
namespace win {
namespace util {
namespace {

// "C:\..." or "\\server\..."; the separators already made backslashes.
bool isFullPath(const std::wstring& path) {
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return true;
    return path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\';
}

std::wstring environment(const wchar_t* name) {
    wchar_t value[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(name, value, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::wstring();
    return std::wstring(value, length);
}

}  // namespace

void DllSearch::restrictToSystemFolder() {
    // The current folder leaves the search even where the flags below are unknown.
    ::SetDllDirectoryW(L"");
    // Windows 8 and later, and 7 with its update: looked up, so 7 without it still runs.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    auto set = kernel != nullptr ? reinterpret_cast<SetDefaultDllDirectoriesFn>(
                                       reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")))
                                 : nullptr;
    if (set != nullptr) set(LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_SEARCH_USER_DIRS);
}

HMODULE DllSearch::loadSystem(const wchar_t* name, const wchar_t* testOverride) {
    if (testOverride != nullptr) {
        std::wstring path = environment(testOverride);
        for (wchar_t& c : path) {
            if (c == L'/') c = L'\\';
        }
        if (isFullPath(path)) return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    return static_cast<HMODULE>(SystemLibrary::module(name));
}

HMODULE DllSearch::loadInstalled(const std::wstring& path) {
    HMODULE module =
        ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    // A system without the search flags (Windows 7 before its update).
    if (module == nullptr && ::GetLastError() == ERROR_INVALID_PARAMETER)
        module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    return module;
}

}  // namespace util
}  // namespace win
}  // namespace tavel

#include "win/util/SystemLibrary.h"
#include "win/util/CallbackGuard.h"

#include <windows.h>
#include <delayimp.h>

#include <cwctype>
#include <map>
#include <mutex>
#include <string>

namespace tavel {
namespace win {
namespace util {
namespace {

std::mutex modulesLock;

// By lower-case file name; only successful loads, which are never freed
// because delay-loaded calls keep pointing into them.
std::map<std::wstring, HMODULE>& loaded() {
    static std::map<std::wstring, HMODULE> modules;
    return modules;
}

HMODULE loadFromSystemFolder(const std::wstring& name) {
    HMODULE module = ::LoadLibraryExW(name.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr && ::GetLastError() == ERROR_INVALID_PARAMETER) {
        // A system without the search flags (Windows 7 before its update): the full path.
        wchar_t folder[MAX_PATH];
        const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return nullptr;
        module = ::LoadLibraryW((std::wstring(folder, length) + L'\\' + name).c_str());
    }
    return module;
}

HMODULE moduleOf(std::wstring name) {
    for (wchar_t& c : name)
        c = static_cast<wchar_t>(std::towlower(c));
    std::lock_guard<std::mutex> guard(modulesLock);
    auto found = loaded().find(name);
    if (found != loaded().end()) return found->second;
    HMODULE module = loadFromSystemFolder(name);
    if (module != nullptr) loaded().emplace(name, module);
    return module;
}

// The delay-load helper asks before it loads a library itself; the library
// names in the import tables are ASCII.
FARPROC WINAPI beforeDelayLoad(unsigned reason, PDelayLoadInfo info) {
    if (reason != dliNotePreLoadLibrary || info == nullptr || info->szDll == nullptr) return nullptr;
    // Nothing may leave the helper; it then loads the library by its own search.
    return guardedOr<FARPROC>("delay-load helper", nullptr, [info] {
        std::wstring name;
        for (const char* c = info->szDll; *c != '\0'; ++c)
            name += static_cast<wchar_t>(static_cast<unsigned char>(*c));
        return reinterpret_cast<FARPROC>(moduleOf(name));
    });
}

}  // namespace

bool SystemLibrary::load(const wchar_t* name) {
    return guardedOr("SystemLibrary::load", false, [name] { return moduleOf(name) != nullptr; });
}

void* SystemLibrary::module(const wchar_t* name) {
    return guardedOr<void*>("SystemLibrary::module", nullptr, [name] { return static_cast<void*>(moduleOf(name)); });
}

}  // namespace util
}  // namespace win
}  // namespace tavel

// The helper's hook, read by the delay-load helper of the runtime.
#if defined(_MSC_VER)
extern "C" const PfnDliHook __pfnDliNotifyHook2 = tavel::win::util::beforeDelayLoad;
#else
extern "C" PfnDliHook __pfnDliNotifyHook2 = tavel::win::util::beforeDelayLoad;
#endif

#include "feature/StartupEntry.h"

#include <windows.h>

#include "base/AppPaths.h"
#include "win/util/Handle.h"
#include "win/util/StringUtil.h"

namespace tavelapp {
namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring unquoted(std::wstring text) {
    if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"') text = text.substr(1, text.size() - 2);
    return text;
}

}  // namespace

const wchar_t StartupEntry::kValueName[] = L"Kolibrix";

std::wstring StartupEntry::command() { return L"\"" + AppPaths::programPath() + L"\""; }

bool StartupEntry::registered() {
    tavel::win::util::RegKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, key.receive()) != ERROR_SUCCESS) return false;
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key.get(), kValueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || size == 0) return false;
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    if (::RegQueryValueExW(key.get(), kValueName, nullptr, &type, reinterpret_cast<BYTE*>(&value[0]), &size) !=
        ERROR_SUCCESS)
        return false;
    value.resize(wcsnlen(value.c_str(), value.size()));
    // A value left by a copy elsewhere does not start this one.
    return tavel::win::util::asciiLower(unquoted(value)) == tavel::win::util::asciiLower(AppPaths::programPath());
}

bool StartupEntry::set(bool on) {
    tavel::win::util::RegKey key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.receive(), nullptr) !=
        ERROR_SUCCESS)
        return false;
    if (!on) {
        const LONG result = ::RegDeleteValueW(key.get(), kValueName);
        return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
    }
    const std::wstring value = command();
    return ::RegSetValueExW(key.get(), kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace tavelapp

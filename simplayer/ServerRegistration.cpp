#include "ServerRegistration.h"

#include <windows.h>

#include "PlayerIds.h"

namespace simplayer {

namespace {

const wchar_t kAppPathsKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\iTunes.exe";

class RegKey {
public:
    RegKey() = default;
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    ~RegKey() {
        if (key_ != nullptr) ::RegCloseKey(key_);
    }
    bool create(HKEY root, const std::wstring& path) {
        return ::RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key_, nullptr) ==
               ERROR_SUCCESS;
    }
    bool open(HKEY root, const std::wstring& path) {
        return ::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key_) == ERROR_SUCCESS;
    }
    bool setText(const wchar_t* name, const std::wstring& value) {
        const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
        return ::RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes) ==
               ERROR_SUCCESS;
    }
    std::wstring text(const wchar_t* name) const {
        wchar_t buffer[1024] = {};
        DWORD bytes = sizeof(buffer) - sizeof(wchar_t);
        DWORD type = 0;
        if (::RegQueryValueExW(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes) != ERROR_SUCCESS ||
            type != REG_SZ) {
            return std::wstring();
        }
        return std::wstring(buffer);
    }

private:
    HKEY key_ = nullptr;
};

// COM reads classes from the machine part of HKEY_CLASSES_ROOT on Wine and
// from either part on Windows; a user without rights there gets the user part.
const HKEY kClassRoots[] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};

std::wstring classKey() { return std::wstring(L"Software\\Classes\\CLSID\\") + kAppClassIdText; }
std::wstring progIdKey() { return std::wstring(L"Software\\Classes\\") + kProgId; }
std::wstring quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

bool writeClass(HKEY root, const std::wstring& exePath) {
    RegKey cls, server, progIdOfClass, progId, progIdClass;
    return cls.create(root, classKey()) && cls.setText(nullptr, L"iTunes") &&
           server.create(root, classKey() + L"\\LocalServer32") && server.setText(nullptr, quoted(exePath)) &&
           progIdOfClass.create(root, classKey() + L"\\ProgID") && progIdOfClass.setText(nullptr, kProgId) &&
           progId.create(root, progIdKey()) && progId.setText(nullptr, L"iTunes") &&
           progIdClass.create(root, progIdKey() + L"\\CLSID") && progIdClass.setText(nullptr, kAppClassIdText);
}

bool deleteTree(HKEY root, const std::wstring& path) {
    const LSTATUS status = ::RegDeleteTreeW(root, path.c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

}  // namespace

bool ServerRegistration::install(const std::wstring& exePath) {
    bool classWritten = false;
    for (HKEY root : kClassRoots) {
        if (writeClass(root, exePath)) {
            classWritten = true;
            break;
        }
    }
    RegKey appPath;
    return classWritten && appPath.create(HKEY_LOCAL_MACHINE, kAppPathsKey) && appPath.setText(nullptr, exePath);
}

bool ServerRegistration::uninstall(const std::wstring& exePath) {
    bool ok = true;
    for (HKEY root : kClassRoots) {
        bool ours = false;
        {
            RegKey server;
            ours = server.open(root, classKey() + L"\\LocalServer32") &&
                   ::lstrcmpiW(server.text(nullptr).c_str(), quoted(exePath).c_str()) == 0;
        }
        if (ours) ok = deleteTree(root, classKey()) && deleteTree(root, progIdKey()) && ok;
    }
    bool ours = false;
    {
        RegKey appPath;
        ours = appPath.open(HKEY_LOCAL_MACHINE, kAppPathsKey) &&
               ::lstrcmpiW(appPath.text(nullptr).c_str(), exePath.c_str()) == 0;
    }
    if (ours) ok = deleteTree(HKEY_LOCAL_MACHINE, kAppPathsKey) && ok;
    return ok;
}

}  // namespace simplayer

#pragma once
#include <string>

namespace simplayer {

// The registry entries that make this program the player for COM clients and
// for programs that start the player by its "App Paths" entry.
class ServerRegistration {
public:
    // The class (LocalServer32, ProgID) and App Paths\iTunes.exe, all naming
    // `exePath`. False if an entry could not be written.
    static bool install(const std::wstring& exePath);
    // Removes the entries, but only those that name `exePath`: a real
    // installation's entries are left alone. False if one could not be removed.
    static bool uninstall(const std::wstring& exePath);
};

}  // namespace simplayer

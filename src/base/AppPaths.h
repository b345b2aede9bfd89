#pragma once
#include <string>

namespace tavelapp {

// Where the program lives and where its settings go. Paths are Windows-style
// (backslash separators) everywhere; the platform file layer converts them.
class AppPaths {
public:
    // Set once at start from the module file name (tests set their own).
    static void setProgramPath(const std::wstring& path);
    static std::wstring programPath();
    // Everything up to the last backslash of the program path.
    static std::wstring programFolder();
    // Program folder + "\" + program file name without extension; created on first use.
    static std::wstring settingsFolder();
};

}  // namespace tavelapp

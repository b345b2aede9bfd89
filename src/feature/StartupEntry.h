#pragma once
#include <string>

namespace tavelapp {

// "Start with Windows": the program's value under the user's Run key. The
// registry is the only record, so the menu agrees with what Windows will do
// even after the user removed the value elsewhere or moved the program.
class StartupEntry {
public:
    static const wchar_t kValueName[];

    // The command line Windows would run: this program, quoted.
    static std::wstring command();
    // Whether the Run value is there and starts this very program.
    static bool registered();
    // Adds or removes the value; false when the registry refused.
    static bool set(bool on);
};

}  // namespace tavelapp

#pragma once
#include <windows.h>

#include <string>

namespace tavel {
namespace win {
namespace util {

// Where libraries come from. The program is often unpacked into a folder of
// downloads, where anyone may have left a file named like a system library:
// nothing is loaded by name from the program's folder or the current one.
class DllSearch {
public:
    // At start, before anything loads a library: a library named without a
    // path is looked for in the system folder only (and in folders added on
    // purpose with AddDllDirectory), never beside the program or in the
    // current folder.
    static void restrictToSystemFolder();

    // A system library (L"dinput.dll") from the system folder. Tests put a
    // double in its place by naming the double's full path in the environment
    // variable `testOverride`; an empty variable, or one that is no full path,
    // changes nothing.
    static HMODULE loadSystem(const wchar_t* name, const wchar_t* testOverride = nullptr);

    // A library the user installed (action or decoder plug-in, Wii remote
    // library), by its full path; libraries it needs are looked for in its
    // own folder first, then as for the program.
    static HMODULE loadInstalled(const std::wstring& path);
};

}  // namespace util
}  // namespace win
}  // namespace tavel

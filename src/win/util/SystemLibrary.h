#pragma once

namespace tavel {
namespace win {
namespace util {

// The system libraries that only some features use are delay-loaded (see
// cmake/DelayImport.cmake): loaded at the first call into them, from the
// system folder rather than by the search that looks beside the program first.
// A feature asks here before its first call into one: when the library cannot
// be loaded the feature fails with its own error, where the delay-load helper
// would end the process.
class SystemLibrary {
public:
    // Whether the library (a file name such as L"winmm.dll") is loaded from the
    // system folder, loading it now if needed. It stays loaded to the end.
    static bool load(const wchar_t* name);
    // The same library's module handle (an HMODULE), null when it cannot be loaded.
    static void* module(const wchar_t* name);
};

}  // namespace util
}  // namespace win
}  // namespace tavel

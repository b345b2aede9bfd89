#include <windows.h>
#include <shlobj.h>

#include "feature/BackupThread.h"

namespace tavelapp {

std::wstring playerLibraryFolder() {
    wchar_t music[MAX_PATH] = L"";
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_MYMUSIC, nullptr, SHGFP_TYPE_CURRENT, music))) return std::wstring();
    return std::wstring(music) + L"\\iTunes";
}

void lowerThreadPriority() {
    // Background mode also lowers the thread's disk priority where the system has it.
    if (!::SetThreadPriority(::GetCurrentThread(), THREAD_MODE_BACKGROUND_BEGIN))
        ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_LOWEST);
}

}  // namespace tavelapp

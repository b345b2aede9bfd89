#include <windows.h>
#include <shellapi.h>

#include "win/util/Handle.h"
#include "win/util/Shell.h"

namespace tavel {
namespace win {
namespace util {

bool shellOpenAndWait(const std::wstring& file, const std::wstring& parameters) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.nShow = SW_SHOWNA;
    if (!::ShellExecuteExW(&info)) return false;
    // A document opened in an already running program yields no process.
    Handle process(info.hProcess);
    if (process) ::WaitForSingleObject(process.get(), INFINITE);
    return true;
}

}  // namespace util
}  // namespace win
}  // namespace tavel

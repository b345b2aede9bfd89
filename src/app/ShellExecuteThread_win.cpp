#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include "app/ShellExecuteThread.h"
#include "win/util/Shell.h"

namespace tavelapp {

int ShellExecuteThread::run() {
    const bool com = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.hwnd = static_cast<HWND>(owner_);
    info.lpVerb = verb_.empty() ? nullptr : verb_.c_str();
    info.lpFile = file_.c_str();
    info.lpParameters = parameters_.empty() ? nullptr : parameters_.c_str();
    info.lpDirectory = folder_.empty() ? nullptr : folder_.c_str();
    info.nShow = show_;
    if (::ShellExecuteExW(&info) && info.hProcess != nullptr) {
        tavel::win::util::waitForProgram(info.hProcess);
        ::CloseHandle(info.hProcess);
    }
    if (com) ::CoUninitialize();
    return 0;
}

}  // namespace tavelapp

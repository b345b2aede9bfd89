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
    if (process) waitForProgram(process.get());
    return true;
}

namespace {

HANDLE stopEvent() {
    // Manual reset: once set, every present and later wait ends.
    static HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return event;
}

}  // namespace

bool waitForProgram(void* process) {
    HANDLE handles[2] = {static_cast<HANDLE>(process), stopEvent()};
    const DWORD count = handles[1] != nullptr ? 2 : 1;
    return ::WaitForMultipleObjects(count, handles, FALSE, INFINITE) == WAIT_OBJECT_0;
}

void stopWaitingForPrograms() {
    if (HANDLE event = stopEvent()) ::SetEvent(event);
}

}  // namespace util
}  // namespace win
}  // namespace tavel

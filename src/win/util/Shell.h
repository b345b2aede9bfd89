#pragma once
#include <string>

namespace tavel {
namespace win {
namespace util {

// Opens the file as the shell does (verb "open", shown without activation) and
// waits without limit for the process it started. False when nothing started;
// off Windows nothing ever does.
bool shellOpenAndWait(const std::wstring& file, const std::wstring& parameters);

// Waits for a started program (a process handle) to end, or until
// stopWaitingForPrograms; true when the program ended.
bool waitForProgram(void* process);
// At exit nobody needs a started program's end any more: every wait ends at
// once (the programs run on), so the process does not linger behind a browser.
void stopWaitingForPrograms();

}  // namespace util
}  // namespace win
}  // namespace tavel

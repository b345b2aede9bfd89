#pragma once
#include <string>

namespace tavel {
namespace win {
namespace util {

// Opens the file as the shell does (verb "open", shown without activation) and
// waits without limit for the process it started. False when nothing started;
// off Windows nothing ever does.
bool shellOpenAndWait(const std::wstring& file, const std::wstring& parameters);

}  // namespace util
}  // namespace win
}  // namespace tavel

#include "win/util/Shell.h"

namespace tavel {
namespace win {
namespace util {

bool shellOpenAndWait(const std::wstring&, const std::wstring&) { return false; }
bool waitForProgram(void*) { return true; }
void stopWaitingForPrograms() {}

}  // namespace util
}  // namespace win
}  // namespace tavel

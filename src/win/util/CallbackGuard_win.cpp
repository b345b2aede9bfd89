#include <windows.h>

#include <string>

namespace tavel {
namespace win {
namespace util {

void traceSwallowed(const std::string& line) noexcept { ::OutputDebugStringA(line.c_str()); }

}  // namespace util
}  // namespace win
}  // namespace tavel

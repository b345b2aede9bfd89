#include <string>

namespace tavel {
namespace win {
namespace util {

void traceSwallowed(const std::string&) noexcept {}

}  // namespace util
}  // namespace win
}  // namespace tavel

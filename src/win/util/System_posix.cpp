#include <chrono>

#include "win/util/System.h"

namespace tavel {
namespace win {
namespace util {

void playSoundAsync(const std::wstring&) {}

std::uint32_t tickCount() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace util
}  // namespace win
}  // namespace tavel

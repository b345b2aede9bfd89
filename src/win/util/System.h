#pragma once
#include <cstdint>
#include <string>

namespace tavel {
namespace win {
namespace util {

// Plays a sound file without waiting for it (nothing off Windows).
void playSoundAsync(const std::wstring& path);
// Milliseconds since the system started, wrapping like GetTickCount.
std::uint32_t tickCount();

}  // namespace util
}  // namespace win
}  // namespace tavel

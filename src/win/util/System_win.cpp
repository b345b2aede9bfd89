#include <windows.h>
#include <mmsystem.h>

#include "win/util/System.h"

namespace tavel {
namespace win {
namespace util {

void playSoundAsync(const std::wstring& path) { ::PlaySoundW(path.c_str(), nullptr, SND_FILENAME | SND_ASYNC); }

std::uint32_t tickCount() { return ::GetTickCount(); }

}  // namespace util
}  // namespace win
}  // namespace tavel

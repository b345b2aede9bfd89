#include <windows.h>
#include <mmsystem.h>

#include "win/util/System.h"
#include "win/util/SystemLibrary.h"

namespace tavel {
namespace win {
namespace util {

// Without the multimedia library there is nothing to play with: silence.
void playSoundAsync(const std::wstring& path) {
    if (SystemLibrary::load(L"winmm.dll")) ::PlaySoundW(path.c_str(), nullptr, SND_FILENAME | SND_ASYNC);
}

std::uint32_t tickCount() { return ::GetTickCount(); }

}  // namespace util
}  // namespace win
}  // namespace tavel

#include <objbase.h>

#include "player/PlayTrackByID.h"
#include "player/com/ITunesCom.h"

namespace tavelapp {
namespace itunes {

int PlayTrackByID::run() {
    ::CoInitialize(nullptr);
    try {
        ITunesCom com;
        playOn(*com.app(), target_);
    } catch (...) {
        // An unreachable player ends the command silently.
    }
    ::CoUninitialize();
    return 0;
}

}  // namespace itunes
}  // namespace tavelapp

#include <objbase.h>

#include "player/PlayTrackByID.h"
#include "base/AppException.h"
#include "player/com/ITunesCom.h"
#include "win/util/Com.h"
#include "win/util/CallbackGuard.h"

namespace tavelapp {
namespace itunes {

int PlayTrackByID::run() {
    tavel::win::util::ComApartment apartment;
    tavel::win::util::guarded("PlayTrackByID", [this] {
        try {
            ITunesCom com;
            playOn(*com.app(), target_);
        } catch (const AppException& e) {
            // An unreachable player ends the command silently; a busy one is told.
            e.tellUser();
        }
    });
    return 0;
}

}  // namespace itunes
}  // namespace tavelapp

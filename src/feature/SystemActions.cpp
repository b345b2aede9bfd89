#include "feature/SystemActions.h"

#include <mutex>

#include "feature/ExitSystem.h"
#include "win/mixer/MixerRules.h"
#include "win/mixer/SystemMixer.h"

namespace tavelapp {
namespace action {

namespace mixer = tavel::win::mixer;

int ExitSystem::run() {
    showExitSystemDlg(param(0), tavelapp::ExitSystem::countdownSeconds(param(1)));
    return 0;
}

int SystemVolume::run() {
    // Read and write as one step: another action's change in between would be lost.
    std::lock_guard<std::recursive_mutex> guard(mixer::registryLock());
    const mixer::VolumeRequest request = mixer::volumeRequest(param(0), mixer::getSystemVolume() * 100);
    mixer::setSystemVolume(request.percent / 100, request.direction);
    return 0;
}

int SystemMute::run() {
    std::lock_guard<std::recursive_mutex> guard(mixer::registryLock());
    mixer::setSystemMute(mixer::muteRequest(param(0), mixer::getSystemMute()));
    return 0;
}

}  // namespace action
}  // namespace tavelapp

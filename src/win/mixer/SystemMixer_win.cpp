#include "win/mixer/SystemMixer.h"

#include <functional>
#include <memory>
#include <vector>

#include "win/mixer/Device.h"
#include "win/util/SystemLibrary.h"
#include "win/winsock/Exception.h"

namespace tavel {
namespace win {
namespace mixer {
namespace {

const DWORD kSpeakers = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;

// One slot per device, opened on first use and kept to the end of the process;
// none without the system's multimedia library.
std::vector<std::shared_ptr<Device>>& registry() {
    static std::vector<std::shared_ptr<Device>> devices(
        tavel::win::util::SystemLibrary::load(L"winmm.dll") ? ::mixerGetNumDevs() : 0);
    return devices;
}

std::shared_ptr<Device> device(UINT index) {
    std::vector<std::shared_ptr<Device>>& devices = registry();
    if (index >= devices.size()) return nullptr;
    if (!devices[index]) {
        try {
            devices[index] = std::make_shared<Device>(index);
        } catch (const tavel::Exception&) {
            return nullptr;
        }
    }
    return devices[index];
}

std::shared_ptr<Line> masterLine() {
    std::shared_ptr<Device> first = device(0);
    if (!first || first->destinationCount() == 0) return nullptr;
    return first->destination(0)->line(kSpeakers);
}

void forEachLine(const std::function<void(Line&)>& apply) {
    const UINT count = static_cast<UINT>(registry().size());
    for (UINT i = 0; i < count; ++i) {
        std::shared_ptr<Device> d = device(i);
        if (!d) continue;
        for (DWORD j = 0; j < d->destinationCount(); ++j) {
            try {
                apply(*d->destination(j)->line(kSpeakers));
            } catch (const tavel::Exception&) {
                // A destination that cannot be read or written is skipped.
            }
        }
    }
}

}  // namespace

std::recursive_mutex& registryLock() {
    static std::recursive_mutex lock;
    return lock;
}

double getSystemVolume() {
    std::lock_guard<std::recursive_mutex> guard(registryLock());
    try {
        std::shared_ptr<Line> line = masterLine();
        return line && line->hasVolume() ? line->volume() : 0;
    } catch (const tavel::Exception&) {
        return 0;
    }
}

void setSystemVolume(double fraction, int direction) {
    std::lock_guard<std::recursive_mutex> guard(registryLock());
    forEachLine([fraction, direction](Line& line) {
        if (line.hasVolume()) line.setVolume(fraction, direction);
    });
}

bool getSystemMute() {
    std::lock_guard<std::recursive_mutex> guard(registryLock());
    try {
        std::shared_ptr<Line> line = masterLine();
        return line && line->hasMute() && line->mute();
    } catch (const tavel::Exception&) {
        return false;
    }
}

void setSystemMute(bool mute) {
    std::lock_guard<std::recursive_mutex> guard(registryLock());
    forEachLine([mute](Line& line) {
        if (line.hasMute()) line.setMute(mute);
    });
}

}  // namespace mixer
}  // namespace win
}  // namespace tavel

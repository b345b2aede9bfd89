#include "win/mixer/Device.h"

#include "win/winsock/Exception.h"

namespace tavel {
namespace win {
namespace mixer {

Device::Device(UINT index) : index_(index), caps_() {
    if (::mixerOpen(&mixer_, index, 0, 0, MIXER_OBJECTF_MIXER) != MMSYSERR_NOERROR) throw tavel::Exception("mixerOpen");
    if (::mixerGetDevCapsW(index, &caps_, sizeof caps_) != MMSYSERR_NOERROR) {
        ::mixerClose(mixer_);
        throw tavel::Exception("mixerGetDevCaps");
    }
    destinations_.resize(caps_.cDestinations);
}

Device::~Device() { ::mixerClose(mixer_); }

std::shared_ptr<Destination> Device::destination(DWORD index) {
    if (index >= destinations_.size()) throw tavel::Exception("no such mixer destination");
    std::shared_ptr<Destination>& slot = destinations_[index];
    if (!slot) slot = std::make_shared<Destination>(mixer_, index);
    return slot;
}

}  // namespace mixer
}  // namespace win
}  // namespace tavel

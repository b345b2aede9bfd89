#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <memory>
#include <vector>

#include "win/mixer/Destination.h"

namespace tavel {
namespace win {
namespace mixer {

// An open mixer device; destinations are made on first use and kept.
class Device {
public:
    // Throws tavel::Exception when the device cannot be opened.
    explicit Device(UINT index);
    ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    UINT index() const { return index_; }
    HMIXER handle() const { return mixer_; }
    const MIXERCAPSW& caps() const { return caps_; }
    DWORD destinationCount() const { return caps_.cDestinations; }
    // Throws tavel::Exception for an index beyond the device's destinations.
    std::shared_ptr<Destination> destination(DWORD index);

private:
    UINT index_;
    HMIXER mixer_ = nullptr;
    MIXERCAPSW caps_;
    std::vector<std::shared_ptr<Destination>> destinations_;
};

}  // namespace mixer
}  // namespace win
}  // namespace tavel

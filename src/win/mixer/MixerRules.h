#pragma once
#include <cstdint>
#include <string>

namespace tavel {
namespace win {
namespace mixer {

// What a "SystemVolume" parameter asks for: the target in percent and the
// way it moves (+1 up, -1 down, 0 an absolute setting).
struct VolumeRequest {
    double percent = 0;
    int direction = 0;
};

// "+N" and "-N" move from the current percentage and stop at 100 and 0; "=N"
// sets N; anything else keeps the current value. N is the leading digits
// after the first character (none: 0).
VolumeRequest volumeRequest(const std::wstring& parameter, double currentPercent);

// "On" mutes, "Off" unmutes (exactly, case-sensitive), anything else toggles.
bool muteRequest(const std::wstring& parameter, bool currentMute);

// The control value for a fraction of its range: the nearest unit, kept within
// the bounds; a step (direction non-zero) always moves the control by at
// least one unit unless it is at that end, even on a coarse control.
std::uint32_t controlValueFor(double fraction, std::uint32_t minimum, std::uint32_t maximum, std::uint32_t current,
                              int direction);

// A control value as a fraction of its range (0 for an empty range).
double fractionOf(std::uint32_t value, std::uint32_t minimum, std::uint32_t maximum);

// Whole percent, to the nearest, as the snapshot shows it.
int wholePercent(double fraction);

}  // namespace mixer
}  // namespace win
}  // namespace tavel

#include "win/mixer/MixerRules.h"

#include <algorithm>
#include <cmath>

namespace tavel {
namespace win {
namespace mixer {

VolumeRequest volumeRequest(const std::wstring& parameter, double currentPercent) {
    double n = 0;
    for (std::size_t i = 1; i < parameter.size() && parameter[i] >= L'0' && parameter[i] <= L'9'; ++i)
        n = std::min(n * 10 + (parameter[i] - L'0'), 1e9);
    VolumeRequest request;
    request.percent = currentPercent;
    if (parameter.empty()) return request;
    switch (parameter[0]) {
        case L'+':
            request.percent = std::min(currentPercent + n, 100.0);
            request.direction = n > 0 ? 1 : 0;
            break;
        case L'-':
            request.percent = std::max(currentPercent - n, 0.0);
            request.direction = n > 0 ? -1 : 0;
            break;
        case L'=':
            request.percent = n;
            break;
        default:
            break;
    }
    return request;
}

bool muteRequest(const std::wstring& parameter, bool currentMute) {
    if (parameter == L"On") return true;
    if (parameter == L"Off") return false;
    return !currentMute;
}

std::uint32_t controlValueFor(double fraction, std::uint32_t minimum, std::uint32_t maximum, std::uint32_t current,
                              int direction) {
    if (maximum <= minimum) return minimum;
    const double range = static_cast<double>(maximum) - minimum;
    double offset = std::floor(fraction * range + 0.5);
    offset = std::max(0.0, std::min(offset, range));
    std::uint32_t value = minimum + static_cast<std::uint32_t>(offset);
    if (direction > 0 && value <= current && current < maximum) value = current + 1;
    if (direction < 0 && value >= current && current > minimum) value = current - 1;
    return value;
}

double fractionOf(std::uint32_t value, std::uint32_t minimum, std::uint32_t maximum) {
    if (maximum <= minimum) return 0;
    return (static_cast<double>(value) - minimum) / (static_cast<double>(maximum) - minimum);
}

int wholePercent(double fraction) {
    // To the nearest: a control may read back a unit below what was written
    // (Wine's keeps it as a float), and truncating would show 94 after 95.
    return static_cast<int>(std::floor(fraction * 100 + 0.5));
}

}  // namespace mixer
}  // namespace win
}  // namespace tavel

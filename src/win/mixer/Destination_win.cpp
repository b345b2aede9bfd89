#include "win/mixer/Destination.h"

namespace tavel {
namespace win {
namespace mixer {

std::shared_ptr<Line> Destination::line(DWORD componentType) {
    std::shared_ptr<Line>& slot = lines_[componentType];
    if (!slot) slot = std::make_shared<Line>(mixer_, index_, componentType);
    return slot;
}

}  // namespace mixer
}  // namespace win
}  // namespace tavel

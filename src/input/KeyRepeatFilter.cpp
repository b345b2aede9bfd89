#include "input/KeyRepeatFilter.h"

namespace tavelapp {

void KeyRepeatFilter::record(std::uint32_t vk, std::uint32_t time, bool down) {
    std::deque<Event>& events = events_[vk];
    events.push_back(Event{time, down});
    if (events.size() > kEventsPerKey) events.pop_front();
}

bool KeyRepeatFilter::isRepeat(std::uint32_t vk, std::uint32_t time) const {
    const auto found = events_.find(vk);
    if (found == events_.end()) return false;
    const std::deque<Event>& events = found->second;
    // The newest press at that time: a release and a new press may share it.
    for (std::size_t i = events.size(); i-- > 0;) {
        if (!events[i].down || events[i].time != time) continue;
        // Down again without an up in between: the key was held.
        return i > 0 && events[i - 1].down;
    }
    return false;
}

}  // namespace tavelapp

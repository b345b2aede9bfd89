#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>

namespace tavelapp {

// Tells a held key's auto-repeat from a new press. The system reports both
// alike as hot keys; the raw keyboard input shows every key going down and
// up, with the same message time as the hot key it caused.
class KeyRepeatFilter {
public:
    static const std::size_t kEventsPerKey = 32;

    // Raw keyboard events in arrival order.
    void keyDown(std::uint32_t vk, std::uint32_t time) { record(vk, time, true); }
    void keyUp(std::uint32_t vk, std::uint32_t time) { record(vk, time, false); }

    // The hot key of vk at time is a repeat when the raw input saw that press
    // while the key was already down. Without a matching raw event (no raw
    // input, or it came late) it counts as a press of its own: a press is
    // never mistaken for a repeat.
    bool isRepeat(std::uint32_t vk, std::uint32_t time) const;

private:
    struct Event {
        std::uint32_t time;
        bool down;
    };
    void record(std::uint32_t vk, std::uint32_t time, bool down);

    std::map<std::uint32_t, std::deque<Event>> events_;
};

}  // namespace tavelapp

#pragma once
#include <chrono>
#include <cstdint>

namespace tavelapp {

// The web remote's two clocks: steady for intervals, wall for what outlives a restart.
inline std::int64_t steadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

inline std::int64_t wallSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace tavelapp

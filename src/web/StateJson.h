#pragma once
#include <nlohmann/json.hpp>

namespace tavelapp {

class PlayerState;

// The player snapshot as /api/state and the event stream show it.
class StateJson {
public:
    // extraSeconds: time played since the snapshot was taken (added while playing, up to the duration).
    static nlohmann::json from(const PlayerState& state, long extraSeconds = 0);
};

}  // namespace tavelapp

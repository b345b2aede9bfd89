#include "web/StateJson.h"

#include <algorithm>

#include "player/PlayerState.h"
#include "win/util/TextCodec.h"

namespace tavelapp {
namespace {

std::string utf8(const std::wstring& text) { return tavel::win::util::wideToUtf8(text); }

const char* stateName(const PlayerState& state) {
    switch (state.playerState()) {
        case 1:
            return "playing";
        case 2:
            return "fastforward";
        case 3:
            return "rewind";
        default:
            return state.position() != 0 ? "paused" : "stopped";
    }
}

const char* repeatName(int repeat) {
    if (repeat == 1) return "one";
    if (repeat == 2) return "all";
    return "off";
}

}  // namespace

nlohmann::json StateJson::from(const PlayerState& state, long extraSeconds) {
    nlohmann::json out;
    const bool running = state.isPlayerRunning();
    out["player"] = running;
    out["state"] = running ? stateName(state) : "stopped";
    out["volume"] = std::min(100, std::max(0, state.volume()));
    out["mute"] = state.isMute();
    out["shuffle"] = state.isShuffle();
    out["repeat"] = repeatName(state.repeat());
    if (!running || state.trackID() == 0) {
        out["track"] = nullptr;
        return out;
    }
    const long duration = std::max(0, state.number(PlayerState::Duration));
    long position = std::max(0, state.position());
    if (state.playerState() == 1 && extraSeconds > 0) position += extraSeconds;
    if (duration > 0) position = std::min(position, duration);
    out["track"] = {{"id", utf8(state.field(PlayerState::TrackID))},
                    {"name", utf8(state.name())},
                    {"artist", utf8(state.artist())},
                    {"album", utf8(state.album())},
                    {"duration", duration},
                    {"position", position},
                    {"rating", std::min(100, std::max(0, state.rating()))},
                    {"artwork", state.number(PlayerState::ArtworkCount) > 0}};
    return out;
}

}  // namespace tavelapp

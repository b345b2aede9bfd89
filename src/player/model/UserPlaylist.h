#pragma once
#include "player/PlayerInterface.h"

namespace tavelapp {
namespace itunes {
namespace model {

// Adding tracks to a model playlist handle, beyond the player interface: the
// simulated player serves it to scripts. Reached by dynamic_cast.
class UserPlaylist {
public:
    // The track as this playlist holds it; null when the playlist takes no
    // tracks (the library playlist, or one that is gone) or the track is unknown.
    virtual TrackPtr addTrack(long trackId) = 0;

protected:
    ~UserPlaylist() = default;
};

}  // namespace model
}  // namespace itunes
}  // namespace tavelapp

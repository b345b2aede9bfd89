#pragma once
#include "player/PlayerInterface.h"

namespace simplayer {

// The library source's playlist with that id; null when there is none.
tavelapp::itunes::PlaylistPtr findPlaylist(tavelapp::itunes::App& app, long playlistId);

}  // namespace simplayer

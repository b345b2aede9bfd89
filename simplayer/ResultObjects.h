#pragma once
#include <windows.h>
#include <oleauto.h>

#include "player/PlayerInterface.h"

namespace simplayer {

// Model objects as member results: each becomes a new automation object of its
// kind, a null one the player's "no object".
HRESULT putValue(VARIANT* result, const tavelapp::itunes::TrackPtr& track);
HRESULT putValue(VARIANT* result, const tavelapp::itunes::PlaylistPtr& playlist);
HRESULT putValue(VARIANT* result, const tavelapp::itunes::SourcePtr& source);
HRESULT putValue(VARIANT* result, const tavelapp::itunes::TrackCollectionPtr& tracks);
HRESULT putValue(VARIANT* result, const tavelapp::itunes::PlaylistCollectionPtr& playlists);
HRESULT putValue(VARIANT* result, const tavelapp::itunes::ArtworkCollectionPtr& artwork);
HRESULT putValue(VARIANT* result, const tavelapp::itunes::ArtworkPtr& artwork);

}  // namespace simplayer

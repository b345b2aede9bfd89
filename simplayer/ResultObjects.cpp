#include "ResultObjects.h"

#include "ArtworkCollectionObject.h"
#include "ArtworkObject.h"
#include "PlaylistCollectionObject.h"
#include "PlaylistObject.h"
#include "SourceObject.h"
#include "TrackCollectionObject.h"
#include "TrackObject.h"

namespace simplayer {

namespace {

template <class Wrapper, class Ptr>
HRESULT putObject(VARIANT* result, const Ptr& object) {
    if (result == nullptr) return S_OK;
    if (!object) return putValue(result, static_cast<IDispatch*>(nullptr));
    return putValue(result, static_cast<IDispatch*>(makeObject<Wrapper>(object).get()));
}

}  // namespace

using namespace tavelapp::itunes;

HRESULT putValue(VARIANT* result, const TrackPtr& track) { return putObject<TrackObject>(result, track); }

HRESULT putValue(VARIANT* result, const PlaylistPtr& playlist) { return putObject<PlaylistObject>(result, playlist); }

HRESULT putValue(VARIANT* result, const SourcePtr& source) { return putObject<SourceObject>(result, source); }

HRESULT putValue(VARIANT* result, const TrackCollectionPtr& tracks) {
    return putObject<TrackCollectionObject>(result, tracks);
}

HRESULT putValue(VARIANT* result, const PlaylistCollectionPtr& playlists) {
    return putObject<PlaylistCollectionObject>(result, playlists);
}

HRESULT putValue(VARIANT* result, const ArtworkCollectionPtr& artwork) {
    return putObject<ArtworkCollectionObject>(result, artwork);
}

HRESULT putValue(VARIANT* result, const ArtworkPtr& artwork) { return putObject<ArtworkObject>(result, artwork); }

}  // namespace simplayer

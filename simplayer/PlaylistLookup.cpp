#include "PlaylistLookup.h"

namespace simplayer {

using namespace tavelapp::itunes;

PlaylistPtr findPlaylist(App& app, long playlistId) {
    if (playlistId == 0) return nullptr;
    const SourcePtr source = app.librarySource();
    const PlaylistCollectionPtr playlists = source ? source->playlists() : nullptr;
    if (!playlists) return nullptr;
    const long count = playlists->count();
    for (long i = 1; i <= count; ++i) {
        PlaylistPtr p = playlists->item(i);
        if (p && p->playlistId() == playlistId) return p;
    }
    return nullptr;
}

}  // namespace simplayer

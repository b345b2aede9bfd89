#include "player/PlayTrackByID.h"

namespace tavelapp {
namespace itunes {

void PlayTrackByID::playOn(App& app, const Target& target) {
    SourcePtr source = app.librarySource();
    BrowserWindowPtr browser = app.browserWindow();

    PlaylistPtr playlist;
    if (!target.playlistName.empty()) {
        PlaylistCollectionPtr playlists = source ? source->playlists() : nullptr;
        const long count = playlists ? playlists->count() : 0;
        for (long i = 1; i <= count && !playlist; ++i) {
            PlaylistPtr candidate = playlists->item(i);
            if (candidate && sameText(candidate->name(), target.playlistName)) playlist = candidate;
        }
        if (browser) browser->setSelectedPlaylist(playlist);
    } else {
        playlist = app.libraryPlaylist();
    }
    if (!playlist) return;

    std::wstring text;
    if (!target.name.empty() || !target.album.empty() || !target.artist.empty()) {
        text = target.name + L" " + target.album + L" " + target.artist;
    }
    if (text.empty()) {
        playlist->playFirstTrack();
        return;
    }
    TrackCollectionPtr found = playlist->search(text);
    if (!found) return;
    const long count = found->count();
    for (long i = 1; i <= count; ++i) {
        TrackPtr track = found->item(i);
        if (!track) continue;
        const bool match = target.trackId != 0
                               ? track->trackId() == target.trackId
                               : sameText(track->name(), target.name) && sameText(track->album(), target.album) &&
                                     sameText(track->artist(), target.artist);
        if (match) {
            track->play();
            return;
        }
    }
    if (target.trackId == 0 && count >= 1) {
        if (TrackPtr first = found->item(1)) first->play();
    }
}

}  // namespace itunes
}  // namespace tavelapp

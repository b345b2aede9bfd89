#include "action/NavigationActions.h"

#include "base/AppException.h"

namespace tavelapp {
namespace action {
namespace {

using itunes::App;
using Field = std::wstring (itunes::Track::*)();

// 1-based play-order position of the track; 0 when it is not there.
long positionOf(itunes::TrackCollection& tracks, long trackId) {
    const long count = tracks.count();
    for (long n = 1; n <= count; ++n) {
        itunes::TrackPtr track = tracks.itemByPlayOrder(n);
        if (track && track->trackId() == trackId) return n;
    }
    return 0;
}

// A track that vanished under us ends the action like any failed player call.
itunes::TrackPtr trackAt(itunes::TrackCollection& tracks, long position) {
    itunes::TrackPtr track = tracks.itemByPlayOrder(position);
    if (!track) throw AppException();
    return track;
}

std::wstring textOf(itunes::Track& track, Field field) { return (track.*field)(); }

void playPreviousRun(App& app, Field field) {
    itunes::PlaylistPtr playlist = app.currentPlaylist();
    itunes::TrackPtr current = app.currentTrack();
    if (!playlist || !current) return;
    itunes::TrackCollectionPtr tracks = playlist->tracks();
    if (!tracks) return;
    const std::wstring currentText = textOf(*current, field);
    long n = positionOf(*tracks, current->trackId()) - 1;
    // Skip back over the current run. Position 1 counts too: the previous
    // album may be a single track at the very start.
    while (n >= 1 && itunes::sameText(textOf(*trackAt(*tracks, n), field), currentText))
        --n;
    if (n < 1) return;
    const std::wstring previousText = textOf(*trackAt(*tracks, n), field);
    while (n >= 1 && itunes::sameText(textOf(*trackAt(*tracks, n), field), previousText))
        --n;
    trackAt(*tracks, n + 1)->play();
}

void playNextRun(App& app, Field field) {
    itunes::PlaylistPtr playlist = app.currentPlaylist();
    itunes::TrackPtr current = app.currentTrack();
    if (!playlist || !current) return;
    itunes::TrackCollectionPtr tracks = playlist->tracks();
    if (!tracks) return;
    const std::wstring currentText = textOf(*current, field);
    // The last track is a candidate too: a last album may be a single track.
    for (long i = positionOf(*tracks, current->trackId()) + 1;; ++i) {
        if (i > tracks->count()) {
            app.stop();
            return;
        }
        itunes::TrackPtr track = trackAt(*tracks, i);
        if (!itunes::sameText(textOf(*track, field), currentText)) {
            track->play();
            return;
        }
    }
}

void movePlaylist(App& app, long step) {
    itunes::SourcePtr source = app.librarySource();
    itunes::PlaylistPtr current = app.currentPlaylist();
    if (!source || !current) return;
    itunes::PlaylistCollectionPtr playlists = source->playlists();
    if (!playlists) return;
    const long count = playlists->count();
    const long currentId = current->playlistId();
    long at = -1;
    for (long n = 1; n <= count && at < 0; ++n) {
        itunes::PlaylistPtr playlist = playlists->item(n);
        if (playlist && playlist->playlistId() == currentId) at = n;
    }
    if (at < 1 || at + step < 1 || at + step > count) return;
    itunes::PlaylistPtr target = playlists->item(at + step);
    if (!target) return;
    target->playFirstTrack();
    if (itunes::BrowserWindowPtr window = app.browserWindow()) window->setSelectedPlaylist(target);
}

}  // namespace

void PrevAlbum::runOn(App& app) { playPreviousRun(app, &itunes::Track::album); }
void PrevArtist::runOn(App& app) { playPreviousRun(app, &itunes::Track::artist); }
void NextAlbum::runOn(App& app) { playNextRun(app, &itunes::Track::album); }
void NextArtist::runOn(App& app) { playNextRun(app, &itunes::Track::artist); }
void PrevPlaylist::runOn(App& app) { movePlaylist(app, -1); }
void NextPlaylist::runOn(App& app) { movePlaylist(app, 1); }

}  // namespace action
}  // namespace tavelapp

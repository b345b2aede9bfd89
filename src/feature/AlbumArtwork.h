#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "player/PlayerInterface.h"
#include "win/dib/DIB.h"

namespace tavelapp {

// What the artwork editor does to an album's tracks in the player's library.
// The album's tracks are those the library search for "artist album" finds;
// with `exact`, only those whose artist and album equal the given ones as the
// player compares text. Player failures end the work where they happen.
struct AlbumQuery {
    std::wstring artist;
    std::wstring album;
    bool exact = true;
};

struct AlbumTrack {
    long trackId = 0;
    std::wstring name;
    std::wstring album;
    std::wstring artist;
    long artworkCount = 0;
    long trackNumber = 0;
};

std::vector<AlbumTrack> findAlbumTracks(itunes::App& app, const AlbumQuery& query);

// Deletes every picture of the album's tracks whose id is listed; the number
// of tracks that lost artwork.
int clearAlbumArtwork(itunes::App& app, const AlbumQuery& query, const std::set<long>& trackIds);

// Gives each listed album track the picture in `file` as its only artwork.
// Nothing happens without artist and album, or when the file cannot be read
// (deleting first would lose the old pictures). The number of tracks changed.
int applyAlbumArtwork(itunes::App& app, const AlbumQuery& query, const std::set<long>& trackIds,
                      const std::wstring& file);

// Saves the first picture of the album's track `trackId` to `path`; false
// when it has none or the player fails.
bool saveTrackArtwork(itunes::App& app, const AlbumQuery& query, long trackId, const std::wstring& path);

// A width x height picture of `background` with the picture fitted into it
// (aspect kept), scaled and centred: the editor's thumbnails and preview.
// Empty when the box or the picture is empty.
tavel::win::dib::DIB fitCentred(const tavel::win::dib::DIB& picture, int width, int height, std::uint32_t background);

}  // namespace tavelapp

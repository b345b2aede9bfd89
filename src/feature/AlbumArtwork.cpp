#include "feature/AlbumArtwork.h"

#include <functional>
#include <mutex>
#include <string>

#include "win/dib/Bitmap.h"
#include "win/file/FileSystem.h"

namespace tavelapp {
namespace {

using itunes::TrackPtr;

// Calls `visit` for each album track in the library's search order; stops
// when it returns false.
void forEachAlbumTrack(itunes::App& app, const AlbumQuery& query, const std::function<bool(itunes::Track&)>& visit) {
    itunes::PlaylistPtr library = app.libraryPlaylist();
    if (!library) return;
    itunes::TrackCollectionPtr found = library->search(query.artist + L" " + query.album);
    const long count = found ? found->count() : 0;
    for (long n = 1; n <= count; ++n) {
        TrackPtr track = found->item(n);
        if (!track) continue;
        if (query.exact &&
            !(itunes::sameText(track->album(), query.album) && itunes::sameText(track->artist(), query.artist))) {
            continue;
        }
        if (!visit(*track)) return;
    }
}

long artworkCount(itunes::Track& track) {
    itunes::ArtworkCollectionPtr artwork = track.artwork();
    return artwork ? artwork->count() : 0;
}

// Deletes picture 1 as often as the track had pictures; true when any went.
bool deleteAll(itunes::Track& track) {
    itunes::ArtworkCollectionPtr artwork = track.artwork();
    const long count = artwork ? artwork->count() : 0;
    bool deleted = false;
    for (long i = 0; i < count; ++i) {
        itunes::ArtworkPtr first = artwork->item(1);
        if (!first || !first->deleteArtwork()) break;
        deleted = true;
    }
    return deleted;
}

}  // namespace

std::vector<AlbumTrack> findAlbumTracks(itunes::App& app, const AlbumQuery& query) {
    std::vector<AlbumTrack> tracks;
    forEachAlbumTrack(app, query, [&](itunes::Track& track) {
        AlbumTrack row;
        row.trackId = track.trackId();
        row.name = track.name();
        row.album = track.album();
        row.artist = track.artist();
        row.artworkCount = artworkCount(track);
        row.trackNumber = track.trackNumber();
        tracks.push_back(std::move(row));
        return true;
    });
    return tracks;
}

namespace {

// One change of artwork at a time (on workers): an apply interleaved with a
// clear or another apply could leave a track with two pictures.
std::mutex& artworkChanges() {
    static std::mutex lock;
    return lock;
}

}  // namespace

int clearAlbumArtwork(itunes::App& app, const AlbumQuery& query, const std::set<long>& trackIds) {
    std::lock_guard<std::mutex> one(artworkChanges());
    int cleared = 0;
    forEachAlbumTrack(app, query, [&](itunes::Track& track) {
        if (trackIds.count(track.trackId()) != 0 && deleteAll(track)) ++cleared;
        return true;
    });
    return cleared;
}

int applyAlbumArtwork(itunes::App& app, const AlbumQuery& query, const std::set<long>& trackIds,
                      const std::wstring& file) {
    if (query.artist.empty() || query.album.empty()) return 0;
    std::string bytes;
    if (file.empty() || !tavel::win::file::readFileBytes(file, bytes, tavel::win::file::kPictureReadLimit) ||
        bytes.empty())
        return 0;
    std::lock_guard<std::mutex> one(artworkChanges());
    int changed = 0;
    forEachAlbumTrack(app, query, [&](itunes::Track& track) {
        if (trackIds.count(track.trackId()) == 0) return true;
        deleteAll(track);
        if (artworkCount(track) == 0 && track.addArtworkFromFile(file)) ++changed;
        return true;
    });
    return changed;
}

bool saveTrackArtwork(itunes::App& app, const AlbumQuery& query, long trackId, const std::wstring& path) {
    bool saved = false;
    forEachAlbumTrack(app, query, [&](itunes::Track& track) {
        if (track.trackId() != trackId) return true;
        itunes::ArtworkCollectionPtr artwork = track.artwork();
        itunes::ArtworkPtr first = artwork && artwork->count() > 0 ? artwork->item(1) : nullptr;
        saved = first && first->saveArtworkToFile(path);
        return false;
    });
    return saved;
}

tavel::win::dib::DIB fitCentred(const tavel::win::dib::DIB& picture, int width, int height, std::uint32_t background) {
    using namespace tavel::win::dib;
    DIB out;
    const Size fitted = fitSize(width, height, picture.width(), picture.height());
    if (fitted.width < 1 || fitted.height < 1 || !out.create(width, height)) return DIB();
    const DIB scaled = scaleBilinear(picture, fitted.width, fitted.height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            out.setPixel(x, y, background);
    }
    const int left = (width - fitted.width) / 2, top = (height - fitted.height) / 2;
    for (int y = 0; y < scaled.height(); ++y) {
        for (int x = 0; x < scaled.width(); ++x)
            out.setPixel(left + x, top + y, scaled.pixel(x, y));
    }
    return out;
}

}  // namespace tavelapp

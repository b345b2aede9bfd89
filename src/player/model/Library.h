#pragma once
#include <string>
#include <vector>

namespace tavelapp {
namespace itunes {
namespace model {

struct TrackData {
    long trackId = 0;
    std::wstring name;
    std::wstring artist;
    std::wstring album;
    std::wstring composer;
    std::wstring genre;
    std::wstring comment;
    long duration = 0;  // seconds
    long playedCount = 0;
    long rating = 0;  // 0-100
    long trackNumber = 0;
    long trackCount = 0;
    long year = 0;
    std::wstring location;                // "file://localhost/..." as the library file has it
    unsigned long long persistentId = 0;  // the file's "Persistent ID"; 0 = none
    // Picture files (any format) that make up the track's artwork, in order.
    std::vector<std::string> artwork;
};

struct PlaylistData {
    long playlistId = 0;
    std::wstring name;
    std::vector<long> trackIds;  // in playlist order
    bool shuffle = false;
    long songRepeat = 0;
    unsigned long long persistentId = 0;  // the file's "Playlist Persistent ID"; 0 = none
    bool smart = false;                   // the file has its rules ("Smart Info")
    long specialKind = 0;                 // PlaylistSpecialKind: folders only
};

// The library: all tracks, and the playlists in display order. The first
// playlist is the library playlist, holding every track.
struct Library {
    std::vector<TrackData> tracks;
    std::vector<PlaylistData> playlists;
};

// Reads the player's library file ("iTunes Music Library.xml", a property
// list). Unknown keys are skipped; any bytes give a (possibly empty) library,
// never a crash. When the file has no master playlist, one holding every track
// in file order is put first.
Library parseLibraryXml(const std::string& bytes);

}  // namespace model
}  // namespace itunes
}  // namespace tavelapp

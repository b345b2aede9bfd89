#pragma once
#include <array>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace tavelapp {

// Finds the library records of media files in the player's library file
// ("iTunes Music Library.xml") without asking the player. A line matcher
// tuned to the layout the player writes: it reads the file in pieces, jumps
// from one Location line to the next, reads the whole dict of a found track,
// and stops as soon as every file has been found.
class MusicLibraryParser {
public:
    static constexpr std::size_t kKeyCount = 25;
    enum Key {
        TrackId,
        Name,
        Artist,
        Album,
        Genre,
        Kind,
        Size,
        TotalTime,
        TrackNumber,
        Year,
        DateModified,
        DateAdded,
        BitRate,
        SampleRate,
        PlayCount,
        PlayDate,
        PlayDateUTC,
        ArtworkCount,
        PersistentId,
        TrackType,
        Location,
        FileFolderCount,
        LibraryFolderCount,
        HasVideo,
        Movie
    };
    static const char* const kKeys[kKeyCount];
    // One value per key in the order above; a key the track lacks stays "".
    using TrackRecord = std::array<std::wstring, kKeyCount>;
    using TrackRecordPtr = std::shared_ptr<const TrackRecord>;

    // Scans the player's library file.
    explicit MusicLibraryParser(const std::vector<std::wstring>& paths);
    // Scans the given library file.
    MusicLibraryParser(const std::vector<std::wstring>& paths, const std::wstring& libraryFile);
    // Scans an open library file from where it stands; the caller closes it.
    MusicLibraryParser(const std::vector<std::wstring>& paths, std::FILE* libraryFile);
    virtual ~MusicLibraryParser() = default;

    // In library-file order, one per found file.
    const std::vector<TrackRecordPtr>& results() const { return results_; }

    // The user's music folder + "\iTunes\iTunes Music Library.xml"; empty off Windows.
    static std::wstring libraryFilePath();

    // The Location line the player writes for a file:
    // "\t\t\t<key>Location</key><string>file://localhost/C:/a%20b.mp3</string>".
    static std::string targetLine(const std::wstring& path);
    // An element's text as the player writes it (UTF-8 with character references).
    static std::wstring decodeValue(const std::string& text);

private:
    void scan(std::FILE* file, const std::vector<std::wstring>& paths);

    std::vector<TrackRecordPtr> results_;
};

// Opens a library file for reading in binary mode; null when it cannot.
std::FILE* openLibraryFile(const std::wstring& path);

}  // namespace tavelapp

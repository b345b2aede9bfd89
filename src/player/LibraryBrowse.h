#pragma once
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/ActionQueue.h"

namespace tavelapp {

class WorkerPool;

namespace itunes {

class App;
class PlayerHost;

// The player's library as a remote browses it: searches, the playlists, a
// playlist's tracks page by page, and playing what was chosen. Any thread may
// ask (the web server's): the player calls run on a worker of the pool, one
// browse at a time behind a small queue, and the asking thread waits at most
// the time limit, so a busy or hung player answers Busy instead of holding the
// caller. Ids are the player's 64-bit persistent ids as 16 hex digits.
class LibraryBrowse {
public:
    enum class Outcome { Done, NotFound, NotRunning, Busy };
    enum class Field { All, Artists, Albums, Songs };

    struct Track {
        std::string id;
        std::wstring name, artist, album;
        long duration = 0;  // seconds
    };
    struct Page {
        Outcome outcome = Outcome::Busy;
        long total = 0;  // matches or tracks in all; the page is a slice of them
        std::vector<Track> tracks;
    };
    struct Playlist {
        std::string id;
        std::wstring name;
        std::string kind;  // "library", "user", "smart", "folder", "cd", "device", "radio", "unknown"
        long trackCount = 0;
    };
    struct Playlists {
        Outcome outcome = Outcome::Busy;
        std::vector<Playlist> playlists;  // the library playlist first, then display order
    };

    static constexpr long kMaxPage = 50;
    static constexpr std::size_t kMaxWaiting = 4;
    static constexpr std::chrono::milliseconds kTimeLimit{2000};

    // The process's own: the platform's player, the shared worker pool.
    static LibraryBrowse& instance();
    LibraryBrowse(PlayerHost& host, WorkerPool& pool, std::chrono::milliseconds limit = kTimeLimit,
                  std::size_t maxWaiting = kMaxWaiting);
    LibraryBrowse(const LibraryBrowse&) = delete;
    LibraryBrowse& operator=(const LibraryBrowse&) = delete;

    // A limit above kMaxPage is taken as kMaxPage; an offset at or past the
    // total gives an empty page with the total.
    Page search(const std::wstring& text, Field field, long offset, long limit);
    Playlists playlists();
    Page tracks(const std::string& playlistId, long offset, long limit);
    // The playlist's first track (no track id), the track within that playlist,
    // or the track within the library playlist (no playlist id).
    Outcome play(const std::string& playlistId, const std::string& trackId);
    // Within the current track (the player keeps it inside the track); the
    // position it then reports. NotFound when no track is current.
    Outcome setPosition(long seconds, long& position);

    static std::string idText(unsigned long long id);
    // False for anything but 16 hex digits naming a non-zero id.
    static bool parseId(const std::string& text, unsigned long long& id);

private:
    // Runs `work` on the queue's worker and waits for it within the limit; R
    // has an `outcome`, Done when work begins. Busy when the player does not
    // answer in time or the queue is full, NotRunning when the player is not
    // running (it is never started from here).
    template <class R>
    R ask(std::function<void(App&, R&)> work);

    PlayerHost& host_;
    const std::chrono::milliseconds limit_;
    ActionQueue queue_;  // last: its end waits for a job that still runs
};

}  // namespace itunes
}  // namespace tavelapp

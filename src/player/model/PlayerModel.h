#pragma once
#include <memory>
#include <mutex>
#include <vector>

#include "player/PlayerInterface.h"
#include "player/model/Library.h"

namespace tavelapp {
namespace itunes {
namespace model {

// An in-memory player that behaves like the real one through the player
// interface: playback advances with a clock the caller drives, a finished track
// moves on in play order (shuffle and repeat respected), and every change raises
// its event. Thread-safe; events are raised after the model's lock is released,
// on the thread that made the change (or that advanced the clock).
class PlayerModel : public std::enable_shared_from_this<PlayerModel> {
public:
    static std::shared_ptr<PlayerModel> create(Library library);

    // The application object; every call yields a new handle onto the same player.
    std::shared_ptr<App> app();

    // A new, empty playlist after the others, as a script makes one; null once
    // the player has quit.
    PlaylistPtr createPlaylist(const std::wstring& name);

    // Moves playback on by the given milliseconds of (real or test) time.
    void advance(long milliseconds);

    void addListener(ITunesEventsListener* listener);
    void removeListener(ITunesEventsListener* listener);

    // False once quit() was called through the interface.
    bool running() const;

    // A plain view of the state for displays and tests.
    struct Status {
        long state = Stopped;
        long positionMs = 0;
        long volume = 0;
        bool mute = false;
        bool eq = false;
        bool visuals = false;
        long currentTrackId = 0;     // 0 = none
        long currentPlaylistId = 0;  // 0 = none
        std::wstring currentPlaylistName;
        std::wstring trackName, artist, album;
        long playOrderIndex = 0;
        long tracksInPlaylist = 0;
        bool shuffle = false;  // of the current playlist
        long songRepeat = 0;   // of the current playlist
        bool browserVisible = true;
        bool miniPlayer = false;
        long selectedPlaylistId = 0;
    };
    Status status() const;

    PlayerModel(const PlayerModel&) = delete;
    PlayerModel& operator=(const PlayerModel&) = delete;
    ~PlayerModel();

private:
    struct Impl;
    explicit PlayerModel(Library library);
    std::unique_ptr<Impl> impl_;
    friend struct ModelAccess;
};

}  // namespace model
}  // namespace itunes
}  // namespace tavelapp

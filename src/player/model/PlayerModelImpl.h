#pragma once
#include <cstddef>
#include <memory>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "player/PlayerInterface.h"
#include "player/model/Library.h"
#include "player/model/PlayerModel.h"

namespace tavelapp {
namespace itunes {
namespace model {

// The model's state and rules, shared by PlayerModel and the handles it gives
// out. Members ending in "Locked" expect the mutex to be held and collect the
// events they cause; the events are raised once the mutex is released.
struct PlayerModel::Impl {
    using Events = std::vector<EventDispId>;

    struct ArtworkEntry {
        long serial = 0;    // identity of the picture; indexes shift on deletion
        std::wstring path;  // read on first use
        bool loaded = false;
        std::string bytes;
    };
    struct TrackEntry {
        TrackData data;
        std::vector<ArtworkEntry> artwork;
    };
    struct PlaylistEntry {
        PlaylistData data;
        std::vector<std::size_t> order;  // play order: indexes into data.trackIds
    };

    explicit Impl(Library library);

    // Lookups; null when the id is unknown.
    TrackEntry* track(long trackId);
    PlaylistEntry* playlist(long playlistId);
    // 0-based place of the track in the playlist's play order, -1 if absent.
    static long orderPosition(const PlaylistEntry& playlist, long trackId);
    static long trackAtOrder(const PlaylistEntry& playlist, std::size_t position);
    long long trackLengthMs(long trackId);

    // Playback rules.
    void startLocked(long playlistId, long trackId, Events& events);
    void endOfPlaylistLocked(Events& events);
    void moveToLocked(long playlistId, long trackId, Events& events);
    void playLocked(Events& events);
    void pauseLocked(Events& events);
    void stopLocked(Events& events);
    void resumeLocked();
    void seekLocked(long state, Events& events);
    void nextTrackLocked(Events& events);
    void previousTrackLocked(Events& events);
    void backTrackLocked(Events& events);
    void finishTrackLocked(Events& events);
    void advanceLocked(long long milliseconds, Events& events);
    void setShuffleLocked(PlaylistEntry& playlist, bool on);
    void setRatingLocked(long trackId, long rating, Events& events);
    void setVolumeLocked(long volume, Events& events);
    void setMuteLocked(bool on, Events& events);
    void quitLocked(Events& events);
    // The playlist's tracks whose chosen fields (SearchField) hold every word.
    std::vector<long> searchLocked(long playlistId, const std::wstring& text, long fields);
    // The place of the track or playlist with that persistent id in `ids`, or -1.
    long findPersistentLocked(const std::vector<long>& trackIds, unsigned long long id);
    // Editing as scripts do: a new, empty playlist after the others (its id), and
    // a track added to a playlist other than the library's (false when refused).
    unsigned long long newPersistentIdLocked();
    long createPlaylistLocked(const std::wstring& name, Events& events);
    bool addTrackLocked(long playlistId, long trackId, Events& events);

    // Runs `f(events)` under the lock and raises the events afterwards. Once the
    // player has quit nothing runs and the result is empty.
    template <class F>
    auto call(F&& f) -> decltype(f(std::declval<Events&>())) {
        using R = decltype(f(std::declval<Events&>()));
        Events events;
        std::unique_lock<std::mutex> lock(mutex);
        if (!running) return R();
        if constexpr (std::is_void<R>::value) {
            f(events);
            lock.unlock();
            raise(events);
        } else {
            R result = f(events);
            lock.unlock();
            raise(events);
            return result;
        }
    }

    // Delivers events to the listeners, in order. Called without the model lock.
    // An event raised from inside a listener is queued behind the current ones.
    void raise(const Events& events);
    void addListener(ITunesEventsListener* listener);
    void removeListener(ITunesEventsListener* listener);

    mutable std::mutex mutex;
    bool running = true;
    std::vector<TrackEntry> tracks;
    std::vector<PlaylistEntry> playlists;                             // display order; the library playlist first
    std::unordered_map<long, std::size_t> trackIndex, playlistIndex;  // id -> place; places never change
    std::set<unsigned long long> persistentIds;                       // in use, by tracks and playlists
    unsigned long long nextPersistentId = 0x4B4F4C4942524958ULL;
    long state = Stopped;
    long long positionMs = 0;
    long currentTrackId = 0;
    long currentPlaylistId = 0;
    long volume = 100;
    bool muted = false;
    bool eq = false;
    bool visuals = false;
    bool browserVisible = true;
    bool miniPlayer = false;
    long selectedPlaylistId = 0;
    long nextArtworkSerial = 1;
    std::mt19937 random;

    // Guards the listeners and serialises delivery; recursive so that a
    // listener may add or remove listeners and cause events itself.
    std::recursive_mutex dispatchMutex;
    std::vector<ITunesEventsListener*> listeners;
    bool dispatching = false;
    Events pending;
};

// The handles' way into the model.
struct ModelAccess {
    using Impl = PlayerModel::Impl;
    static Impl& impl(PlayerModel& model) { return *model.impl_; }
};

std::shared_ptr<App> makeAppHandle(std::shared_ptr<PlayerModel> model);
PlaylistPtr makePlaylistHandle(std::shared_ptr<PlayerModel> model, long playlistId);

// Case-insensitive word match used by playlist searches: every blank-separated
// word of `text` occurs in at least one of the fields. No words, no match.
bool matchesAllWords(const std::wstring& text, const std::vector<const std::wstring*>& fields);

// "m:ss", or "h:mm:ss" from an hour on.
std::wstring formatTime(long seconds);

}  // namespace model
}  // namespace itunes
}  // namespace tavelapp

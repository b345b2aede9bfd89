#include "player/model/PlayerModel.h"

#include <algorithm>
#include <climits>
#include <set>

#include "player/model/PlayerModelImpl.h"
#include "win/util/TextCodec.h"
#include "win/util/CallbackGuard.h"

namespace tavelapp {
namespace itunes {
namespace model {
namespace {

// Fixed, so that shuffled orders repeat from run to run.
constexpr std::mt19937::result_type shuffleSeed = 0x4b6f6c69;
// Shorter tracks are played as this long, so that advancing always moves on.
constexpr long long shortestTrackMs = 1000;
// Bounds the tracks one advance() may run through (repeat all over tiny tracks).
constexpr int maxStepsPerAdvance = 100000;

// Simple case folding: ASCII, Latin-1, full-width Latin, Greek and Cyrillic.
wchar_t foldCase(wchar_t c) {
    const unsigned long u = static_cast<unsigned long>(c);
    if ((u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7) || (u >= 0xFF21 && u <= 0xFF3A) ||
        (u >= 0x391 && u <= 0x3A9 && u != 0x3A2) || (u >= 0x410 && u <= 0x42F)) {
        return static_cast<wchar_t>(u + 0x20);
    }
    if (u >= 0x400 && u <= 0x40F) return static_cast<wchar_t>(u + 0x50);
    return c;
}

std::wstring folded(const std::wstring& text) {
    std::wstring out(text);
    for (wchar_t& c : out)
        c = foldCase(c);
    return out;
}

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == 0xA0 || c == 0x3000; }

}  // namespace

bool matchesAllWords(const std::wstring& text, const std::vector<const std::wstring*>& fields) {
    std::vector<std::wstring> haystacks;
    haystacks.reserve(fields.size());
    for (const std::wstring* f : fields)
        haystacks.push_back(folded(*f));
    bool anyWord = false;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isBlank(text[i]))
            ++i;
        std::size_t end = i;
        while (end < text.size() && !isBlank(text[end]))
            ++end;
        if (end == i) break;
        anyWord = true;
        const std::wstring word = folded(text.substr(i, end - i));
        const bool found = std::any_of(haystacks.begin(), haystacks.end(),
                                       [&word](const std::wstring& h) { return h.find(word) != std::wstring::npos; });
        if (!found) return false;
        i = end;
    }
    return anyWord;
}

std::wstring formatTime(long seconds) {
    if (seconds < 0) seconds = 0;
    const long h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    std::wstring out = h > 0 ? std::to_wstring(h) + L":" + (m < 10 ? L"0" : L"") : std::wstring();
    out += std::to_wstring(m) + L":" + (s < 10 ? L"0" : L"") + std::to_wstring(s);
    return out;
}

PlayerModel::Impl::Impl(Library library) : random(shuffleSeed) {
    // Ids are identities: tracks without a usable one, or with a repeated one, are left out.
    std::set<long> trackIds;
    for (TrackData& t : library.tracks) {
        if (t.trackId <= 0 || !trackIds.insert(t.trackId).second) continue;
        TrackEntry entry;
        for (const std::string& path : t.artwork) {
            ArtworkEntry a;
            a.serial = nextArtworkSerial++;
            a.path = tavel::win::util::utf8ToWide(path);
            entry.artwork.push_back(std::move(a));
        }
        t.artwork.clear();
        t.rating = std::min(100L, std::max(0L, t.rating));
        entry.data = std::move(t);
        tracks.push_back(std::move(entry));
    }

    if (library.playlists.empty()) {
        PlaylistData all;
        all.name = L"Library";
        library.playlists.push_back(std::move(all));
    }
    std::set<long> playlistIds;
    for (const PlaylistData& p : library.playlists) {
        if (p.playlistId > 0) playlistIds.insert(p.playlistId);
    }
    std::set<long> usedIds;
    long freeId = 1;
    for (PlaylistData& p : library.playlists) {
        if (p.playlistId <= 0 || !usedIds.insert(p.playlistId).second) {
            while (playlistIds.count(freeId) || usedIds.count(freeId))
                ++freeId;
            p.playlistId = freeId;
            usedIds.insert(freeId);
        }
        // A track appears once per playlist here, so (track, playlist) names one place.
        std::set<long> seen;
        std::vector<long> ids;
        for (long id : p.trackIds) {
            if (trackIds.count(id) && seen.insert(id).second) ids.push_back(id);
        }
        p.trackIds = std::move(ids);
        if (p.songRepeat < RepeatOff || p.songRepeat > RepeatAll) p.songRepeat = RepeatOff;
        PlaylistEntry entry;
        entry.data = std::move(p);
        playlists.push_back(std::move(entry));
    }
    // The library playlist holds every track.
    PlaylistEntry& master = playlists.front();
    const std::set<long> listed(master.data.trackIds.begin(), master.data.trackIds.end());
    for (const TrackEntry& t : tracks) {
        if (!listed.count(t.data.trackId)) master.data.trackIds.push_back(t.data.trackId);
    }
    for (PlaylistEntry& p : playlists) {
        const bool on = p.data.shuffle;
        p.data.shuffle = !on;
        setShuffleLocked(p, on);
    }
    // Persistent ids are identities too: missing or repeated ones are made anew.
    for (TrackEntry& t : tracks) {
        if (t.data.persistentId == 0 || !persistentIds.insert(t.data.persistentId).second)
            t.data.persistentId = newPersistentIdLocked();
    }
    for (PlaylistEntry& p : playlists) {
        if (p.data.persistentId == 0 || !persistentIds.insert(p.data.persistentId).second)
            p.data.persistentId = newPersistentIdLocked();
    }
    for (std::size_t i = 0; i < tracks.size(); ++i)
        trackIndex[tracks[i].data.trackId] = i;
    for (std::size_t i = 0; i < playlists.size(); ++i)
        playlistIndex[playlists[i].data.playlistId] = i;
    selectedPlaylistId = master.data.playlistId;
}

PlayerModel::Impl::TrackEntry* PlayerModel::Impl::track(long trackId) {
    const auto found = trackIndex.find(trackId);
    return found == trackIndex.end() ? nullptr : &tracks[found->second];
}

PlayerModel::Impl::PlaylistEntry* PlayerModel::Impl::playlist(long playlistId) {
    const auto found = playlistIndex.find(playlistId);
    return found == playlistIndex.end() ? nullptr : &playlists[found->second];
}

long PlayerModel::Impl::orderPosition(const PlaylistEntry& playlist, long trackId) {
    for (std::size_t i = 0; i < playlist.order.size(); ++i) {
        if (playlist.data.trackIds[playlist.order[i]] == trackId) return static_cast<long>(i);
    }
    return -1;
}

long PlayerModel::Impl::trackAtOrder(const PlaylistEntry& playlist, std::size_t position) {
    return position < playlist.order.size() ? playlist.data.trackIds[playlist.order[position]] : 0;
}

long long PlayerModel::Impl::trackLengthMs(long trackId) {
    const TrackEntry* t = track(trackId);
    const long long ms = t ? static_cast<long long>(t->data.duration) * 1000 : 0;
    return std::min<long long>(LONG_MAX, std::max(shortestTrackMs, ms));
}

void PlayerModel::Impl::startLocked(long playlistId, long trackId, Events& events) {
    if (state == Stopped) {
        events.push_back(DispPlayerPlay);
    } else if (trackId != currentTrackId) {
        events.push_back(DispPlayerStop);
        events.push_back(DispPlayerPlay);
    }
    currentPlaylistId = playlistId;
    currentTrackId = trackId;
    positionMs = 0;
    state = Playing;
}

void PlayerModel::Impl::endOfPlaylistLocked(Events& events) {
    if (state != Stopped) events.push_back(DispPlayerStop);
    state = Stopped;
    positionMs = 0;
    currentTrackId = 0;
    currentPlaylistId = 0;
}

// Skipping while stopped selects the track without playing it.
void PlayerModel::Impl::moveToLocked(long playlistId, long trackId, Events& events) {
    if (state != Stopped) {
        startLocked(playlistId, trackId, events);
        return;
    }
    currentPlaylistId = playlistId;
    currentTrackId = trackId;
    positionMs = 0;
}

void PlayerModel::Impl::playLocked(Events& events) {
    if (currentTrackId != 0) {
        if (state == Stopped) events.push_back(DispPlayerPlay);
        state = Playing;
        return;
    }
    const PlaylistEntry* p = playlist(currentPlaylistId);
    if (!p || p->order.empty()) p = &playlists.front();
    if (p->order.empty()) return;
    startLocked(p->data.playlistId, trackAtOrder(*p, 0), events);
}

// The player has no paused state: pausing stops and keeps the place.
void PlayerModel::Impl::pauseLocked(Events& events) {
    if (state == Stopped) return;
    state = Stopped;
    events.push_back(DispPlayerStop);
}

void PlayerModel::Impl::stopLocked(Events& events) {
    pauseLocked(events);
    positionMs = 0;
}

void PlayerModel::Impl::resumeLocked() {
    if (state == FastForwarding || state == Rewinding) state = Playing;
}

void PlayerModel::Impl::seekLocked(long newState, Events& events) {
    if (currentTrackId == 0) return;
    if (state == Stopped) events.push_back(DispPlayerPlay);
    state = newState;
}

void PlayerModel::Impl::nextTrackLocked(Events& events) {
    if (currentTrackId == 0) return;
    const PlaylistEntry* p = playlist(currentPlaylistId);
    if (!p) {
        endOfPlaylistLocked(events);
        return;
    }
    const std::size_t next = static_cast<std::size_t>(orderPosition(*p, currentTrackId) + 1);
    if (next < p->order.size()) {
        moveToLocked(p->data.playlistId, trackAtOrder(*p, next), events);
    } else if (p->data.songRepeat == RepeatAll && !p->order.empty()) {
        moveToLocked(p->data.playlistId, trackAtOrder(*p, 0), events);
    } else {
        endOfPlaylistLocked(events);
    }
}

void PlayerModel::Impl::previousTrackLocked(Events& events) {
    if (currentTrackId == 0) return;
    const PlaylistEntry* p = playlist(currentPlaylistId);
    const long at = p ? orderPosition(*p, currentTrackId) : -1;
    if (at > 0) {
        moveToLocked(p->data.playlistId, trackAtOrder(*p, static_cast<std::size_t>(at - 1)), events);
    } else {
        positionMs = 0;
    }
}

void PlayerModel::Impl::backTrackLocked(Events& events) {
    if (currentTrackId == 0) return;
    if (positionMs > 2000) {
        positionMs = 0;
    } else {
        previousTrackLocked(events);
    }
}

void PlayerModel::Impl::finishTrackLocked(Events& events) {
    if (TrackEntry* t = track(currentTrackId)) ++t->data.playedCount;
    const PlaylistEntry* p = playlist(currentPlaylistId);
    long next = currentTrackId;
    if (!p || p->data.songRepeat != RepeatOne) {
        const std::size_t after = p ? static_cast<std::size_t>(orderPosition(*p, currentTrackId) + 1) : 0;
        if (p && after < p->order.size()) {
            next = trackAtOrder(*p, after);
        } else if (p && p->data.songRepeat == RepeatAll && !p->order.empty()) {
            next = trackAtOrder(*p, 0);
        } else {
            endOfPlaylistLocked(events);
            return;
        }
    }
    // Even a repeated track ends and starts again.
    events.push_back(DispPlayerStop);
    events.push_back(DispPlayerPlay);
    currentTrackId = next;
    positionMs = 0;
    state = Playing;
}

void PlayerModel::Impl::advanceLocked(long long milliseconds, Events& events) {
    long long remaining = milliseconds;
    for (int step = 0; remaining > 0 && state != Stopped && currentTrackId != 0 && step < maxStepsPerAdvance; ++step) {
        if (state == Rewinding) {
            const long long toStart = (positionMs + 3) / 4;
            if (remaining < toStart) {
                positionMs -= remaining * 4;
                remaining = 0;
            } else {
                // Rewinding into the start plays on from there.
                remaining -= toStart;
                positionMs = 0;
                state = Playing;
            }
            continue;
        }
        const long long speed = state == FastForwarding ? 4 : 1;
        const long long left = std::max<long long>(0, trackLengthMs(currentTrackId) - positionMs);
        const long long needed = (left + speed - 1) / speed;
        if (remaining < needed) {
            positionMs += remaining * speed;
            remaining = 0;
        } else {
            remaining -= needed;
            finishTrackLocked(events);
        }
    }
}

void PlayerModel::Impl::setShuffleLocked(PlaylistEntry& p, bool on) {
    if (p.data.shuffle == on && p.order.size() == p.data.trackIds.size()) return;
    p.data.shuffle = on;
    p.order.resize(p.data.trackIds.size());
    for (std::size_t i = 0; i < p.order.size(); ++i)
        p.order[i] = i;
    if (!on) return;
    // Fisher-Yates on the engine's raw output: the same order on every standard library.
    for (std::size_t i = p.order.size(); i > 1; --i) {
        const std::size_t j = static_cast<std::size_t>(random() % i);
        std::swap(p.order[i - 1], p.order[j]);
    }
}

void PlayerModel::Impl::setRatingLocked(long trackId, long rating, Events& events) {
    TrackEntry* t = track(trackId);
    if (!t) return;
    rating = std::min(100L, std::max(0L, rating));
    if (t->data.rating == rating) return;
    t->data.rating = rating;
    if (trackId == currentTrackId && state != Stopped) events.push_back(DispPlayingTrackChanged);
}

void PlayerModel::Impl::setVolumeLocked(long newVolume, Events& events) {
    newVolume = std::min(100L, std::max(0L, newVolume));
    if (newVolume == volume) return;
    volume = newVolume;
    events.push_back(DispSoundVolumeChanged);
}

void PlayerModel::Impl::setMuteLocked(bool on, Events& events) {
    if (on == muted) return;
    muted = on;
    events.push_back(DispSoundVolumeChanged);
}

void PlayerModel::Impl::quitLocked(Events& events) {
    running = false;
    state = Stopped;
    positionMs = 0;
    currentTrackId = 0;
    currentPlaylistId = 0;
    events.push_back(DispQuitting);
}

std::vector<long> PlayerModel::Impl::searchLocked(long playlistId, const std::wstring& text, long fields) {
    std::vector<long> found;
    const PlaylistEntry* p = playlist(playlistId);
    if (!p) return found;
    for (long id : p->data.trackIds) {
        const TrackEntry* t = track(id);
        if (!t) continue;
        const TrackData& d = t->data;
        std::vector<const std::wstring*> where;
        switch (fields) {
            case SearchArtists:
                where = {&d.artist};
                break;
            case SearchAlbums:
                where = {&d.album};
                break;
            case SearchComposers:
                where = {&d.composer};
                break;
            case SearchSongNames:
                where = {&d.name};
                break;
            case SearchVisible:  // the columns the player shows by default
                where = {&d.name, &d.album, &d.artist, &d.genre};
                break;
            default:
                where = {&d.name, &d.album, &d.artist, &d.composer, &d.genre};
                break;
        }
        if (matchesAllWords(text, where)) found.push_back(id);
    }
    return found;
}

long PlayerModel::Impl::findPersistentLocked(const std::vector<long>& trackIds, unsigned long long id) {
    if (id == 0) return -1;
    for (std::size_t i = 0; i < trackIds.size(); ++i) {
        const TrackEntry* t = track(trackIds[i]);
        if (t && t->data.persistentId == id) return static_cast<long>(i);
    }
    return -1;
}

unsigned long long PlayerModel::Impl::newPersistentIdLocked() {
    while (!persistentIds.insert(nextPersistentId).second)
        ++nextPersistentId;
    return nextPersistentId++;
}

long PlayerModel::Impl::createPlaylistLocked(const std::wstring& name, Events& events) {
    long id = 1;
    while (playlistIndex.count(id))
        ++id;
    PlaylistEntry entry;
    entry.data.playlistId = id;
    entry.data.name = name;
    entry.data.persistentId = newPersistentIdLocked();
    playlistIndex[id] = playlists.size();
    playlists.push_back(std::move(entry));
    events.push_back(DispDatabaseChanged);
    return id;
}

bool PlayerModel::Impl::addTrackLocked(long playlistId, long trackId, Events& events) {
    PlaylistEntry* p = playlist(playlistId);
    if (!p || p == &playlists.front() || !track(trackId)) return false;
    // A track is held once per playlist here; adding it again changes nothing.
    if (orderPosition(*p, trackId) >= 0) return true;
    p->data.trackIds.push_back(trackId);
    p->order.push_back(p->data.trackIds.size() - 1);
    events.push_back(DispDatabaseChanged);
    return true;
}

void PlayerModel::Impl::raise(const Events& events) {
    if (events.empty()) return;
    std::lock_guard<std::recursive_mutex> lock(dispatchMutex);
    pending.insert(pending.end(), events.begin(), events.end());
    // Only this thread can be dispatching here; the outer loop delivers the rest.
    if (dispatching) return;
    dispatching = true;
    for (std::size_t i = 0; i < pending.size(); ++i) {
        const EventDispId event = pending[i];
        const std::vector<ITunesEventsListener*> targets = listeners;
        for (ITunesEventsListener* listener : targets) {
            // One removed by an earlier listener is not called any more.
            if (std::find(listeners.begin(), listeners.end(), listener) == listeners.end()) continue;
            // A listener's failure must not cost the others their event.
            tavel::win::util::guarded("PlayerModel event", [&] { deliver(*listener, event); });
        }
    }
    pending.clear();
    dispatching = false;
}

void PlayerModel::Impl::addListener(ITunesEventsListener* listener) {
    std::lock_guard<std::recursive_mutex> lock(dispatchMutex);
    if (listener && std::find(listeners.begin(), listeners.end(), listener) == listeners.end()) {
        listeners.push_back(listener);
    }
}

void PlayerModel::Impl::removeListener(ITunesEventsListener* listener) {
    std::lock_guard<std::recursive_mutex> lock(dispatchMutex);
    listeners.erase(std::remove(listeners.begin(), listeners.end(), listener), listeners.end());
}

std::shared_ptr<PlayerModel> PlayerModel::create(Library library) {
    return std::shared_ptr<PlayerModel>(new PlayerModel(std::move(library)));
}

PlayerModel::PlayerModel(Library library) : impl_(std::make_unique<Impl>(std::move(library))) {}

PlayerModel::~PlayerModel() = default;

std::shared_ptr<App> PlayerModel::app() { return makeAppHandle(shared_from_this()); }

PlaylistPtr PlayerModel::createPlaylist(const std::wstring& name) {
    const long id = impl_->call([&](Impl::Events& events) { return impl_->createPlaylistLocked(name, events); });
    return id != 0 ? makePlaylistHandle(shared_from_this(), id) : nullptr;
}

void PlayerModel::advance(long milliseconds) {
    if (milliseconds <= 0) return;
    impl_->call([&](Impl::Events& events) { impl_->advanceLocked(milliseconds, events); });
}

void PlayerModel::addListener(ITunesEventsListener* listener) { impl_->addListener(listener); }

void PlayerModel::removeListener(ITunesEventsListener* listener) { impl_->removeListener(listener); }

bool PlayerModel::running() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->running;
}

PlayerModel::Status PlayerModel::status() const {
    Impl& m = *impl_;
    std::lock_guard<std::mutex> lock(m.mutex);
    Status s;
    s.state = m.state;
    s.positionMs = static_cast<long>(std::min<long long>(LONG_MAX, m.positionMs));
    s.volume = m.volume;
    s.mute = m.muted;
    s.eq = m.eq;
    s.visuals = m.visuals;
    s.currentTrackId = m.currentTrackId;
    s.currentPlaylistId = m.currentPlaylistId;
    if (const Impl::PlaylistEntry* p = m.playlist(m.currentPlaylistId)) {
        s.currentPlaylistName = p->data.name;
        s.tracksInPlaylist = static_cast<long>(p->data.trackIds.size());
        s.shuffle = p->data.shuffle;
        s.songRepeat = p->data.songRepeat;
        s.playOrderIndex = Impl::orderPosition(*p, m.currentTrackId) + 1;
    }
    if (const Impl::TrackEntry* t = m.track(m.currentTrackId)) {
        s.trackName = t->data.name;
        s.artist = t->data.artist;
        s.album = t->data.album;
    }
    s.browserVisible = m.browserVisible;
    s.miniPlayer = m.miniPlayer;
    s.selectedPlaylistId = m.selectedPlaylistId;
    return s;
}

}  // namespace model
}  // namespace itunes
}  // namespace tavelapp

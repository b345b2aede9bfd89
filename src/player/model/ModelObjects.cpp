// The handles the model gives out through the player interface. A handle names
// its object by id and looks it up on every call, so it keeps working (giving
// empty values) when the object is gone or the player has quit; it holds the
// model alive.
#include <algorithm>

#include "player/model/PersistentItem.h"
#include "player/model/PlayerModelImpl.h"
#include "player/model/UserPlaylist.h"
#include "win/file/FileSystem.h"

namespace tavelapp {
namespace itunes {
namespace model {
namespace {

using Impl = ModelAccess::Impl;
using Events = Impl::Events;
using ModelPtr = std::shared_ptr<PlayerModel>;

class Handle {
protected:
    explicit Handle(ModelPtr model) : model_(std::move(model)), impl_(ModelAccess::impl(*model_)) {}
    ModelPtr model_;
    Impl& impl_;
};

TrackPtr makeTrack(const ModelPtr& model, long trackId, long playlistId);
PlaylistPtr makePlaylist(const ModelPtr& model, long playlistId);

class ModelArtwork : public Artwork, Handle {
public:
    ModelArtwork(ModelPtr model, long trackId, long serial)
        : Handle(std::move(model)), trackId_(trackId), serial_(serial) {}

    bool saveArtworkToFile(const std::wstring& path) override {
        bool exists = false, loaded = false;
        std::wstring source;
        std::string bytes;
        impl_.call([&](Events&) {
            if (const Impl::ArtworkEntry* a = find()) {
                exists = true;
                loaded = a->loaded;
                if (loaded) bytes = a->bytes;
                source = a->path;
            }
        });
        if (!exists) return false;
        if (!loaded) {
            // Read outside the lock; the first reader keeps the bytes for everyone.
            if (!tavel::win::file::readFileBytes(source, bytes, tavel::win::file::kPictureReadLimit) || bytes.empty())
                return false;
            impl_.call([&](Events&) {
                if (Impl::ArtworkEntry* a = find()) {
                    if (!a->loaded) {
                        a->bytes = bytes;
                        a->loaded = true;
                    }
                }
            });
        }
        return tavel::win::file::writeFileAtomically(path, bytes);
    }

    // The picture is read now, so the file may go once this returns.
    bool setArtworkFromFile(const std::wstring& path) override {
        std::string bytes;
        if (!tavel::win::file::readFileBytes(path, bytes, tavel::win::file::kPictureReadLimit) || bytes.empty())
            return false;
        return impl_.call([&](Events& events) {
            Impl::ArtworkEntry* a = find();
            if (!a) return false;
            a->path = path;
            a->bytes = std::move(bytes);
            a->loaded = true;
            events.push_back(DispDatabaseChanged);
            return true;
        });
    }

    bool deleteArtwork() override {
        return impl_.call([&](Events& events) {
            Impl::TrackEntry* t = impl_.track(trackId_);
            if (!t) return false;
            const auto at = std::find_if(t->artwork.begin(), t->artwork.end(),
                                         [this](const Impl::ArtworkEntry& a) { return a.serial == serial_; });
            if (at == t->artwork.end()) return false;
            t->artwork.erase(at);
            events.push_back(DispDatabaseChanged);
            return true;
        });
    }

private:
    Impl::ArtworkEntry* find() {
        Impl::TrackEntry* t = impl_.track(trackId_);
        if (!t) return nullptr;
        for (Impl::ArtworkEntry& a : t->artwork) {
            if (a.serial == serial_) return &a;
        }
        return nullptr;
    }

    long trackId_;
    long serial_;
};

class ModelArtworkCollection : public ArtworkCollection, Handle {
public:
    ModelArtworkCollection(ModelPtr model, long trackId) : Handle(std::move(model)), trackId_(trackId) {}

    long count() override {
        return impl_.call([&](Events&) {
            const Impl::TrackEntry* t = impl_.track(trackId_);
            return t ? static_cast<long>(t->artwork.size()) : 0L;
        });
    }

    ArtworkPtr item(long index) override {
        return impl_.call([&](Events&) -> ArtworkPtr {
            const Impl::TrackEntry* t = impl_.track(trackId_);
            if (!t || index < 1 || index > static_cast<long>(t->artwork.size())) return nullptr;
            return std::make_shared<ModelArtwork>(model_, trackId_,
                                                  t->artwork[static_cast<std::size_t>(index - 1)].serial);
        });
    }

private:
    long trackId_;
};

class ModelTrack : public Track, public PersistentItem, Handle {
public:
    ModelTrack(ModelPtr model, long trackId, long playlistId)
        : Handle(std::move(model)), trackId_(trackId), playlistId_(playlistId) {}

    std::wstring name() override { return field(&TrackData::name); }
    long playlistId() override { return field(&TrackData::trackId) ? playlistId_ : 0; }
    long trackId() override { return field(&TrackData::trackId); }
    std::wstring album() override { return field(&TrackData::album); }
    std::wstring artist() override { return field(&TrackData::artist); }
    std::wstring comment() override { return field(&TrackData::comment); }
    std::wstring composer() override { return field(&TrackData::composer); }
    long duration() override { return field(&TrackData::duration); }
    std::wstring genre() override { return field(&TrackData::genre); }
    long playedCount() override { return field(&TrackData::playedCount); }
    long rating() override { return field(&TrackData::rating); }
    long trackCount() override { return field(&TrackData::trackCount); }
    long trackNumber() override { return field(&TrackData::trackNumber); }
    long year() override { return field(&TrackData::year); }
    unsigned long long persistentId() override { return field(&TrackData::persistentId); }

    std::wstring time() override {
        return impl_.call([&](Events&) {
            const Impl::TrackEntry* t = impl_.track(trackId_);
            return t ? formatTime(t->data.duration) : std::wstring();
        });
    }

    void play() override {
        impl_.call([&](Events& events) {
            const Impl::PlaylistEntry* p = impl_.playlist(playlistId_);
            if (p && Impl::orderPosition(*p, trackId_) >= 0) impl_.startLocked(playlistId_, trackId_, events);
        });
    }

    long playOrderIndex() override {
        return impl_.call([&](Events&) {
            const Impl::PlaylistEntry* p = impl_.playlist(playlistId_);
            return p ? Impl::orderPosition(*p, trackId_) + 1 : 0L;
        });
    }

    void setRating(long rating) override {
        impl_.call([&](Events& events) { impl_.setRatingLocked(trackId_, rating, events); });
    }

    ArtworkCollectionPtr artwork() override {
        return impl_.call([&](Events&) -> ArtworkCollectionPtr {
            if (!impl_.track(trackId_)) return nullptr;
            return std::make_shared<ModelArtworkCollection>(model_, trackId_);
        });
    }

    ArtworkPtr addArtworkFromFile(const std::wstring& path) override {
        std::string bytes;
        if (!tavel::win::file::readFileBytes(path, bytes, tavel::win::file::kPictureReadLimit) || bytes.empty())
            return nullptr;
        return impl_.call([&](Events& events) -> ArtworkPtr {
            Impl::TrackEntry* t = impl_.track(trackId_);
            if (!t) return nullptr;
            Impl::ArtworkEntry a;
            a.serial = impl_.nextArtworkSerial++;
            a.path = path;
            a.loaded = true;
            a.bytes = std::move(bytes);
            t->artwork.push_back(std::move(a));
            events.push_back(DispDatabaseChanged);
            return std::make_shared<ModelArtwork>(model_, trackId_, t->artwork.back().serial);
        });
    }

private:
    template <class T>
    T field(T TrackData::*member) {
        return impl_.call([&](Events&) {
            const Impl::TrackEntry* t = impl_.track(trackId_);
            return t ? t->data.*member : T();
        });
    }

    long trackId_;
    long playlistId_;
};

// A playlist's tracks, live; or a search result, a fixed list of its tracks.
class ModelTrackCollection : public TrackCollection, Handle {
public:
    ModelTrackCollection(ModelPtr model, long playlistId) : Handle(std::move(model)), playlistId_(playlistId) {}
    ModelTrackCollection(ModelPtr model, long playlistId, std::vector<long> found)
        : Handle(std::move(model)), playlistId_(playlistId), fixed_(true), found_(std::move(found)) {}

    long count() override {
        return impl_.call([&](Events&) {
            const Impl::PlaylistEntry* p = impl_.playlist(playlistId_);
            return p ? static_cast<long>(ids(*p).size()) : 0L;
        });
    }

    TrackPtr item(long index) override {
        return impl_.call([&](Events&) -> TrackPtr {
            const Impl::PlaylistEntry* p = impl_.playlist(playlistId_);
            if (!p) return nullptr;
            const std::vector<long>& list = ids(*p);
            if (index < 1 || index > static_cast<long>(list.size())) return nullptr;
            return makeTrack(model_, list[static_cast<std::size_t>(index - 1)], playlistId_);
        });
    }

    TrackPtr itemByPlayOrder(long index) override {
        return impl_.call([&](Events&) -> TrackPtr {
            const Impl::PlaylistEntry* p = impl_.playlist(playlistId_);
            if (!p || index < 1) return nullptr;
            if (!fixed_) {
                const long id = Impl::trackAtOrder(*p, static_cast<std::size_t>(index - 1));
                return id ? makeTrack(model_, id, playlistId_) : nullptr;
            }
            // A search result follows its playlist's play order.
            std::vector<long> ordered = found_;
            std::stable_sort(ordered.begin(), ordered.end(),
                             [p](long a, long b) { return Impl::orderPosition(*p, a) < Impl::orderPosition(*p, b); });
            if (index > static_cast<long>(ordered.size())) return nullptr;
            return makeTrack(model_, ordered[static_cast<std::size_t>(index - 1)], playlistId_);
        });
    }

    TrackPtr itemByPersistentId(unsigned long long id) override {
        return impl_.call([&](Events&) -> TrackPtr {
            const Impl::PlaylistEntry* p = impl_.playlist(playlistId_);
            if (!p) return nullptr;
            const std::vector<long>& list = ids(*p);
            const long at = impl_.findPersistentLocked(list, id);
            return at >= 0 ? makeTrack(model_, list[static_cast<std::size_t>(at)], playlistId_) : nullptr;
        });
    }

private:
    const std::vector<long>& ids(const Impl::PlaylistEntry& p) const { return fixed_ ? found_ : p.data.trackIds; }

    long playlistId_;
    bool fixed_ = false;
    std::vector<long> found_;
};

class ModelPlaylist : public Playlist, public PersistentItem, public UserPlaylist, Handle {
public:
    ModelPlaylist(ModelPtr model, long playlistId) : Handle(std::move(model)), playlistId_(playlistId) {}

    std::wstring name() override {
        return impl_.call([&](Events&) {
            const Impl::PlaylistEntry* p = impl_.playlist(playlistId_);
            return p ? p->data.name : std::wstring();
        });
    }
    long playlistId() override {
        return impl_.call([&](Events&) { return impl_.playlist(playlistId_) ? playlistId_ : 0L; });
    }
    long trackId() override { return 0; }

    unsigned long long persistentId() override {
        return impl_.call([&](Events&) {
            const Impl::PlaylistEntry* p = impl_.playlist(playlistId_);
            return p ? p->data.persistentId : 0ULL;
        });
    }

    TrackPtr addTrack(long trackId) override {
        const bool added =
            impl_.call([&](Events& events) { return impl_.addTrackLocked(playlistId_, trackId, events); });
        return added ? makeTrack(model_, trackId, playlistId_) : nullptr;
    }

    void playFirstTrack() override {
        impl_.call([&](Events& events) {
            const Impl::PlaylistEntry* p = impl_.playlist(playlistId_);
            if (p && !p->order.empty()) impl_.startLocked(playlistId_, Impl::trackAtOrder(*p, 0), events);
        });
    }

    TrackCollectionPtr tracks() override {
        return impl_.call([&](Events&) -> TrackCollectionPtr {
            if (!impl_.playlist(playlistId_)) return nullptr;
            return std::make_shared<ModelTrackCollection>(model_, playlistId_);
        });
    }

    TrackCollectionPtr search(const std::wstring& text, long fields) override {
        return impl_.call([&](Events&) -> TrackCollectionPtr {
            std::vector<long> found = impl_.searchLocked(playlistId_, text, fields);
            if (found.empty()) return nullptr;
            return std::make_shared<ModelTrackCollection>(model_, playlistId_, std::move(found));
        });
    }

    long kind() override {
        return impl_.call([&](Events&) {
            const Impl::PlaylistEntry* p = impl_.playlist(playlistId_);
            if (!p) return static_cast<long>(PlaylistKindUnknown);
            return static_cast<long>(p == &impl_.playlists.front() ? PlaylistKindLibrary : PlaylistKindUser);
        });
    }
    bool smart() override {
        return impl_.call([&](Events&) {
            const Impl::PlaylistEntry* p = impl_.playlist(playlistId_);
            return p && p != &impl_.playlists.front() && p->data.smart;
        });
    }
    long specialKind() override {
        return impl_.call([&](Events&) {
            const Impl::PlaylistEntry* p = impl_.playlist(playlistId_);
            return p && p != &impl_.playlists.front() ? p->data.specialKind : static_cast<long>(SpecialKindNone);
        });
    }

    bool shuffle() override {
        return impl_.call([&](Events&) {
            const Impl::PlaylistEntry* p = impl_.playlist(playlistId_);
            return p && p->data.shuffle;
        });
    }

    void setShuffle(bool on) override {
        impl_.call([&](Events&) {
            if (Impl::PlaylistEntry* p = impl_.playlist(playlistId_)) impl_.setShuffleLocked(*p, on);
        });
    }

    long songRepeat() override {
        return impl_.call([&](Events&) {
            const Impl::PlaylistEntry* p = impl_.playlist(playlistId_);
            return p ? p->data.songRepeat : 0L;
        });
    }

    void setSongRepeat(long repeat) override {
        if (repeat < RepeatOff || repeat > RepeatAll) return;
        impl_.call([&](Events&) {
            if (Impl::PlaylistEntry* p = impl_.playlist(playlistId_)) p->data.songRepeat = repeat;
        });
    }

private:
    long playlistId_;
};

class ModelPlaylistCollection : public PlaylistCollection, Handle {
public:
    explicit ModelPlaylistCollection(ModelPtr model) : Handle(std::move(model)) {}

    long count() override {
        return impl_.call([&](Events&) { return static_cast<long>(impl_.playlists.size()); });
    }

    PlaylistPtr item(long index) override {
        return impl_.call([&](Events&) -> PlaylistPtr {
            if (index < 1 || index > static_cast<long>(impl_.playlists.size())) return nullptr;
            return makePlaylist(model_, impl_.playlists[static_cast<std::size_t>(index - 1)].data.playlistId);
        });
    }

    PlaylistPtr itemByPersistentId(unsigned long long id) override {
        return impl_.call([&](Events&) -> PlaylistPtr {
            for (const Impl::PlaylistEntry& p : impl_.playlists) {
                if (id != 0 && p.data.persistentId == id) return makePlaylist(model_, p.data.playlistId);
            }
            return nullptr;
        });
    }
};

class ModelSource : public Source, Handle {
public:
    explicit ModelSource(ModelPtr model) : Handle(std::move(model)) {}

    std::wstring name() override {
        return impl_.call([](Events&) { return std::wstring(L"Library"); });
    }
    long playlistId() override { return 0; }
    long trackId() override { return 0; }

    PlaylistCollectionPtr playlists() override {
        return impl_.call(
            [&](Events&) -> PlaylistCollectionPtr { return std::make_shared<ModelPlaylistCollection>(model_); });
    }
};

class ModelBrowserWindow : public BrowserWindow, Handle {
public:
    explicit ModelBrowserWindow(ModelPtr model) : Handle(std::move(model)) {}

    void setVisible(bool visible) override {
        impl_.call([&](Events&) { impl_.browserVisible = visible; });
    }
    bool miniPlayer() override {
        return impl_.call([&](Events&) { return impl_.miniPlayer; });
    }
    void setMiniPlayer(bool mini) override {
        impl_.call([&](Events&) { impl_.miniPlayer = mini; });
    }

    void setSelectedPlaylist(const PlaylistPtr& playlist) override {
        // Asked before taking the lock: the playlist may be one of ours.
        const long id = playlist ? playlist->playlistId() : 0;
        impl_.call([&](Events&) {
            if (!playlist) {
                impl_.selectedPlaylistId = 0;
            } else if (impl_.playlist(id)) {
                impl_.selectedPlaylistId = id;
            }
        });
    }
};

class ModelApp : public App, Handle {
public:
    explicit ModelApp(ModelPtr model) : Handle(std::move(model)) {}

    void play() override { run(&Impl::playLocked); }
    void pause() override { run(&Impl::pauseLocked); }
    void playPause() override {
        impl_.call([&](Events& events) {
            if (impl_.state == Stopped) {
                impl_.playLocked(events);
            } else {
                impl_.pauseLocked(events);
            }
        });
    }
    void stop() override { run(&Impl::stopLocked); }
    void resume() override {
        impl_.call([&](Events&) { impl_.resumeLocked(); });
    }
    void backTrack() override { run(&Impl::backTrackLocked); }
    void previousTrack() override { run(&Impl::previousTrackLocked); }
    void nextTrack() override { run(&Impl::nextTrackLocked); }
    void fastForward() override {
        impl_.call([&](Events& events) { impl_.seekLocked(FastForwarding, events); });
    }
    void rewind() override {
        impl_.call([&](Events& events) { impl_.seekLocked(Rewinding, events); });
    }
    void quit() override { run(&Impl::quitLocked); }

    long soundVolume() override {
        return impl_.call([&](Events&) { return impl_.volume; });
    }
    void setSoundVolume(long volume) override {
        impl_.call([&](Events& events) { impl_.setVolumeLocked(volume, events); });
    }
    bool mute() override {
        return impl_.call([&](Events&) { return impl_.muted; });
    }
    void setMute(bool on) override {
        impl_.call([&](Events& events) { impl_.setMuteLocked(on, events); });
    }
    bool eqEnabled() override {
        return impl_.call([&](Events&) { return impl_.eq; });
    }
    void setEQEnabled(bool on) override {
        impl_.call([&](Events&) { impl_.eq = on; });
    }
    bool visualsEnabled() override {
        return impl_.call([&](Events&) { return impl_.visuals; });
    }
    void setVisualsEnabled(bool on) override {
        impl_.call([&](Events&) { impl_.visuals = on; });
    }
    bool fullScreenVisuals() override { return false; }
    long playerState() override {
        return impl_.call([&](Events&) { return impl_.state; });
    }
    long playerPosition() override {
        return impl_.call([&](Events&) { return static_cast<long>(impl_.positionMs / 1000); });
    }
    void setPlayerPosition(long seconds) override {
        impl_.call([&](Events&) {
            if (!impl_.track(impl_.currentTrackId)) return;
            const long long length = impl_.trackLengthMs(impl_.currentTrackId);
            impl_.positionMs = std::max<long long>(0, std::min<long long>(length, seconds * 1000LL));
        });
    }

    TrackPtr currentTrack() override {
        return impl_.call([&](Events&) -> TrackPtr {
            if (!impl_.track(impl_.currentTrackId)) return nullptr;
            return makeTrack(model_, impl_.currentTrackId, impl_.currentPlaylistId);
        });
    }
    PlaylistPtr currentPlaylist() override {
        return impl_.call([&](Events&) -> PlaylistPtr {
            if (!impl_.playlist(impl_.currentPlaylistId)) return nullptr;
            return makePlaylist(model_, impl_.currentPlaylistId);
        });
    }
    SourcePtr librarySource() override {
        return impl_.call([&](Events&) -> SourcePtr { return std::make_shared<ModelSource>(model_); });
    }
    PlaylistPtr libraryPlaylist() override {
        return impl_.call(
            [&](Events&) -> PlaylistPtr { return makePlaylist(model_, impl_.playlists.front().data.playlistId); });
    }
    BrowserWindowPtr browserWindow() override {
        return impl_.call([&](Events&) -> BrowserWindowPtr { return std::make_shared<ModelBrowserWindow>(model_); });
    }
    unsigned long long persistentId(Object& object) override {
        auto* item = dynamic_cast<PersistentItem*>(&object);
        return item != nullptr ? item->persistentId() : 0;
    }

private:
    void run(void (Impl::*command)(Events&)) {
        impl_.call([&](Events& events) { (impl_.*command)(events); });
    }
};

TrackPtr makeTrack(const ModelPtr& model, long trackId, long playlistId) {
    return std::make_shared<ModelTrack>(model, trackId, playlistId);
}

PlaylistPtr makePlaylist(const ModelPtr& model, long playlistId) {
    return std::make_shared<ModelPlaylist>(model, playlistId);
}

}  // namespace

std::shared_ptr<App> makeAppHandle(std::shared_ptr<PlayerModel> model) {
    return std::make_shared<ModelApp>(std::move(model));
}

PlaylistPtr makePlaylistHandle(std::shared_ptr<PlayerModel> model, long playlistId) {
    return makePlaylist(model, playlistId);
}

}  // namespace model
}  // namespace itunes
}  // namespace tavelapp

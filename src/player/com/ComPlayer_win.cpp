#include "player/com/ComPlayer.h"

#include "player/com/Dispatch.h"

using tavel::win::util::ComPtr;

namespace tavelapp {
namespace itunes {
namespace {

// Calls whose failure the caller handles itself; a player that stays busy is
// still an error the user hears of.
bool succeeded(HRESULT hr) {
    if (Dispatch::isBusy(hr)) Dispatch::check(hr);
    return SUCCEEDED(hr);
}

// The two halves of a persistent id, as the player takes and gives them.
struct IdHalves {
    explicit IdHalves(unsigned long long id)
        : high(static_cast<long>(static_cast<unsigned long>(id >> 32))),
          low(static_cast<long>(static_cast<unsigned long>(id & 0xFFFFFFFFULL))) {}
    Variant high, low;
};

template <typename T, typename... Extra>
std::shared_ptr<T> wrap(ComPtr<IDispatch> object, Extra&&... extra) {
    if (!object) return nullptr;
    return std::make_shared<T>(std::move(object), std::forward<Extra>(extra)...);
}

// The members every player object has.
class ComObject : public virtual Object {
public:
    ComObject(ComPtr<IDispatch> object, Dispatch::Kind kind) : d_(std::move(object), kind) {}
    std::wstring name() override { return d_.getString(L"Name"); }
    long playlistId() override { return d_.getLong(L"PlaylistID"); }
    long trackId() override { return d_.getLong(L"TrackID"); }

    IDispatch* dispatch() const { return d_.get(); }

protected:
    void method(const wchar_t* member) const { Dispatch::check(d_.call(member)); }
    Dispatch d_;
};

class ComArtwork : public Artwork {
public:
    explicit ComArtwork(ComPtr<IDispatch> object) : d_(std::move(object), Dispatch::KindArtwork) {}
    bool saveArtworkToFile(const std::wstring& path) override {
        Variant file(path);
        return succeeded(d_.call(L"SaveArtworkToFile", {&file}));
    }
    bool setArtworkFromFile(const std::wstring& path) override {
        Variant file(path);
        return succeeded(d_.call(L"SetArtworkFromFile", {&file}));
    }
    bool deleteArtwork() override { return succeeded(d_.call(L"Delete")); }

private:
    Dispatch d_;
};

class ComArtworkCollection : public ArtworkCollection {
public:
    explicit ComArtworkCollection(ComPtr<IDispatch> object) : d_(std::move(object), Dispatch::KindArtworkCollection) {}
    long count() override { return d_.getLong(L"Count"); }
    ArtworkPtr item(long index) override {
        Variant i(index);
        return wrap<ComArtwork>(d_.getObject(L"Item", {&i}));
    }

private:
    Dispatch d_;
};

class ComTrack : public Track, public ComObject {
public:
    explicit ComTrack(ComPtr<IDispatch> object) : ComObject(std::move(object), Dispatch::KindTrack) {}
    void play() override { method(L"Play"); }
    std::wstring album() override { return d_.getString(L"Album"); }
    std::wstring artist() override { return d_.getString(L"Artist"); }
    std::wstring comment() override { return d_.getString(L"Comment"); }
    std::wstring composer() override { return d_.getString(L"Composer"); }
    long duration() override { return d_.getLong(L"Duration"); }
    std::wstring genre() override { return d_.getString(L"Genre"); }
    long playedCount() override { return d_.getLong(L"PlayedCount"); }
    long playOrderIndex() override { return d_.getLong(L"PlayOrderIndex"); }
    long rating() override { return d_.getLong(L"Rating"); }
    void setRating(long rating) override { Dispatch::check(d_.putLong(L"Rating", rating)); }
    std::wstring time() override { return d_.getString(L"Time"); }
    long trackCount() override { return d_.getLong(L"TrackCount"); }
    long trackNumber() override { return d_.getLong(L"TrackNumber"); }
    long year() override { return d_.getLong(L"Year"); }
    ArtworkCollectionPtr artwork() override { return wrap<ComArtworkCollection>(d_.getObject(L"Artwork")); }
    ArtworkPtr addArtworkFromFile(const std::wstring& path) override {
        Variant file(path);
        Variant result;
        if (!succeeded(d_.call(L"AddArtworkFromFile", {&file}, &result))) return nullptr;
        return wrap<ComArtwork>(result.toDispatch());
    }
};

class ComTrackCollection : public TrackCollection {
public:
    explicit ComTrackCollection(ComPtr<IDispatch> object) : d_(std::move(object), Dispatch::KindTrackCollection) {}
    long count() override { return d_.getLong(L"Count"); }
    TrackPtr item(long index) override {
        Variant i(index);
        return wrap<ComTrack>(d_.getObject(L"Item", {&i}));
    }
    TrackPtr itemByPlayOrder(long index) override {
        Variant i(index);
        return wrap<ComTrack>(d_.getObject(L"ItemByPlayOrder", {&i}));
    }
    TrackPtr itemByPersistentId(unsigned long long id) override {
        IdHalves halves(id);
        return wrap<ComTrack>(d_.getObject(L"ItemByPersistentID", {&halves.high, &halves.low}));
    }

private:
    Dispatch d_;
};

class ComPlaylist : public Playlist, public ComObject {
public:
    explicit ComPlaylist(ComPtr<IDispatch> object) : ComObject(std::move(object), Dispatch::KindPlaylist) {}
    void playFirstTrack() override { method(L"PlayFirstTrack"); }
    TrackCollectionPtr tracks() override { return wrap<ComTrackCollection>(d_.getObject(L"Tracks")); }
    TrackCollectionPtr search(const std::wstring& text, long fields) override {
        Variant what(text);
        Variant where(fields);
        Variant result;
        if (!succeeded(d_.call(L"Search", {&what, &where}, &result))) return nullptr;
        return wrap<ComTrackCollection>(result.toDispatch());
    }
    long kind() override { return d_.getLong(L"Kind"); }
    // Members of user playlists only: elsewhere the call fails and reads as none.
    bool smart() override { return d_.getBool(L"Smart"); }
    long specialKind() override { return d_.getLong(L"SpecialKind"); }
    bool shuffle() override { return d_.getBool(L"Shuffle"); }
    void setShuffle(bool on) override { Dispatch::check(d_.putBool(L"Shuffle", on)); }
    long songRepeat() override { return d_.getLong(L"SongRepeat"); }
    void setSongRepeat(long repeat) override { Dispatch::check(d_.putLong(L"SongRepeat", repeat)); }
};

class ComPlaylistCollection : public PlaylistCollection {
public:
    explicit ComPlaylistCollection(ComPtr<IDispatch> object)
        : d_(std::move(object), Dispatch::KindPlaylistCollection) {}
    long count() override { return d_.getLong(L"Count"); }
    PlaylistPtr item(long index) override {
        Variant i(index);
        return wrap<ComPlaylist>(d_.getObject(L"Item", {&i}));
    }
    PlaylistPtr itemByPersistentId(unsigned long long id) override {
        IdHalves halves(id);
        return wrap<ComPlaylist>(d_.getObject(L"ItemByPersistentID", {&halves.high, &halves.low}));
    }

private:
    Dispatch d_;
};

class ComSource : public Source, public ComObject {
public:
    explicit ComSource(ComPtr<IDispatch> object) : ComObject(std::move(object), Dispatch::KindSource) {}
    PlaylistCollectionPtr playlists() override { return wrap<ComPlaylistCollection>(d_.getObject(L"Playlists")); }
};

class ComBrowserWindow : public BrowserWindow {
public:
    explicit ComBrowserWindow(ComPtr<IDispatch> object) : d_(std::move(object), Dispatch::KindBrowserWindow) {}
    void setVisible(bool visible) override { Dispatch::check(d_.putBool(L"Visible", visible)); }
    bool miniPlayer() override { return d_.getBool(L"MiniPlayer"); }
    void setMiniPlayer(bool mini) override { Dispatch::check(d_.putBool(L"MiniPlayer", mini)); }
    void setSelectedPlaylist(const PlaylistPtr& playlist) override {
        Variant v(playlist ? dispatchOf(*playlist) : nullptr);
        Dispatch::check(d_.put(L"SelectedPlaylist", v));
    }

private:
    Dispatch d_;
};

class ComApp : public App {
public:
    explicit ComApp(ComPtr<IDispatch> object) : d_(std::move(object), Dispatch::KindApp) {}
    void play() override { Dispatch::check(d_.call(L"Play")); }
    void pause() override { Dispatch::check(d_.call(L"Pause")); }
    void playPause() override { Dispatch::check(d_.call(L"PlayPause")); }
    void stop() override { Dispatch::check(d_.call(L"Stop")); }
    void resume() override { Dispatch::check(d_.call(L"Resume")); }
    void backTrack() override { Dispatch::check(d_.call(L"BackTrack")); }
    void previousTrack() override { Dispatch::check(d_.call(L"PreviousTrack")); }
    void nextTrack() override { Dispatch::check(d_.call(L"NextTrack")); }
    void fastForward() override { Dispatch::check(d_.call(L"FastForward")); }
    void rewind() override { Dispatch::check(d_.call(L"Rewind")); }
    void quit() override { Dispatch::check(d_.call(L"Quit")); }
    long soundVolume() override { return d_.getLong(L"SoundVolume"); }
    void setSoundVolume(long volume) override { Dispatch::check(d_.putLong(L"SoundVolume", volume)); }
    bool mute() override { return d_.getBool(L"Mute"); }
    void setMute(bool on) override { Dispatch::check(d_.putBool(L"Mute", on)); }
    bool eqEnabled() override { return d_.getBool(L"EQEnabled"); }
    void setEQEnabled(bool on) override { Dispatch::check(d_.putBool(L"EQEnabled", on)); }
    bool visualsEnabled() override { return d_.getBool(L"VisualsEnabled"); }
    void setVisualsEnabled(bool on) override { Dispatch::check(d_.putBool(L"VisualsEnabled", on)); }
    bool fullScreenVisuals() override { return d_.getBool(L"FullScreenVisuals"); }
    long playerState() override { return d_.getLong(L"PlayerState"); }
    long playerPosition() override { return d_.getLong(L"PlayerPosition"); }
    void setPlayerPosition(long seconds) override { Dispatch::check(d_.putLong(L"PlayerPosition", seconds)); }
    TrackPtr currentTrack() override { return wrap<ComTrack>(d_.getObject(L"CurrentTrack")); }
    PlaylistPtr currentPlaylist() override { return wrap<ComPlaylist>(d_.getObject(L"CurrentPlaylist")); }
    SourcePtr librarySource() override { return wrap<ComSource>(d_.getObject(L"LibrarySource")); }
    PlaylistPtr libraryPlaylist() override { return wrap<ComPlaylist>(d_.getObject(L"LibraryPlaylist")); }
    BrowserWindowPtr browserWindow() override { return wrap<ComBrowserWindow>(d_.getObject(L"BrowserWindow")); }
    unsigned long long persistentId(Object& object) override {
        auto* com = dynamic_cast<ComObject*>(&object);
        if (com == nullptr || com->dispatch() == nullptr) return 0;
        Variant which(com->dispatch());
        Variant high, low;
        if (!succeeded(d_.get(L"ITObjectPersistentIDHigh", high, {&which})) ||
            !succeeded(d_.get(L"ITObjectPersistentIDLow", low, {&which})))
            return 0;
        return (static_cast<unsigned long long>(static_cast<unsigned long>(high.toLong())) << 32) |
               static_cast<unsigned long>(low.toLong());
    }

private:
    Dispatch d_;
};

}  // namespace

std::shared_ptr<App> makeComApp(ComPtr<IDispatch> application) { return wrap<ComApp>(std::move(application)); }

IDispatch* dispatchOf(const Playlist& playlist) {
    const auto* com = dynamic_cast<const ComObject*>(&playlist);
    return com != nullptr ? com->dispatch() : nullptr;
}

}  // namespace itunes
}  // namespace tavelapp

#pragma once
#include <memory>
#include <string>

namespace tavelapp {
namespace itunes {

// The player's objects as the program uses them. Implemented over COM
// (late-bound IDispatch) for the real and the simulated player, and by the
// in-memory model that the native tests drive. Collections count from 1. A
// getter that yields no object returns null; a failed call leaves its result
// empty (null, empty string, 0).

class Track;
class Playlist;
class Source;
class Artwork;
class TrackCollection;
class PlaylistCollection;
class ArtworkCollection;
class BrowserWindow;
using TrackPtr = std::shared_ptr<Track>;
using PlaylistPtr = std::shared_ptr<Playlist>;
using SourcePtr = std::shared_ptr<Source>;
using ArtworkPtr = std::shared_ptr<Artwork>;
using TrackCollectionPtr = std::shared_ptr<TrackCollection>;
using PlaylistCollectionPtr = std::shared_ptr<PlaylistCollection>;
using ArtworkCollectionPtr = std::shared_ptr<ArtworkCollection>;
using BrowserWindowPtr = std::shared_ptr<BrowserWindow>;

enum PlayerState { Stopped = 0, Playing = 1, FastForwarding = 2, Rewinding = 3 };
enum SongRepeat { RepeatOff = 0, RepeatOne = 1, RepeatAll = 2 };
// The fields a playlist search looks in (the player's values).
enum SearchField {
    SearchAll = 0,
    SearchVisible = 1,
    SearchArtists = 2,
    SearchAlbums = 3,
    SearchComposers = 4,
    SearchSongNames = 5
};
enum PlaylistKind {
    PlaylistKindUnknown = 0,
    PlaylistKindLibrary = 1,
    PlaylistKindUser = 2,
    PlaylistKindCD = 3,
    PlaylistKindDevice = 4,
    PlaylistKindRadioTuner = 5
};
// A user playlist's special kind; only folders matter to us.
enum PlaylistSpecialKind { SpecialKindNone = 0, SpecialKindFolder = 4 };

// Common to tracks, playlists and sources; the ids are stable identities.
class Object {
public:
    virtual ~Object() = default;
    virtual std::wstring name() = 0;
    virtual long playlistId() = 0;
    virtual long trackId() = 0;
};

class Track : public virtual Object {
public:
    virtual void play() = 0;
    virtual std::wstring album() = 0;
    virtual std::wstring artist() = 0;
    virtual std::wstring comment() = 0;
    virtual std::wstring composer() = 0;
    virtual long duration() = 0;  // seconds
    virtual std::wstring genre() = 0;
    virtual long playedCount() = 0;
    // Position in the play order of the playlist the track was reached through.
    virtual long playOrderIndex() = 0;
    virtual long rating() = 0;  // 0-100
    virtual void setRating(long rating) = 0;
    virtual std::wstring time() = 0;  // "m:ss"
    virtual long trackCount() = 0;
    virtual long trackNumber() = 0;
    virtual long year() = 0;
    virtual ArtworkCollectionPtr artwork() = 0;
    virtual ArtworkPtr addArtworkFromFile(const std::wstring& path) = 0;
};

class TrackCollection {
public:
    virtual ~TrackCollection() = default;
    virtual long count() = 0;
    virtual TrackPtr item(long index) = 0;
    virtual TrackPtr itemByPlayOrder(long index) = 0;
    // The track with that persistent id, reached through this collection (so
    // a playlist's track plays within that playlist); null when none has it.
    virtual TrackPtr itemByPersistentId(unsigned long long id) = 0;
};

class Playlist : public virtual Object {
public:
    virtual void playFirstTrack() = 0;
    virtual TrackCollectionPtr tracks() = 0;
    // Searches the fields (SearchField); null when nothing matches, as the
    // player gives no collection then.
    virtual TrackCollectionPtr search(const std::wstring& text, long fields) = 0;
    TrackCollectionPtr search(const std::wstring& text) { return search(text, SearchAll); }
    virtual long kind() = 0;  // PlaylistKind
    // Only user playlists have these; false and SpecialKindNone for others.
    virtual bool smart() = 0;
    virtual long specialKind() = 0;
    virtual bool shuffle() = 0;
    virtual void setShuffle(bool on) = 0;
    virtual long songRepeat() = 0;  // SongRepeat
    virtual void setSongRepeat(long repeat) = 0;
};

class PlaylistCollection {
public:
    virtual ~PlaylistCollection() = default;
    virtual long count() = 0;
    virtual PlaylistPtr item(long index) = 0;
    virtual PlaylistPtr itemByPersistentId(unsigned long long id) = 0;
};

class Source : public virtual Object {
public:
    virtual PlaylistCollectionPtr playlists() = 0;  // in display order
};

class Artwork {
public:
    virtual ~Artwork() = default;
    virtual bool saveArtworkToFile(const std::wstring& path) = 0;
    // Replaces the picture by the file's, keeping its place in the collection.
    virtual bool setArtworkFromFile(const std::wstring& path) = 0;
    virtual bool deleteArtwork() = 0;
};

class ArtworkCollection {
public:
    virtual ~ArtworkCollection() = default;
    virtual long count() = 0;
    virtual ArtworkPtr item(long index) = 0;
};

class BrowserWindow {
public:
    virtual ~BrowserWindow() = default;
    virtual void setVisible(bool visible) = 0;
    virtual bool miniPlayer() = 0;
    virtual void setMiniPlayer(bool mini) = 0;
    virtual void setSelectedPlaylist(const PlaylistPtr& playlist) = 0;
};

class App {
public:
    virtual ~App() = default;
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void playPause() = 0;
    virtual void stop() = 0;
    virtual void resume() = 0;
    virtual void backTrack() = 0;
    virtual void previousTrack() = 0;
    virtual void nextTrack() = 0;
    virtual void fastForward() = 0;
    virtual void rewind() = 0;
    virtual void quit() = 0;
    virtual long soundVolume() = 0;  // 0-100
    virtual void setSoundVolume(long volume) = 0;
    virtual bool mute() = 0;
    virtual void setMute(bool on) = 0;
    virtual bool eqEnabled() = 0;
    virtual void setEQEnabled(bool on) = 0;
    virtual bool visualsEnabled() = 0;
    virtual void setVisualsEnabled(bool on) = 0;
    virtual bool fullScreenVisuals() = 0;
    virtual long playerState() = 0;     // PlayerState
    virtual long playerPosition() = 0;  // seconds
    // Within the current track; the player keeps it inside the track's length.
    virtual void setPlayerPosition(long seconds) = 0;
    virtual TrackPtr currentTrack() = 0;
    virtual PlaylistPtr currentPlaylist() = 0;
    virtual SourcePtr librarySource() = 0;
    virtual PlaylistPtr libraryPlaylist() = 0;
    virtual BrowserWindowPtr browserWindow() = 0;
    // The 64-bit persistent id of one of the player's tracks or playlists (0
    // for anything else): stable across runs, unlike the numeric ids.
    virtual unsigned long long persistentId(Object& object) = 0;
};

// The player's events; called on the thread that connected (COM) or that made
// the change (model). Listeners must not block.
class ITunesEventsListener {
public:
    virtual void onDatabaseChanged() {}
    virtual void onPlayerPlay() {}
    virtual void onPlayerStop() {}
    virtual void onPlayingTrackChanged() {}
    virtual void onCOMCallsDisabled() {}
    virtual void onCOMCallsEnabled() {}
    virtual void onQuitting() {}
    virtual void onAboutToPromptUserToQuit() {}
    virtual void onSoundVolumeChanged() {}

protected:
    ~ITunesEventsListener() = default;
};

// Event DISPIDs of the player's event interface.
enum EventDispId {
    DispDatabaseChanged = 1,
    DispPlayerPlay = 2,
    DispPlayerStop = 3,
    DispPlayingTrackChanged = 4,
    DispCOMCallsDisabled = 6,
    DispCOMCallsEnabled = 7,
    DispQuitting = 8,
    DispAboutToPromptUserToQuit = 9,
    DispSoundVolumeChanged = 10,
};

// Calls the listener's handler of one event; other ids are no event of ours.
inline void deliver(ITunesEventsListener& listener, long event) {
    switch (event) {
        case DispDatabaseChanged:
            listener.onDatabaseChanged();
            break;
        case DispPlayerPlay:
            listener.onPlayerPlay();
            break;
        case DispPlayerStop:
            listener.onPlayerStop();
            break;
        case DispPlayingTrackChanged:
            listener.onPlayingTrackChanged();
            break;
        case DispCOMCallsDisabled:
            listener.onCOMCallsDisabled();
            break;
        case DispCOMCallsEnabled:
            listener.onCOMCallsEnabled();
            break;
        case DispQuitting:
            listener.onQuitting();
            break;
        case DispAboutToPromptUserToQuit:
            listener.onAboutToPromptUserToQuit();
            break;
        case DispSoundVolumeChanged:
            listener.onSoundVolumeChanged();
            break;
        default:
            break;
    }
}

// Text equality as the player's strings are compared (the user's locale on
// Windows; exact elsewhere).
bool sameText(const std::wstring& a, const std::wstring& b);

}  // namespace itunes
}  // namespace tavelapp

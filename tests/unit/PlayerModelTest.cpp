#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <thread>
#include <utility>

#include "TempFolder.h"
#include "player/model/PersistentItem.h"
#include "player/model/PlayerModel.h"
#include "player/model/UserPlaylist.h"
#include "win/file/FileSystem.h"
#include "win/util/TextCodec.h"

using namespace tavelapp::itunes;
using namespace tavelapp::itunes::model;

namespace {

struct Recorder : ITunesEventsListener {
    std::vector<std::string> events;
    void onDatabaseChanged() override { events.push_back("db"); }
    void onPlayerPlay() override { events.push_back("play"); }
    void onPlayerStop() override { events.push_back("stop"); }
    void onPlayingTrackChanged() override { events.push_back("changed"); }
    void onQuitting() override { events.push_back("quit"); }
    void onSoundVolumeChanged() override { events.push_back("volume"); }
    std::vector<std::string> take() { return std::exchange(events, {}); }
};
using Events = std::vector<std::string>;

// Tracks 1..n, `seconds` long; odd ones by Ann Arbor, even ones by Bo Berg; a new
// album every three tracks. Playlists: the library (100), "Odd" (200, the odd
// tracks backwards) and "Empty" (300).
Library numbered(int n, long seconds = 10) {
    Library library;
    PlaylistData all{100, L"Library"}, odd{200, L"Odd"}, empty{300, L"Empty"};
    for (int i = 1; i <= n; ++i) {
        TrackData t;
        t.trackId = i;
        t.name = L"Song " + std::to_wstring(i);
        t.artist = i % 2 ? L"Ann Arbor" : L"Bo Berg";
        t.album = L"Album " + std::to_wstring((i - 1) / 3 + 1);
        t.duration = seconds;
        library.tracks.push_back(t);
        all.trackIds.push_back(i);
        if (i % 2) odd.trackIds.insert(odd.trackIds.begin(), i);
    }
    library.playlists = {all, odd, empty};
    return library;
}

std::string contentOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class PlayerModelTest : public ::testing::Test {
protected:
    void SetUp() override { make(numbered(5)); }
    void TearDown() override {
        if (model) model->removeListener(&rec);
    }
    void make(Library library) {
        if (model) model->removeListener(&rec);
        model = PlayerModel::create(std::move(library));
        model->addListener(&rec);
        app = model->app();
    }
    long current() {
        const TrackPtr t = app->currentTrack();
        return t ? t->trackId() : 0;
    }
    TrackPtr libraryTrack(long index) { return app->libraryPlaylist()->tracks()->item(index); }
    PlaylistPtr playlist(long index) { return app->librarySource()->playlists()->item(index); }
    std::vector<long> playOrder(const PlaylistPtr& p) {
        std::vector<long> ids;
        const TrackCollectionPtr tracks = p->tracks();
        for (long i = 1; i <= tracks->count(); ++i)
            ids.push_back(tracks->itemByPlayOrder(i)->trackId());
        return ids;
    }

    Recorder rec;
    std::shared_ptr<PlayerModel> model;
    std::shared_ptr<App> app;
};

}  // namespace

TEST_F(PlayerModelTest, PlayStartsTheLibraryAndFinishedTracksMoveOn) {
    EXPECT_EQ(app->currentTrack(), nullptr);
    EXPECT_EQ(app->currentPlaylist(), nullptr);
    app->play();
    EXPECT_EQ(app->playerState(), Playing);
    EXPECT_EQ(current(), 1);
    EXPECT_EQ(app->currentPlaylist()->playlistId(), 100);
    EXPECT_EQ(rec.take(), Events{"play"});

    model->advance(9500);
    EXPECT_EQ(app->playerPosition(), 9);
    model->advance(1500);
    EXPECT_EQ(current(), 2);
    EXPECT_EQ(model->status().positionMs, 1000);
    EXPECT_EQ(libraryTrack(1)->playedCount(), 1);
    EXPECT_EQ(rec.take(), (Events{"stop", "play"}));

    // Left-over time carries into the following tracks.
    model->advance(9000 + 10000 + 3000);
    EXPECT_EQ(current(), 4);
    EXPECT_EQ(model->status().positionMs, 3000);
    EXPECT_EQ(rec.take(), (Events{"stop", "play", "stop", "play"}));
}

TEST_F(PlayerModelTest, PositionIsSetWithinTheCurrentTrack) {
    app->setPlayerPosition(5);
    EXPECT_EQ(app->playerPosition(), 0) << "nothing to place without a track";
    app->play();
    struct Case {
        long set, read;
    } cases[] = {{7, 7}, {-3, 0}, {99, 10}, {0, 0}};
    for (const Case& c : cases) {
        app->setPlayerPosition(c.set);
        EXPECT_EQ(app->playerPosition(), c.read) << c.set;
    }
    app->setPlayerPosition(8);
    model->advance(2500);
    EXPECT_EQ(current(), 2);
    EXPECT_EQ(model->status().positionMs, 500);
}

TEST_F(PlayerModelTest, TheEndOfThePlaylistFollowsTheRepeatMode) {
    const PlaylistPtr library = app->libraryPlaylist();
    library->setSongRepeat(RepeatOne);
    library->setSongRepeat(7);  // not a mode: ignored
    EXPECT_EQ(library->songRepeat(), RepeatOne);
    libraryTrack(5)->play();
    rec.take();
    model->advance(10000);
    EXPECT_EQ(current(), 5);
    EXPECT_EQ(rec.take(), (Events{"stop", "play"}));
    model->advance(25000);
    EXPECT_EQ(current(), 5);
    EXPECT_EQ(model->status().positionMs, 5000);
    EXPECT_EQ(libraryTrack(5)->playedCount(), 3);

    library->setSongRepeat(RepeatAll);
    model->advance(5000);
    EXPECT_EQ(current(), 1);
    EXPECT_EQ(app->playerState(), Playing);

    library->setSongRepeat(RepeatOff);
    libraryTrack(5)->play();
    rec.take();
    model->advance(12000);
    EXPECT_EQ(app->playerState(), Stopped);
    EXPECT_EQ(app->currentTrack(), nullptr);
    EXPECT_EQ(app->currentPlaylist(), nullptr);
    EXPECT_EQ(model->status().currentTrackId, 0);
    EXPECT_EQ(rec.take(), Events{"stop"});
    EXPECT_EQ(libraryTrack(5)->playedCount(), 5);
    model->advance(5000);
    EXPECT_TRUE(rec.take().empty());

    app->play();
    EXPECT_EQ(current(), 1);
}

TEST_F(PlayerModelTest, FastForwardAndRewindMoveFourTimesAsFast) {
    app->play();
    model->advance(1000);
    app->fastForward();
    EXPECT_EQ(app->playerState(), FastForwarding);
    model->advance(1000);
    EXPECT_EQ(model->status().positionMs, 5000);
    app->resume();
    EXPECT_EQ(app->playerState(), Playing);
    model->advance(1000);
    EXPECT_EQ(model->status().positionMs, 6000);

    app->rewind();
    model->advance(1000);
    EXPECT_EQ(model->status().positionMs, 2000);
    model->advance(1000);  // reaches the start after 500 ms, then plays on
    EXPECT_EQ(app->playerState(), Playing);
    EXPECT_EQ(model->status().positionMs, 500);

    model->advance(7500);
    app->fastForward();
    model->advance(1000);  // the track ends after 500 ms; the next one plays normally
    EXPECT_EQ(current(), 2);
    EXPECT_EQ(app->playerState(), Playing);
    EXPECT_EQ(model->status().positionMs, 500);
    EXPECT_EQ(rec.take(), (Events{"play", "stop", "play"}));

    app->pause();
    app->resume();  // only ends seeking; does not start playback
    EXPECT_EQ(app->playerState(), Stopped);
    app->rewind();
    EXPECT_EQ(app->playerState(), Rewinding);
    EXPECT_EQ(rec.take(), (Events{"stop", "play"}));
}

TEST_F(PlayerModelTest, PauseKeepsThePlaceAndStopRewinds) {
    app->play();
    model->advance(3000);
    app->pause();
    app->pause();
    EXPECT_EQ(app->playerState(), Stopped);
    EXPECT_EQ(app->playerPosition(), 3);
    EXPECT_EQ(current(), 1);
    app->play();
    EXPECT_EQ(app->playerPosition(), 3);
    app->playPause();
    EXPECT_EQ(app->playerState(), Stopped);
    app->playPause();
    EXPECT_EQ(app->playerState(), Playing);
    EXPECT_EQ(app->playerPosition(), 3);
    app->stop();
    app->stop();
    EXPECT_EQ(app->playerPosition(), 0);
    EXPECT_EQ(current(), 1);
    EXPECT_EQ(rec.take(), (Events{"play", "stop", "play", "stop", "play", "stop"}));
}

TEST_F(PlayerModelTest, TrackSkipsFollowThePlayOrder) {
    // Without a current track the skips do nothing.
    app->nextTrack();
    app->previousTrack();
    app->backTrack();
    app->fastForward();
    EXPECT_EQ(current(), 0);
    EXPECT_TRUE(rec.take().empty());

    app->play();
    app->nextTrack();
    EXPECT_EQ(current(), 2);
    app->previousTrack();
    app->previousTrack();
    EXPECT_EQ(current(), 1);
    model->advance(4000);
    app->previousTrack();  // at the first track: starts it again
    EXPECT_EQ(current(), 1);
    EXPECT_EQ(app->playerPosition(), 0);
    EXPECT_EQ(rec.take(), (Events{"play", "stop", "play", "stop", "play"}));

    app->nextTrack();
    model->advance(2500);
    app->backTrack();  // past two seconds: back to the start of the same track
    EXPECT_EQ(current(), 2);
    EXPECT_EQ(app->playerPosition(), 0);
    model->advance(2000);
    app->backTrack();  // within two seconds: the previous track
    EXPECT_EQ(current(), 1);

    // While stopped a skip selects the track without playing it.
    app->pause();
    rec.take();
    app->nextTrack();
    EXPECT_EQ(current(), 2);
    EXPECT_EQ(app->playerState(), Stopped);
    EXPECT_TRUE(rec.take().empty());

    libraryTrack(5)->play();
    app->libraryPlaylist()->setSongRepeat(RepeatAll);
    app->nextTrack();
    EXPECT_EQ(current(), 1);
    app->libraryPlaylist()->setSongRepeat(RepeatOff);
    libraryTrack(5)->play();
    rec.take();
    app->nextTrack();
    EXPECT_EQ(current(), 0);
    EXPECT_EQ(app->currentPlaylist(), nullptr);
    EXPECT_EQ(app->playerState(), Stopped);
    EXPECT_EQ(rec.take(), Events{"stop"});
}

TEST_F(PlayerModelTest, ATrackPlaysInThePlaylistItWasReachedThrough) {
    const PlaylistPtr odd = playlist(2);
    ASSERT_EQ(odd->name(), L"Odd");
    const TrackCollectionPtr tracks = odd->tracks();
    EXPECT_EQ(tracks->item(1)->trackId(), 5);
    EXPECT_EQ(tracks->item(2)->playOrderIndex(), 2);
    EXPECT_EQ(tracks->item(2)->playlistId(), 200);
    EXPECT_EQ(libraryTrack(3)->playOrderIndex(), 3);  // the same track, reached through the library
    EXPECT_EQ(odd->trackId(), 0);

    tracks->item(2)->play();
    EXPECT_EQ(rec.take(), Events{"play"});
    const PlayerModel::Status s = model->status();
    EXPECT_EQ(s.currentTrackId, 3);
    EXPECT_EQ(s.currentPlaylistId, 200);
    EXPECT_EQ(s.currentPlaylistName, L"Odd");
    EXPECT_EQ(s.trackName, L"Song 3");
    EXPECT_EQ(s.artist, L"Ann Arbor");
    EXPECT_EQ(s.album, L"Album 1");
    EXPECT_EQ(s.playOrderIndex, 2);
    EXPECT_EQ(s.tracksInPlaylist, 3);
    EXPECT_EQ(app->currentTrack()->playlistId(), 200);
    EXPECT_EQ(app->currentTrack()->playOrderIndex(), 2);

    model->advance(1500);
    tracks->item(2)->play();  // the playing track again: restarts quietly
    EXPECT_EQ(app->playerPosition(), 0);
    tracks->item(1)->play();
    EXPECT_EQ(rec.take(), (Events{"stop", "play"}));
    app->nextTrack();
    app->nextTrack();
    EXPECT_EQ(current(), 1);
    app->nextTrack();
    EXPECT_EQ(current(), 0);

    odd->playFirstTrack();
    EXPECT_EQ(current(), 5);
    EXPECT_EQ(app->currentPlaylist()->name(), L"Odd");
    const PlaylistPtr empty = playlist(3);
    empty->playFirstTrack();
    EXPECT_EQ(current(), 5);
    EXPECT_EQ(empty->tracks()->count(), 0);
    EXPECT_EQ(empty->tracks()->item(1), nullptr);
}

TEST_F(PlayerModelTest, ShuffleMakesARepeatablePermutation) {
    make(numbered(20));
    const PlaylistPtr library = app->libraryPlaylist();
    libraryTrack(7)->play();
    model->advance(4000);
    library->setShuffle(true);
    EXPECT_TRUE(library->shuffle());
    EXPECT_EQ(current(), 7);
    EXPECT_EQ(app->playerState(), Playing);
    EXPECT_EQ(model->status().positionMs, 4000);

    const std::vector<long> order = playOrder(library);
    std::vector<long> identity(20);
    std::iota(identity.begin(), identity.end(), 1);
    EXPECT_NE(order, identity);
    std::vector<long> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, identity);
    const TrackCollectionPtr tracks = library->tracks();
    for (long i = 1; i <= 20; ++i) {
        EXPECT_EQ(tracks->itemByPlayOrder(i)->playOrderIndex(), i);
        EXPECT_EQ(tracks->item(i)->trackId(), i);  // the playlist order itself stays
    }
    EXPECT_EQ(tracks->itemByPlayOrder(0), nullptr);
    EXPECT_EQ(tracks->itemByPlayOrder(21), nullptr);

    // Playback follows the shuffled order.
    const long at = app->currentTrack()->playOrderIndex();
    app->nextTrack();
    EXPECT_EQ(current(), order[at % 20]);

    auto again = PlayerModel::create(numbered(20));
    const PlaylistPtr otherLibrary = again->app()->libraryPlaylist();
    otherLibrary->setShuffle(true);
    EXPECT_EQ(playOrder(otherLibrary), order);

    library->setShuffle(true);
    EXPECT_EQ(playOrder(library), order);
    library->setShuffle(false);
    EXPECT_EQ(playOrder(library), identity);
    library->setShuffle(true);
    EXPECT_NE(playOrder(library), order);  // a new draw
}

TEST_F(PlayerModelTest, SearchMatchesEveryWordInSomeField) {
    make(numbered(9));
    const PlaylistPtr library = app->libraryPlaylist();
    const auto ids = [](const TrackCollectionPtr& found) {
        std::vector<long> out;
        for (long i = 1; found && i <= found->count(); ++i)
            out.push_back(found->item(i)->trackId());
        return out;
    };
    EXPECT_EQ(ids(library->search(L"song")).size(), 9u);
    EXPECT_EQ(ids(library->search(L"ANN album 2")), std::vector<long>{5});
    EXPECT_EQ(ids(library->search(L"  bo\tberg  ALBUM ")), (std::vector<long>{2, 4, 6, 8}));
    EXPECT_EQ(ids(library->search(L"song 1")), (std::vector<long>{1, 2, 3}));  // "1" is in "Album 1" too
    EXPECT_EQ(library->search(L"ann zzz"), nullptr);
    EXPECT_EQ(library->search(L""), nullptr);
    EXPECT_EQ(library->search(L" \t "), nullptr);

    const TrackCollectionPtr inOdd = playlist(2)->search(L"arbor");
    EXPECT_EQ(ids(inOdd), (std::vector<long>{9, 7, 5, 3, 1}));
    EXPECT_EQ(inOdd->item(2)->playOrderIndex(), 2);
    EXPECT_EQ(inOdd->itemByPlayOrder(1)->trackId(), 9);
    EXPECT_EQ(inOdd->item(6), nullptr);
    EXPECT_EQ(inOdd->item(0), nullptr);
}

TEST_F(PlayerModelTest, CollectionsCountFromOne) {
    const SourcePtr source = app->librarySource();
    EXPECT_EQ(source->name(), L"Library");
    const PlaylistCollectionPtr playlists = source->playlists();
    ASSERT_EQ(playlists->count(), 3);
    EXPECT_EQ(playlists->item(1)->playlistId(), app->libraryPlaylist()->playlistId());
    EXPECT_EQ(playlists->item(3)->name(), L"Empty");
    EXPECT_EQ(playlists->item(0), nullptr);
    EXPECT_EQ(playlists->item(4), nullptr);
    EXPECT_EQ(playlists->item(-1), nullptr);

    const TrackCollectionPtr tracks = app->libraryPlaylist()->tracks();
    EXPECT_EQ(tracks->count(), 5);
    EXPECT_EQ(tracks->item(5)->name(), L"Song 5");
    EXPECT_EQ(tracks->item(6), nullptr);
    EXPECT_EQ(tracks->itemByPlayOrder(6), nullptr);
    EXPECT_EQ(tracks->item(0), nullptr);

    Library library = numbered(3);
    library.tracks[0].duration = 3723;
    library.tracks[1].duration = 65;
    library.tracks[2].duration = 0;
    make(library);
    EXPECT_EQ(libraryTrack(1)->time(), L"1:02:03");
    EXPECT_EQ(libraryTrack(2)->time(), L"1:05");
    EXPECT_EQ(libraryTrack(3)->time(), L"0:00");
}

// What scripts do beyond the program: make a playlist, add tracks to it, and
// name objects by persistent id.
TEST_F(PlayerModelTest, ScriptsMakePlaylistsAndAddTracks) {
    const PlaylistPtr picks = model->createPlaylist(L"Picks");
    ASSERT_NE(picks, nullptr);
    EXPECT_EQ(rec.take(), Events{"db"});
    ASSERT_EQ(app->librarySource()->playlists()->count(), 4);
    EXPECT_EQ(playlist(4)->name(), L"Picks");
    EXPECT_EQ(picks->tracks()->count(), 0);

    auto* adding = dynamic_cast<UserPlaylist*>(picks.get());
    ASSERT_NE(adding, nullptr);
    ASSERT_NE(adding->addTrack(4), nullptr);
    EXPECT_NE(adding->addTrack(2), nullptr);
    EXPECT_NE(adding->addTrack(4), nullptr);  // held once
    EXPECT_EQ(adding->addTrack(99), nullptr);
    EXPECT_EQ(playOrder(picks), (std::vector<long>{4, 2}));
    EXPECT_EQ(rec.take(), (Events{"db", "db"}));
    EXPECT_EQ(dynamic_cast<UserPlaylist*>(app->libraryPlaylist().get())->addTrack(1), nullptr);
    picks->playFirstTrack();
    EXPECT_EQ(current(), 4);

    // Missing and repeated persistent ids are made anew; every one is distinct.
    Library library = numbered(3);
    library.tracks[0].persistentId = library.tracks[1].persistentId = 0xABCDEF0123456789ULL;
    make(library);
    std::vector<unsigned long long> ids;
    for (long i = 1; i <= 3; ++i)
        ids.push_back(dynamic_cast<PersistentItem*>(libraryTrack(i).get())->persistentId());
    ids.push_back(dynamic_cast<PersistentItem*>(model->createPlaylist(L"New").get())->persistentId());
    EXPECT_EQ(ids[0], 0xABCDEF0123456789ULL);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end());
    EXPECT_EQ(std::count(ids.begin(), ids.end(), 0ULL), 0);
}

TEST_F(PlayerModelTest, SettingsClampAndReportRealChanges) {
    EXPECT_EQ(app->soundVolume(), 100);
    app->setSoundVolume(150);
    EXPECT_TRUE(rec.take().empty());
    app->setSoundVolume(40);
    app->setSoundVolume(-5);
    EXPECT_EQ(app->soundVolume(), 0);
    app->setMute(true);
    app->setMute(true);
    EXPECT_TRUE(app->mute());
    app->setMute(false);
    EXPECT_EQ(rec.take(), (Events{"volume", "volume", "volume", "volume"}));

    libraryTrack(2)->setRating(130);
    EXPECT_EQ(libraryTrack(2)->rating(), 100);
    libraryTrack(1)->play();
    rec.take();
    app->currentTrack()->setRating(60);
    app->currentTrack()->setRating(60);
    libraryTrack(1)->setRating(-10);
    EXPECT_EQ(libraryTrack(1)->rating(), 0);
    libraryTrack(3)->setRating(20);  // not the playing track
    app->pause();
    EXPECT_EQ(rec.take(), (Events{"changed", "changed", "stop"}));
    libraryTrack(1)->setRating(40);  // no longer playing
    EXPECT_TRUE(rec.take().empty());

    const BrowserWindowPtr window = app->browserWindow();
    EXPECT_EQ(model->status().selectedPlaylistId, 100);
    window->setSelectedPlaylist(playlist(2));
    EXPECT_EQ(model->status().selectedPlaylistId, 200);
    window->setSelectedPlaylist(nullptr);
    EXPECT_EQ(model->status().selectedPlaylistId, 0);
    window->setVisible(false);
    window->setMiniPlayer(true);
    EXPECT_TRUE(window->miniPlayer());
    EXPECT_FALSE(model->status().browserVisible);
}

TEST_F(PlayerModelTest, ListenersMayCallBackAndEventsStayInOrder) {
    struct PlayAgain : Recorder {
        App* app = nullptr;
        bool once = true;
        void onPlayerStop() override {
            Recorder::onPlayerStop();
            if (std::exchange(once, false)) app->play();
        }
    } first;
    first.app = app.get();
    Recorder second;
    model->removeListener(&rec);
    model->addListener(&first);
    model->addListener(&second);
    model->addListener(&second);  // once only

    app->play();
    app->pause();
    EXPECT_EQ(app->playerState(), Playing);
    // The event raised inside a listener reaches everyone after the current one.
    EXPECT_EQ(first.take(), (Events{"play", "stop", "play"}));
    EXPECT_EQ(second.take(), (Events{"play", "stop", "play"}));

    struct Leaving : Recorder {
        PlayerModel* model = nullptr;
        ITunesEventsListener* other = nullptr;
        void onPlayerStop() override {
            Recorder::onPlayerStop();
            model->removeListener(other);
            model->removeListener(this);
        }
    } leaving;
    leaving.model = model.get();
    leaving.other = &second;
    model->removeListener(&first);
    model->removeListener(&second);
    model->addListener(&leaving);
    model->addListener(&second);
    app->stop();
    app->play();
    EXPECT_EQ(leaving.take(), Events{"stop"});
    EXPECT_TRUE(second.take().empty());
}

TEST_F(PlayerModelTest, SurvivesConcurrentUse) {
    struct Asking : ITunesEventsListener {
        std::shared_ptr<App> app;
        std::atomic<int> calls{0};
        void onPlayerPlay() override {
            if (app->currentTrack()) ++calls;
        }
    } asking;
    asking.app = model->app();
    model->addListener(&asking);
    app->libraryPlaylist()->setSongRepeat(RepeatAll);
    app->play();
    std::thread clock([this] {
        for (int i = 0; i < 2000; ++i)
            model->advance(700);
    });
    for (int i = 0; i < 500; ++i) {
        app->nextTrack();
        app->setSoundVolume(i % 100);
        if (i % 7 == 0) app->libraryPlaylist()->setShuffle(i % 2 == 0);
    }
    clock.join();
    model->removeListener(&asking);
    EXPECT_EQ(app->playerState(), Playing);
    EXPECT_GT(asking.calls.load(), 500);
}

TEST_F(PlayerModelTest, ArtworkIsKeptOnceReadAndCanBeChanged) {
    TempFolder folder;
    folder.write("a.bmp", "BMaaaa");
    folder.write("b.bmp", "BMbbbb");
    folder.write("c.png", "PNGc");
    Library library = numbered(2);
    for (const char* name : {"a.bmp", "b.bmp", "missing.bmp"}) {
        library.tracks[0].artwork.push_back(tavel::win::util::wideToUtf8(folder.winPath(name)));
    }
    make(library);
    const TrackPtr track = libraryTrack(1);
    const ArtworkCollectionPtr artwork = track->artwork();
    ASSERT_EQ(artwork->count(), 3);
    EXPECT_EQ(artwork->item(0), nullptr);
    EXPECT_EQ(artwork->item(4), nullptr);
    EXPECT_EQ(libraryTrack(2)->artwork()->count(), 0);

    const ArtworkPtr firstPicture = artwork->item(1);
    EXPECT_TRUE(firstPicture->saveArtworkToFile(folder.winPath("out1.bmp")));
    EXPECT_EQ(contentOf(folder.path() / "out1.bmp"), "BMaaaa");
    std::filesystem::remove(folder.path() / "a.bmp");
    EXPECT_TRUE(firstPicture->saveArtworkToFile(folder.winPath("out2.bmp")));
    EXPECT_EQ(contentOf(folder.path() / "out2.bmp"), "BMaaaa");
    EXPECT_FALSE(artwork->item(3)->saveArtworkToFile(folder.winPath("out3.bmp")));
    EXPECT_FALSE(artwork->item(2)->saveArtworkToFile(folder.winPath("no-such-folder\\out.bmp")));

    const ArtworkPtr secondPicture = artwork->item(2);
    EXPECT_TRUE(firstPicture->deleteArtwork());
    EXPECT_EQ(artwork->count(), 2);
    EXPECT_FALSE(firstPicture->deleteArtwork());
    EXPECT_FALSE(firstPicture->saveArtworkToFile(folder.winPath("out4.bmp")));
    EXPECT_TRUE(artwork->item(1)->saveArtworkToFile(folder.winPath("out5.bmp")));
    EXPECT_EQ(contentOf(folder.path() / "out5.bmp"), "BMbbbb");
    EXPECT_TRUE(secondPicture->saveArtworkToFile(folder.winPath("out6.bmp")));

    const ArtworkPtr added = track->addArtworkFromFile(folder.winPath("c.png"));
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(artwork->count(), 3);
    std::filesystem::remove(folder.path() / "c.png");
    EXPECT_TRUE(artwork->item(3)->saveArtworkToFile(folder.winPath("out7.png")));
    EXPECT_EQ(contentOf(folder.path() / "out7.png"), "PNGc");
    EXPECT_EQ(track->addArtworkFromFile(folder.winPath("c.png")), nullptr);

    // Replacing a picture keeps its place; the file may go at once.
    folder.write("d.png", "PNGd");
    EXPECT_TRUE(secondPicture->setArtworkFromFile(folder.winPath("d.png")));
    std::filesystem::remove(folder.path() / "d.png");
    EXPECT_FALSE(secondPicture->setArtworkFromFile(folder.winPath("d.png")));
    EXPECT_EQ(artwork->count(), 3);
    EXPECT_TRUE(artwork->item(1)->saveArtworkToFile(folder.winPath("out8.png")));
    EXPECT_EQ(contentOf(folder.path() / "out8.png"), "PNGd");
    EXPECT_EQ(rec.take(), (Events{"db", "db", "db"}));
}

TEST_F(PlayerModelTest, QuitEndsThePlayer) {
    const TrackPtr track = libraryTrack(2);
    const PlaylistCollectionPtr playlists = app->librarySource()->playlists();
    app->play();
    rec.take();
    app->quit();
    EXPECT_FALSE(model->running());
    EXPECT_EQ(rec.take(), Events{"quit"});
    app->quit();
    app->play();
    app->setSoundVolume(20);
    model->advance(5000);
    EXPECT_TRUE(rec.take().empty());
    EXPECT_EQ(app->playerState(), Stopped);
    EXPECT_EQ(app->currentTrack(), nullptr);
    EXPECT_EQ(app->libraryPlaylist(), nullptr);
    EXPECT_EQ(app->soundVolume(), 0);
    EXPECT_EQ(track->name(), L"");
    EXPECT_EQ(track->trackId(), 0);
    EXPECT_EQ(playlists->count(), 0);
    EXPECT_EQ(model->status().state, Stopped);
}

TEST_F(PlayerModelTest, HandlesKeepTheModelAlive) {
    const std::weak_ptr<PlayerModel> weak = model;
    TrackPtr track = libraryTrack(2);
    model->removeListener(&rec);
    model.reset();
    app.reset();
    EXPECT_FALSE(weak.expired());
    EXPECT_EQ(track->name(), L"Song 2");
    track->play();
    EXPECT_EQ(weak.lock()->status().currentTrackId, 2);
    track.reset();
    EXPECT_TRUE(weak.expired());
}

TEST(PlayerModelFixture, PlaysTheFixtureLibrary) {
    std::wstring folder;
    for (char c : std::string(KOLIBRIX_SOURCE_DIR) + "/tests/fixtures/")
        folder.push_back(c == '/' ? L'\\' : c);
    std::string bytes;
    ASSERT_TRUE(tavel::win::file::readFileBytes(folder + L"iTunes Music Library.xml", bytes));
    Library library = parseLibraryXml(bytes);
    // Picture names are relative to the library file; the model takes them as given.
    for (TrackData& t : library.tracks) {
        for (std::string& picture : t.artwork) {
            picture = tavel::win::util::wideToUtf8(folder) + picture;
            std::replace(picture.begin(), picture.end(), '/', '\\');
        }
    }
    const auto model = PlayerModel::create(library);
    const auto app = model->app();
    ASSERT_EQ(app->libraryPlaylist()->tracks()->count(), 41);
    ASSERT_EQ(app->librarySource()->playlists()->count(), 7);

    const TrackCollectionPtr found = app->libraryPlaylist()->search(L"遥 青い");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->count(), 5);
    EXPECT_EQ(found->item(1)->name(), L"青い月");
    const TrackCollectionPtr folded = app->libraryPlaylist()->search(L"TROMS\u00d8 atlas");
    ASSERT_NE(folded, nullptr);
    EXPECT_EQ(folded->item(1)->trackId(), 227);
    EXPECT_EQ(app->libraryPlaylist()->search(L"rivers & roads")->count(), 5);

    const TrackPtr harbour = app->libraryPlaylist()->tracks()->item(2);
    ASSERT_EQ(harbour->name(), L"Harbour Lights");
    EXPECT_EQ(harbour->time(), L"3:00");
    ASSERT_EQ(harbour->artwork()->count(), 2);
    TempFolder out;
    ASSERT_TRUE(harbour->artwork()->item(2)->saveArtworkToFile(out.winPath("back.bmp")));
    std::string expected;
    ASSERT_TRUE(tavel::win::file::readFileBytes(folder + L"artwork\\harbour-lights-back.bmp", expected));
    EXPECT_EQ(contentOf(out.path() / "back.bmp"), expected);

    // A one-track playlist repeating all plays its track again.
    const PlaylistPtr lullaby = app->librarySource()->playlists()->item(6);
    ASSERT_EQ(lullaby->name(), L"Lullaby");
    lullaby->setSongRepeat(RepeatAll);
    lullaby->playFirstTrack();
    model->advance(144057 + 1000);
    EXPECT_EQ(app->currentTrack()->name(), L"風のうた");
    EXPECT_EQ(app->currentTrack()->playedCount(), 26);

    app->libraryPlaylist()->tracks()->item(41)->play();
    EXPECT_EQ(app->currentTrack()->name(), L"冬の駅");
    app->nextTrack();
    EXPECT_EQ(app->currentTrack(), nullptr);
}

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "SimPlayerControl.h"
#include "SimPlayerSuite.h"
#include "WinTestSupport.h"
#include "base/WorkerPool.h"
#include "player/LibraryBrowse.h"
#include "player/PlayerHost.h"
#include "player/com/ITunesCom.h"

using namespace tavelapp;
using namespace tavelapp::itunes;
using Browse = LibraryBrowse;
using Outcome = LibraryBrowse::Outcome;

namespace {

// The browse as the web remote uses it, against simplayer.exe over COM.
class LibraryBrowseWinTest : public SimPlayerSuite {
protected:
    void SetUp() override { ASSERT_TRUE(com.connect()); }  // starts the player

    ITunesCom com;
    WorkerPool pool{2};
};

TEST_F(LibraryBrowseWinTest, SearchesPlaylistsAndPlaysWithinAPlaylist) {
    LibraryBrowse browse(PlayerHost::instance(), pool);
    EXPECT_EQ(6, browse.search(L"owen", Browse::Field::Artists, 0, 50).total);
    const Browse::Page none = browse.search(L"owen", Browse::Field::Albums, 0, 50);
    EXPECT_EQ(Outcome::Done, none.outcome);
    EXPECT_EQ(0, none.total);
    const Browse::Page song = browse.search(L"harbour", Browse::Field::Songs, 0, 50);
    ASSERT_EQ(1u, song.tracks.size());
    EXPECT_EQ("DC53CE97DC57DB70", song.tracks[0].id);
    EXPECT_EQ(L"Harbour Lights", song.tracks[0].name);

    const Browse::Playlists lists = browse.playlists();
    ASSERT_EQ(Outcome::Done, lists.outcome);
    ASSERT_EQ(7u, lists.playlists.size());
    EXPECT_EQ("library", lists.playlists[0].kind);
    EXPECT_EQ(L"Jazz Picks", lists.playlists[4].name);
    EXPECT_EQ("smart", lists.playlists[4].kind);
    EXPECT_EQ("user", lists.playlists[6].kind);

    // The third track of Night Jazz, played within it.
    const std::string nightJazz = lists.playlists[6].id;
    const Browse::Page page = browse.tracks(nightJazz, 2, 1);
    EXPECT_EQ(6, page.total);
    ASSERT_EQ(1u, page.tracks.size());
    ASSERT_EQ(Outcome::Done, browse.play(nightJazz, page.tracks[0].id));
    App& app = *com.app();
    ASSERT_TRUE(app.currentPlaylist());
    EXPECT_EQ(L"Night Jazz", app.currentPlaylist()->name());
    ASSERT_TRUE(app.currentTrack());
    EXPECT_EQ(page.tracks[0].id, Browse::idText(app.persistentId(*app.currentTrack())));
    EXPECT_EQ(3, app.currentTrack()->playOrderIndex());
    EXPECT_EQ(Outcome::NotFound, browse.play(lists.playlists[1].id, page.tracks[0].id));
    app.stop();
}

TEST_F(LibraryBrowseWinTest, AHungPlayerAnswersBusyWithinTheLimit) {
    {
        // One browse waits behind the hung one; no room for a third.
        LibraryBrowse browse(PlayerHost::instance(), pool, std::chrono::milliseconds(500), 1);
        ASSERT_TRUE(simPlayerControl(L"hang 3000"));
        const DWORD start = ::GetTickCount();
        std::thread second([&] { EXPECT_EQ(Outcome::Busy, browse.playlists().outcome); });
        ::Sleep(100);
        EXPECT_EQ(Outcome::Busy, browse.search(L"owen", Browse::Field::All, 0, 50).outcome);
        second.join();
        EXPECT_EQ(Outcome::Busy, browse.tracks("677E4C1CB4962004", 0, 50).outcome);
        const DWORD spent = ::GetTickCount() - start;
        EXPECT_LT(spent, 2500u);  // all answered before the player woke
    }
    // Awake again, the player answers as before.
    LibraryBrowse browse(PlayerHost::instance(), pool);
    EXPECT_EQ(6, browse.search(L"owen", Browse::Field::All, 0, 50).total);
}

}  // namespace

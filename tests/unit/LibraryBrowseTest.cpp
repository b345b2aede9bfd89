#include <gtest/gtest.h>

#include "InstalledModelPlayer.h"
#include "base/WorkerPool.h"
#include "player/LibraryBrowse.h"
#include "player/model/ModelPlayerHost.h"

using namespace tavelapp;
using namespace tavelapp::itunes;
using Browse = LibraryBrowse;
using Outcome = LibraryBrowse::Outcome;

namespace {

const char kSeaside[] = "677E4C1CB4962004";
const char kNightJazz[] = "99F1E096B8782380";
const char kBlueHour[] = "6EC2ED91213223EF";  // third of Night Jazz, also in the library

class LibraryBrowseTest : public ::testing::Test {
protected:
    model::ModelPlayerHost host{InstalledModelPlayer::fixtureLibrary()};
    WorkerPool pool{2};
    LibraryBrowse browse{host, pool};
    model::PlayerModel::Status status() { return host.model()->status(); }
};

TEST_F(LibraryBrowseTest, SearchLooksOnlyInTheChosenFields) {
    struct Case {
        const wchar_t* text;
        Browse::Field field;
        long total;
        const wchar_t* first;
    };
    const Case cases[] = {
        {L"owen", Browse::Field::All, 6, L"Morning Road"},
        {L"owen", Browse::Field::Artists, 6, L"Morning Road"},
        {L"owen", Browse::Field::Albums, 0, nullptr},  // an artist is no album
        {L"road", Browse::Field::Songs, 1, L"Morning Road"},
        {L"road", Browse::Field::Albums, 5, L"Morning Road"},
        {L"harbour", Browse::Field::Songs, 1, L"Harbour Lights"},
        {L"harbour", Browse::Field::Albums, 6, L"Harbour Lights"},
        {L"高田", Browse::Field::All, 5, L"夜明けのワルツ"},  // a composer: found by all fields only
        {L"高田", Browse::Field::Artists, 0, nullptr},
        {L"paper boats", Browse::Field::Songs, 1, L"Paper Boats"},
        {L"paper boatz", Browse::Field::All, 0, nullptr},
        {L"", Browse::Field::All, 0, nullptr},
        {L" \u3000", Browse::Field::All, 0, nullptr},
    };
    for (const Case& c : cases) {
        const Browse::Page page = browse.search(c.text, c.field, 0, 50);
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.field) << " " << page.total);
        EXPECT_EQ(Outcome::Done, page.outcome);
        EXPECT_EQ(c.total, page.total);
        ASSERT_EQ(static_cast<std::size_t>(c.total), page.tracks.size());
        if (c.first != nullptr) EXPECT_EQ(c.first, page.tracks[0].name);
    }
    const Browse::Page one = browse.search(L"harbour", Browse::Field::Songs, 0, 50);
    ASSERT_EQ(1u, one.tracks.size());
    EXPECT_EQ("DC53CE97DC57DB70", one.tracks[0].id);
    EXPECT_EQ(L"The Paper Lanterns", one.tracks[0].artist);
    EXPECT_EQ(L"Harbour Lights", one.tracks[0].album);
    EXPECT_EQ(180, one.tracks[0].duration);
}

TEST_F(LibraryBrowseTest, PlaylistsComeLibraryFirstWithTheirKinds) {
    const Browse::Playlists answer = browse.playlists();
    ASSERT_EQ(Outcome::Done, answer.outcome);
    ASSERT_EQ(7u, answer.playlists.size());
    const char* kinds[] = {"library", "user", "user", "user", "smart", "user", "user"};
    for (std::size_t i = 0; i < 7; ++i)
        EXPECT_EQ(kinds[i], answer.playlists[i].kind) << i;
    EXPECT_EQ(L"Jazz Picks", answer.playlists[4].name);
    EXPECT_EQ(5, answer.playlists[4].trackCount);
    EXPECT_EQ(41, answer.playlists[0].trackCount);
    EXPECT_EQ(kSeaside, answer.playlists[1].id);
}

// A library larger than a page: paging at the page limit and past the end.
TEST(LibraryBrowsePaging, PagesStopAtTheLimitAndAtTheEnd) {
    model::Library library;
    model::PlaylistData all;
    all.playlistId = 1;
    all.persistentId = 0x100;
    for (long i = 1; i <= 120; ++i) {
        model::TrackData t;
        t.trackId = i;
        t.name = L"Song " + std::to_wstring(i);
        t.persistentId = 0x1000 + static_cast<unsigned long long>(i);
        library.tracks.push_back(t);
        all.trackIds.push_back(i);
    }
    library.playlists.push_back(all);
    model::ModelPlayerHost host(library);
    WorkerPool pool(1);
    LibraryBrowse browse(host, pool);
    struct Case {
        long offset, limit;
        std::size_t size;
        const wchar_t* first;
    };
    const Case cases[] = {
        {0, 50, 50, L"Song 1"}, {0, 51, 50, L"Song 1"}, {100, 50, 20, L"Song 101"}, {119, 50, 1, L"Song 120"},
        {120, 50, 0, nullptr},  {121, 50, 0, nullptr},  {0, 0, 0, nullptr},         {-5, 2, 2, L"Song 1"},
    };
    for (const Case& c : cases) {
        const Browse::Page page = browse.tracks("0000000000000100", c.offset, c.limit);
        SCOPED_TRACE(testing::Message() << c.offset << "+" << c.limit);
        EXPECT_EQ(Outcome::Done, page.outcome);
        EXPECT_EQ(120, page.total);
        ASSERT_EQ(c.size, page.tracks.size());
        if (c.first != nullptr) EXPECT_EQ(c.first, page.tracks[0].name);
    }
    EXPECT_EQ("0000000000001033", browse.tracks("0000000000000100", 50, 1).tracks.at(0).id);
    EXPECT_EQ(120, browse.search(L"song", Browse::Field::Songs, 0, 51).total);
}

TEST_F(LibraryBrowseTest, PlayChoosesThePlaylistTheTrackPlaysWithin) {
    ASSERT_EQ(Outcome::Done, browse.play(kNightJazz, kBlueHour));
    EXPECT_EQ(L"Night Jazz", status().currentPlaylistName);
    EXPECT_EQ(L"Blue Hour", status().trackName);
    EXPECT_EQ(3, status().playOrderIndex);
    host.model()->app()->nextTrack();
    EXPECT_EQ(L"眠れない街", status().trackName);  // the playlist's next, not the library's

    ASSERT_EQ(Outcome::Done, browse.play(kSeaside, ""));
    EXPECT_EQ(L"Seaside", status().currentPlaylistName);
    EXPECT_EQ(1, status().playOrderIndex);

    ASSERT_EQ(Outcome::Done, browse.play("", kBlueHour));
    EXPECT_EQ(L"Library", status().currentPlaylistName);
    EXPECT_EQ(L"Blue Hour", status().trackName);

    // Unknown and malformed ids, and a track not in the playlist, play nothing.
    const char* const bad[][2] = {{"", ""},
                                  {"0000000000000001", ""},
                                  {"", "0000000000000001"},
                                  {kSeaside, kBlueHour},
                                  {"99F1E096B878238", ""},
                                  {"99F1E096B8782380X", ""},
                                  {"", "6EC2ED91213223EG"},
                                  {"0000000000000000", ""}};
    for (const auto& ids : bad)
        EXPECT_EQ(Outcome::NotFound, browse.play(ids[0], ids[1])) << ids[0] << "/" << ids[1];
    EXPECT_EQ(L"Blue Hour", status().trackName);
    EXPECT_EQ(Outcome::NotFound, browse.tracks("0000000000000001", 0, 50).outcome);
    EXPECT_EQ(6, browse.tracks("99f1e096b8782380", 0, 50).total);  // either case
}

TEST_F(LibraryBrowseTest, APlayerThatIsNotRunningIsNeitherStartedNorAsked) {
    host.shutDown();
    EXPECT_EQ(Outcome::NotRunning, browse.playlists().outcome);
    EXPECT_EQ(Outcome::NotRunning, browse.play(kSeaside, ""));
    EXPECT_EQ(0, host.boots());
}

}  // namespace

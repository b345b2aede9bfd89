#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "TempFolder.h"
#include "artwork/LoaderMgr.h"
#include "base/AppPaths.h"
#include "feature/AlbumArtwork.h"
#include "player/model/PlayerModel.h"
#include "win/file/FileSystem.h"

using namespace tavelapp;
using namespace tavelapp::itunes::model;

namespace {

// "Tide" by Ann: track 1 with two pictures, 2 with one, 3 with none. Track 4
// ("Tide Pool" by Annie) and 5 (another album) are found by a loose search only
// or not at all.
class AlbumArtworkTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder.write("old-a.png", "old picture a");
        folder.write("old-b.png", "old picture b");
        folder.write("new.png", "the new picture");
        const struct {
            long id;
            const wchar_t* artist;
            const wchar_t* album;
            std::vector<std::string> artwork;
        } rows[] = {{1, L"Ann", L"Tide", {"old-a.png", "old-b.png"}},
                    {2, L"Ann", L"Tide", {"old-a.png"}},
                    {3, L"Ann", L"Tide", {}},
                    {4, L"Annie", L"Tide Pool", {"old-b.png"}},
                    {5, L"Ann", L"Ebb", {"old-a.png"}}};
        Library library;
        PlaylistData all{100, L"Library"};
        for (const auto& r : rows) {
            TrackData t;
            t.trackId = r.id;
            t.name = L"Song " + std::to_wstring(r.id);
            t.artist = r.artist;
            t.album = r.album;
            t.trackNumber = r.id;
            for (const std::string& a : r.artwork)
                t.artwork.push_back(std::string(folder.path().string()) + "/" + a);
            library.tracks.push_back(t);
            all.trackIds.push_back(r.id);
        }
        library.playlists = {all};
        model = PlayerModel::create(library);
        app = model->app();
    }

    std::map<long, long> counts() {
        std::map<long, long> out;
        auto tracks = app->libraryPlaylist()->tracks();
        for (long n = 1; n <= tracks->count(); ++n)
            out[tracks->item(n)->trackId()] = tracks->item(n)->artwork()->count();
        return out;
    }

    TempFolder folder;
    std::shared_ptr<PlayerModel> model;
    std::shared_ptr<itunes::App> app;
    const AlbumQuery exact{L"Ann", L"Tide", true};
};

std::vector<long> ids(const std::vector<AlbumTrack>& tracks) {
    std::vector<long> out;
    for (const AlbumTrack& t : tracks)
        out.push_back(t.trackId);
    return out;
}

}  // namespace

TEST_F(AlbumArtworkTest, ExactMatchKeepsOnlyTheAlbumAndArtistThemselves) {
    const std::vector<AlbumTrack> found = findAlbumTracks(*app, exact);
    EXPECT_EQ((std::vector<long>{1, 2, 3}), ids(found));
    ASSERT_EQ(3u, found.size());
    EXPECT_EQ(2, found[0].artworkCount);
    EXPECT_EQ(0, found[2].artworkCount);
    EXPECT_EQ((std::vector<long>{1, 2, 3, 4}), ids(findAlbumTracks(*app, {L"Ann", L"Tide", false})));
}

TEST_F(AlbumArtworkTest, ApplyReplacesAllPicturesOfListedAlbumTracksOnly) {
    const std::wstring newPicture = folder.winPath("new.png");
    // 4 is listed but not part of the exact album; 2 is part of it but not listed.
    EXPECT_EQ(2, applyAlbumArtwork(*app, exact, {1, 3, 4}, newPicture));
    EXPECT_EQ((std::map<long, long>{{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}}), counts());
    std::string saved;
    ASSERT_TRUE(saveTrackArtwork(*app, exact, 1, folder.winPath("out.tmp")));
    ASSERT_TRUE(tavel::win::file::readFileBytes(folder.winPath("out.tmp"), saved));
    EXPECT_EQ("the new picture", saved);
    ASSERT_TRUE(saveTrackArtwork(*app, exact, 2, folder.winPath("out.tmp")));
    ASSERT_TRUE(tavel::win::file::readFileBytes(folder.winPath("out.tmp"), saved));
    EXPECT_EQ("old picture a", saved);
}

TEST_F(AlbumArtworkTest, ApplyWithoutAReadablePictureOrAnAlbumLeavesTheOldArtwork) {
    const std::map<long, long> before = counts();
    EXPECT_EQ(0, applyAlbumArtwork(*app, exact, {1, 2}, folder.winPath("gone.png")));
    EXPECT_EQ(0, applyAlbumArtwork(*app, {L"Ann", L"", false}, {1, 2}, folder.winPath("new.png")));
    EXPECT_EQ(before, counts());
}

TEST_F(AlbumArtworkTest, ClearDeletesEveryPictureOfTheListedAlbumTracks) {
    EXPECT_EQ(2, clearAlbumArtwork(*app, exact, {1, 2, 3, 5}));
    EXPECT_EQ((std::map<long, long>{{1, 0}, {2, 0}, {3, 0}, {4, 1}, {5, 1}}), counts());
    EXPECT_FALSE(saveTrackArtwork(*app, exact, 1, folder.winPath("out.tmp")));
}

TEST(AlbumArtworkThumbnail, AWidePictureIsFittedAndCentredOnTheBackground) {
    tavel::win::dib::DIB wide;
    ASSERT_TRUE(wide.create(200, 100));
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 200; ++x)
            wide.setPixel(x, y, 0x00FF0000);
    }
    const tavel::win::dib::DIB thumb = fitCentred(wide, 56, 56, 0x00FFFFFF);
    ASSERT_EQ(56, thumb.width());
    ASSERT_EQ(56, thumb.height());
    // 56 x 28, rows 14 to 41.
    EXPECT_EQ(0x00FFFFFFu, thumb.pixel(28, 13));
    EXPECT_EQ(0x00FF0000u, thumb.pixel(0, 14));
    EXPECT_EQ(0x00FF0000u, thumb.pixel(55, 41));
    EXPECT_EQ(0x00FFFFFFu, thumb.pixel(28, 42));
    EXPECT_TRUE(fitCentred(wide, 0, 56, 0).empty());
}

TEST(ArtworkFolder, WorkFilesACrashLeftGoAtStartAndNothingElse) {
    TempFolder dir;
    AppPaths::setProgramPath(dir.winPath("Kolibrix.exe"));
    dir.write("Kolibrix/Artwork/iTunes.tmp", "x");
    dir.write("Kolibrix/Artwork/EditArtworkDlgPreview3.tmp", "x");
    dir.write("Kolibrix/Artwork/cover.jpg", "x");
    artwork::removeLeftovers();
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "Kolibrix/Artwork/iTunes.tmp"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "Kolibrix/Artwork/EditArtworkDlgPreview3.tmp"));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "Kolibrix/Artwork/cover.jpg"));
}

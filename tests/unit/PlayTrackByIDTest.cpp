#include <gtest/gtest.h>

#include <string>

#include "player/PlayTrackByID.h"
#include "player/model/PlayerModel.h"
#include "win/file/FileSystem.h"

using namespace tavelapp::itunes;

namespace {

class PlayTrackByIDTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string bytes;
        ASSERT_TRUE(tavel::win::file::readFileBytes(
            fixture(KOLIBRIX_SOURCE_DIR "/tests/fixtures/iTunes Music Library.xml"), bytes));
        model = model::PlayerModel::create(model::parseLibraryXml(bytes));
        app = model->app();
    }
    static std::wstring fixture(const std::string& path) {
        std::wstring w(path.begin(), path.end());
        for (wchar_t& c : w) {
            if (c == L'/') c = L'\\';
        }
        return w;
    }
    TrackPtr libraryTrack(long index) { return app->libraryPlaylist()->tracks()->item(index); }
    long currentId() {
        TrackPtr t = app->currentTrack();
        return t ? t->trackId() : 0;
    }
    std::shared_ptr<model::PlayerModel> model;
    std::shared_ptr<App> app;
};

}  // namespace

TEST_F(PlayTrackByIDTest, NoTextsAndNoPlaylistPlaysTheLibrarysFirstTrack) {
    libraryTrack(7)->play();
    PlayTrackByID::playOn(*app, PlayTrackByID::Target());
    EXPECT_EQ(libraryTrack(1)->trackId(), currentId());
}

TEST_F(PlayTrackByIDTest, FindsByIdAndByTexts) {
    TrackPtr wanted = libraryTrack(9);
    PlayTrackByID::Target byId;
    byId.trackId = wanted->trackId();
    byId.name = wanted->name();
    PlayTrackByID::playOn(*app, byId);
    EXPECT_EQ(wanted->trackId(), currentId());

    app->stop();
    PlayTrackByID::Target byTexts;
    byTexts.name = wanted->name();
    byTexts.album = wanted->album();
    byTexts.artist = wanted->artist();
    libraryTrack(1)->play();
    PlayTrackByID::playOn(*app, byTexts);
    EXPECT_EQ(wanted->trackId(), currentId());
}

TEST_F(PlayTrackByIDTest, AGoneTrackFallsBackToTheFirstResultButAGoneIdPlaysNothing) {
    TrackPtr wanted = libraryTrack(3);
    // The name was edited since: the search still finds tracks, none matches exactly.
    PlayTrackByID::Target edited;
    edited.name = wanted->name().substr(0, wanted->name().size() - 1);
    edited.album = wanted->album();
    edited.artist = wanted->artist();
    TrackCollectionPtr found = app->libraryPlaylist()->search(edited.name + L" " + edited.album + L" " + edited.artist);
    ASSERT_TRUE(found);
    libraryTrack(1)->play();
    PlayTrackByID::playOn(*app, edited);
    EXPECT_EQ(found->item(1)->trackId(), currentId());

    PlayTrackByID::Target goneId;
    goneId.trackId = 999999;
    goneId.name = wanted->name();
    goneId.album = wanted->album();
    goneId.artist = wanted->artist();
    libraryTrack(1)->play();
    PlayTrackByID::playOn(*app, goneId);
    EXPECT_EQ(libraryTrack(1)->trackId(), currentId()) << "a missing id must not play another track";
}

TEST_F(PlayTrackByIDTest, SelectsTheNamedPlaylistAndPlaysFromIt) {
    PlayTrackByID::Target target;
    target.playlistName = L"Lullaby";
    PlayTrackByID::playOn(*app, target);
    EXPECT_EQ(L"Lullaby", model->status().currentPlaylistName);
    EXPECT_NE(0, model->status().selectedPlaylistId);

    PlayTrackByID::Target missing;
    missing.playlistName = L"No such playlist";
    app->stop();
    const long before = currentId();
    PlayTrackByID::playOn(*app, missing);
    EXPECT_EQ(before, currentId());
    EXPECT_EQ(0, model->status().selectedPlaylistId) << "no match selects nothing";
}

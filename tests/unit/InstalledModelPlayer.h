#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "action/Factory.h"
#include "action/ITunesActionFactory.h"
#include "base/AppPaths.h"
#include "player/PlayerHost.h"
#include "player/model/ModelPlayerHost.h"
#include "win/file/FileSystem.h"

// The fixture library's player, installed as the program's player host for the
// lifetime of the object. Actions reach it through PlayerHost::instance().
class InstalledModelPlayer {
public:
    explicit InstalledModelPlayer(bool running = true) : host_(fixtureLibrary(), running) {
        // Actions read their lock setting from the settings; keep those in a folder of ours.
        static TempFolder programFolder;
        tavelapp::AppPaths::setProgramPath(programFolder.winPath("Kolibrix.exe"));
        tavelapp::itunes::PlayerHost::install(&host_);
    }
    ~InstalledModelPlayer() { tavelapp::itunes::PlayerHost::install(nullptr); }
    InstalledModelPlayer(const InstalledModelPlayer&) = delete;
    InstalledModelPlayer& operator=(const InstalledModelPlayer&) = delete;

    tavelapp::itunes::model::ModelPlayerHost& host() { return host_; }
    // The running model; null while the player is down.
    std::shared_ptr<tavelapp::itunes::model::PlayerModel> model() { return host_.model(); }
    std::shared_ptr<tavelapp::itunes::App> app() {
        auto running = model();
        return running ? running->app() : nullptr;
    }

    static tavelapp::itunes::model::Library fixtureLibrary() {
        std::string path = KOLIBRIX_SOURCE_DIR "/tests/fixtures/iTunes Music Library.xml";
        std::wstring winPath(path.begin(), path.end());
        for (wchar_t& c : winPath) {
            if (c == L'/') c = L'\\';
        }
        std::string bytes;
        EXPECT_TRUE(tavel::win::file::readFileBytes(winPath, bytes));
        return tavelapp::itunes::model::parseLibraryXml(bytes);
    }

private:
    tavelapp::itunes::model::ModelPlayerHost host_;
};

// Creates the action by its lowered name, runs it on its own thread and waits for its end.
inline void runAction(tavelapp::action::Factory& factory, const std::wstring& name,
                      const std::vector<std::wstring>& params = {}) {
    auto action = factory.create(name, nullptr, params);
    ASSERT_TRUE(action) << "not registered";
    ASSERT_TRUE(action->start());
    action->wait();
    EXPECT_EQ(0, action->exitCode());
}

// Player actions against the fixture library; helpers name places by playlist
// and play-order position.
class PlayerActionTest : public ::testing::Test {
protected:
    static void run(const std::wstring& name, const std::vector<std::wstring>& params = {}) {
        runAction(tavelapp::action::ITunesActionFactory::instance(), name, params);
    }

    tavelapp::itunes::PlaylistPtr playlist(const std::wstring& name) {
        auto playlists = app->librarySource()->playlists();
        for (long n = 1; n <= playlists->count(); ++n) {
            if (playlists->item(n)->name() == name) return playlists->item(n);
        }
        ADD_FAILURE() << "no playlist of that name";
        return nullptr;
    }
    // Plays the track at the 1-based play-order position of the named playlist.
    void playAt(const std::wstring& playlistName, long position) {
        playlist(playlistName)->tracks()->itemByPlayOrder(position)->play();
        ASSERT_EQ(position, status().playOrderIndex);
    }
    tavelapp::itunes::model::PlayerModel::Status status() { return player.model()->status(); }

    InstalledModelPlayer player;
    std::shared_ptr<tavelapp::itunes::App> app = player.app();
};

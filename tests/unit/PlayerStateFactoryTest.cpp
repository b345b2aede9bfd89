#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "PlayerStateSupport.h"
#include "TempFolder.h"
#include "action/ActionPluginITunes.h"
#include "action/ActionPluginMgr.h"
#include "base/AppPaths.h"
#include "base/Util.h"
#include "config/Ini.h"
#include "notify/PlayerStateFactory.h"
#include "player/model/Library.h"
#include "player/model/ModelPlayerHost.h"
#include "win/file/FileSystem.h"

using namespace tavelapp;

namespace {

// A plug-in that writes whatever lines the test gives it.
class ScriptedPlugin : public ActionPlugin {
public:
    explicit ScriptedPlugin(std::wstring name) : name_(std::move(name)) {}
    std::wstring GetName() override { return name_; }
    std::wstring GetTargetName() override { return L"Target of " + name_; }
    bool ActionExists(const std::wstring&) override { return false; }
    bool IsActionAvailable(const std::wstring&) override { return true; }
    bool IsPlayerAction(const std::wstring&) override { return false; }
    int RunAction(const ActionListItemPtr&, const std::wstring&, const std::vector<std::wstring>&) override {
        return 0;
    }
    bool IsUtility() override { return name_.compare(0, 7, L"Player/") != 0; }
    bool IsPlayerRunning() override { return running; }
    bool GetCurrentPlayerState(std::wostream& stream) override {
        stream << lines;
        if (failAfterWriting) throw std::runtime_error("player gone");
        return true;
    }
    bool StartObservation() override { return false; }
    bool EndObservation() override { return false; }
    bool IsObserving() override { return false; }

    std::wstring lines;
    bool running = true;
    bool failAfterWriting = false;

private:
    std::wstring name_;
};

// Points the action target setting at a plug-in and restores it afterwards.
class TargetSetting {
public:
    explicit TargetSetting(const std::wstring& id) : saved_(Ini::instance().actionTarget.id) { set(id); }
    ~TargetSetting() { set(saved_); }
    void set(const std::wstring& id) {
        Ini::instance().actionTarget.id = id;
        Ini::publish();
    }

private:
    std::wstring saved_;
};

struct NotificationRecorder : Util::UtilListener {
    NotificationRecorder() { Util::setController(this); }
    ~NotificationRecorder() override { Util::setController(nullptr); }
    void onTrackChanged(const PlayerState&) override {}
    void onPlayerStateChanged(const PlayerState&) override {}
    void notify(const std::string& key, const std::wstring&, const PicturePtr&, int) override { keys.push_back(key); }
    void checkObservationSoon() override {}
    void restartWiimoteServer() override {}
    void showOption() override {}
    std::vector<std::string> keys;
};

void expectNoChanges(const PlayerStateFactory& factory) {
    for (int i = 0; i < PlayerState::FieldCount; ++i)
        EXPECT_FALSE(factory.changed(i)) << i;
    EXPECT_FALSE(factory.trackChanged());
}

class ScriptedFactoryTest : public ::testing::Test {
protected:
    std::shared_ptr<ScriptedPlugin> player = std::make_shared<ScriptedPlugin>(L"Player/Scripted");
    TargetSetting target{L"Player/Scripted"};
};

// The fixture library played by the in-memory player, seen through the real
// iTunes plug-in.
class ModelFactoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        AppPaths::setProgramPath(dir.winPath("Kolibrix.exe"));
        std::string source = KOLIBRIX_SOURCE_DIR "/tests/fixtures/iTunes Music Library.xml";
        std::wstring path(source.begin(), source.end());
        for (wchar_t& c : path) {
            if (c == L'/') c = L'\\';
        }
        std::string bytes;
        ASSERT_TRUE(tavel::win::file::readFileBytes(path, bytes));
        library = itunes::model::parseLibraryXml(bytes);
        // Artwork files are named relative to the fixture.
        const std::string folder = source.substr(0, source.find_last_of('/') + 1);
        for (auto& track : library.tracks) {
            for (auto& file : track.artwork) {
                file = folder + file;
                for (char& c : file) {
                    if (c == '/') c = '\\';
                }
            }
        }
    }
    void TearDown() override { itunes::PlayerHost::install(nullptr); }

    // The plug-in ends observing while its manager can still hear about it.
    struct Setup {
        explicit Setup(itunes::model::ModelPlayerHost& host) {
            itunes::PlayerHost::install(&host);
            plugin = std::make_shared<ActionPluginITunes>(nullptr, 0);
            manager = std::make_unique<ActionPluginMgr>(std::vector<std::shared_ptr<ActionPlugin>>{plugin});
        }
        ~Setup() { plugin->EndObservation(); }
        std::shared_ptr<ActionPluginITunes> plugin;
        std::unique_ptr<ActionPluginMgr> manager;
    };

    std::vector<itunes::TrackPtr> tracks(itunes::model::ModelPlayerHost& host, bool withArtwork) {
        std::vector<itunes::TrackPtr> found;
        auto all = host.model()->app()->libraryPlaylist()->tracks();
        for (long i = 1; i <= all->count(); ++i) {
            auto track = all->item(i);
            if ((track->artwork() && track->artwork()->count() > 0) == withArtwork) found.push_back(track);
        }
        return found;
    }

    TempFolder dir;
    itunes::model::Library library;
    TargetSetting target{L""};
};

}  // namespace

TEST_F(ModelFactoryTest, CapturesThePlayerAndNoticesWhenItQuits) {
    itunes::model::ModelPlayerHost host(library);
    Setup setup(host);
    auto app = host.model()->app();
    app->setSoundVolume(35);
    tracks(host, true).front()->play();
    PlayerStateFactory factory(*setup.manager);
    EXPECT_EQ(2u, factory.captureCount()) << "two captures at creation";

    PlayerStateFactory::Guard guard;
    PlayerStateFactory::StatePtr state = factory.current();
    EXPECT_EQ(L"1", state->field(PlayerState::IsITunesRunning));
    EXPECT_EQ(L"1", state->field(PlayerState::IsPlayerRunning));
    EXPECT_EQ(L"Player/iTunes", state->field(PlayerState::PlayerID));
    EXPECT_EQ(L"iTunes", state->field(PlayerState::PlayerName));
    for (int i = PlayerState::SystemVolume; i <= PlayerState::EventAction; ++i)
        EXPECT_EQ(L"0", state->field(i)) << i;
    EXPECT_EQ(L"35", state->field(PlayerState::Volume));
    EXPECT_EQ(L"1", state->field(PlayerState::State));
    EXPECT_EQ(std::to_wstring(app->currentTrack()->trackId()), state->field(PlayerState::TrackID));
    EXPECT_EQ(app->currentTrack()->name(), state->name());
    EXPECT_EQ(setup.plugin->artworkPath(), state->artworkPath());
    expectNoChanges(factory);

    host.shutDown();
    factory.update();
    state = factory.current();
    EXPECT_EQ(L"0", state->field(PlayerState::IsITunesRunning));
    EXPECT_EQ(L"0", state->field(PlayerState::IsPlayerRunning));
    for (int i = PlayerState::Volume; i < PlayerState::FieldCount; ++i)
        EXPECT_EQ(L"", state->field(i)) << i;
    EXPECT_TRUE(factory.changed(PlayerState::Volume));
    EXPECT_TRUE(factory.trackChanged());
    EXPECT_FALSE(factory.changed(PlayerState::PlayerID));
    EXPECT_EQ(*state, *factory.latest());
    EXPECT_EQ(L"35", factory.previous()->field(PlayerState::Volume));
}

TEST_F(ModelFactoryTest, WithoutThePlayerWindowOnlyTheUtilityLinesAreFilled) {
    itunes::model::ModelPlayerHost host(library, false);
    Setup setup(host);
    PlayerStateFactory factory(*setup.manager);
    PlayerStateFactory::Guard guard;
    const PlayerState& state = *factory.current();
    EXPECT_EQ(L"0", state.field(PlayerState::IsITunesRunning));
    EXPECT_EQ(L"Player/iTunes", state.field(PlayerState::PlayerID));
    for (int i = PlayerState::Volume; i < PlayerState::FieldCount; ++i)
        EXPECT_EQ(L"", state.field(i)) << i;
    EXPECT_EQ(0, host.boots()) << "capturing never starts the player";
}

TEST_F(ModelFactoryTest, TheArtworkFileIsWrittenOncePerTrack) {
    itunes::model::ModelPlayerHost host(library);
    Setup setup(host);
    std::vector<itunes::TrackPtr> withArtwork = tracks(host, true);
    std::vector<itunes::TrackPtr> without = tracks(host, false);
    ASSERT_GE(withArtwork.size(), 2u);
    ASSERT_FALSE(without.empty());
    const std::wstring& file = setup.plugin->artworkPath();

    withArtwork[0]->play();
    PlayerStateFactory factory(*setup.manager);
    PlayerStateFactory::Guard guard;
    factory.update();
    EXPECT_EQ(1u, setup.plugin->artworkSaves()) << "three captures of one track, one file";
    EXPECT_EQ(file, factory.current()->artworkPath());

    tavel::win::file::deleteFile(file);
    factory.update();
    EXPECT_EQ(2u, setup.plugin->artworkSaves()) << "a missing file is written again";
    EXPECT_TRUE(tavel::win::file::fileExists(file));

    withArtwork[1]->play();
    factory.update();
    EXPECT_EQ(3u, setup.plugin->artworkSaves());
    ActionPluginITunes::artworkChanged();
    factory.update();
    EXPECT_EQ(4u, setup.plugin->artworkSaves()) << "changed artwork of the same track";

    without[0]->play();
    factory.update();
    EXPECT_EQ(L"", factory.current()->artworkPath());
    EXPECT_FALSE(tavel::win::file::fileExists(file));
    withArtwork[1]->play();
    factory.update();
    EXPECT_EQ(5u, setup.plugin->artworkSaves()) << "back to a track whose file was removed";
    EXPECT_EQ(file, factory.current()->artworkPath());
}

TEST_F(ScriptedFactoryTest, TrackChangesIncludeAReplayAndResetForgetsChanges) {
    player->lines =
        pluginLines({{PlayerState::Volume, L"50"}, {PlayerState::TrackID, L"5"}, {PlayerState::PlayedCount, L"3"}});
    ActionPluginMgr manager({player});
    PlayerStateFactory factory(manager);
    PlayerStateFactory::Guard guard;
    expectNoChanges(factory);

    // The same track again: its play count grows.
    player->lines =
        pluginLines({{PlayerState::Volume, L"50"}, {PlayerState::TrackID, L"5"}, {PlayerState::PlayedCount, L"4"}});
    factory.update();
    EXPECT_TRUE(factory.trackChanged());
    EXPECT_FALSE(factory.changed(PlayerState::TrackID));
    factory.update();
    EXPECT_FALSE(factory.trackChanged());

    // Another track with the same play count.
    player->lines =
        pluginLines({{PlayerState::Volume, L"60"}, {PlayerState::TrackID, L"6"}, {PlayerState::PlayedCount, L"4"}});
    factory.update();
    EXPECT_TRUE(factory.trackChanged());
    EXPECT_TRUE(factory.changed(PlayerState::Volume));
    EXPECT_FALSE(factory.changed(PlayerState::Mute));

    player->lines = pluginLines({{PlayerState::Volume, L"70"}});
    factory.reset();
    expectNoChanges(factory);
    EXPECT_EQ(70, factory.current()->volume());
    EXPECT_EQ(70, factory.latest()->volume());
}

TEST_F(ScriptedFactoryTest, TheActionTargetChoosesTheSource) {
    auto utility = std::make_shared<ScriptedPlugin>(L"Utility/Scripted");
    utility->lines = L"from the utility\n";
    player->lines = L"from the player\n";
    player->running = false;
    ActionPluginMgr manager({utility, player});
    PlayerStateFactory factory(manager);
    PlayerStateFactory::Guard guard;
    EXPECT_EQ(L"from the player", factory.current()->field(PlayerState::Volume));
    EXPECT_EQ(L"Player/Scripted", factory.current()->field(PlayerState::PlayerID));
    EXPECT_EQ(L"Target of Player/Scripted", factory.current()->field(PlayerState::PlayerName));
    EXPECT_EQ(L"0", factory.current()->field(PlayerState::IsPlayerRunning));

    // A plug-in that came after the factory is no source: the first one stands in.
    auto late = std::make_shared<ScriptedPlugin>(L"Player/Late");
    late->lines = L"from the late player\n";
    manager.addPlugin(late);
    target.set(L"Player/Late");
    factory.update();
    EXPECT_EQ(L"Player/Late", factory.current()->field(PlayerState::PlayerID));
    EXPECT_EQ(L"1", factory.current()->field(PlayerState::IsPlayerRunning));
    EXPECT_EQ(L"from the utility", factory.current()->field(PlayerState::Volume));

    // No action target at all: an empty snapshot.
    target.set(L"Player/Nobody");
    factory.update();
    EXPECT_EQ(PlayerState(), *factory.current());
}

TEST_F(ScriptedFactoryTest, APluginThatFailsPartWayKeepsWhatItWrote) {
    player->lines = L"7\n1\n";
    player->failAfterWriting = true;
    ActionPluginMgr manager({player});
    PlayerStateFactory factory(manager);
    PlayerStateFactory::Guard guard;
    EXPECT_EQ(L"7", factory.current()->field(PlayerState::Volume));
    EXPECT_EQ(L"1", factory.current()->field(PlayerState::Mute));
    EXPECT_EQ(L"", factory.current()->field(PlayerState::EQ));
}

TEST_F(ScriptedFactoryTest, NotificationsAreDroppedWhileVisualsAreOn) {
    NotificationRecorder recorder;
    const bool existed = PlayerStateFactory::exists();
    Util::notify("before", L"text", 0x40);
    if (!existed) EXPECT_FALSE(PlayerStateFactory::exists()) << "a notification never creates the factory";

    player->lines = pluginLines({{PlayerState::Visuals, L"1"}});
    ActionPluginMgr manager({player});
    PlayerStateFactory factory(manager);
    PlayerStateFactory::install(&factory);
    Util::notify("dropped", L"text", 0x30);
    {
        PlayerStateFactory::Guard guard;
        player->lines = pluginLines({{PlayerState::Visuals, L"0"}});
        factory.update();
    }
    Util::notify("shown", L"text", 0x40);
    PlayerStateFactory::install(nullptr);
    EXPECT_EQ((std::vector<std::string>{"before", "shown"}), recorder.keys);
}

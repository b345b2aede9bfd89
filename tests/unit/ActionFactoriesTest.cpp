#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "InstalledModelPlayer.h"
#include "feature/KolibrixActionFactory.h"
#include "feature/KolibrixActions.h"
#include "action/NavigationActions.h"
#include "action/PlayerActions.h"
#include "feature/SystemActionFactory.h"
#include "feature/SystemActions.h"
#include "base/Util.h"

using namespace tavelapp;
using namespace tavelapp::action;

namespace {

std::vector<std::wstring> sortedLowered(std::vector<std::wstring> names) {
    for (std::wstring& name : names) {
        std::transform(name.begin(), name.end(), name.begin(),
                       [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; });
    }
    std::sort(names.begin(), names.end());
    return names;
}

class CountingController : public Util::UtilListener {
public:
    void onTrackChanged(const PlayerState&) override {}
    void onPlayerStateChanged(const PlayerState&) override {}
    void notify(const std::string&, const std::wstring&, const PicturePtr&, int) override {}
    void checkObservationSoon() override {}
    void restartWiimoteServer() override { ++wiimoteRestarts; }
    void showOption() override {}
    int wiimoteRestarts = 0;
};

}  // namespace

TEST(ActionFactories, RegisterEveryActionUnderItsLoweredName) {
    EXPECT_EQ(
        sortedLowered(
            {L"Play",         L"Pause",      L"FastForward",  L"PlayPause",    L"Rewind",         L"Stop",
             L"Resume",       L"BackTrack",  L"PrevTrack",    L"NextTrack",    L"PrevAlbum",      L"NextAlbum",
             L"PrevArtist",   L"NextArtist", L"PrevPlaylist", L"NextPlaylist", L"PlayFirstTrack", L"PlayLastTrack",
             L"Reshuffle",    L"Boot",       L"MiniPlayer",   L"Mute",         L"Quit",           L"BootQuit",
             L"Rating",       L"Repeat",     L"Shuffle",      L"EQ",           L"Visuals",        L"Volume",
             L"BrowserWindow"}),
        ITunesActionFactory::instance().names());
    EXPECT_EQ(sortedLowered({L"RunScript", L"QuickPlay", L"RunAction", L"EditArtwork", L"ClockTimer", L"CountdownTimer",
                             L"EventAction", L"FindWiimote"}),
              KolibrixActionFactory::instance().names());
    EXPECT_EQ(sortedLowered({L"ExitSystem", L"SystemVolume", L"SystemMute"}), SystemActionFactory::instance().names());

    // Look-ups take the name as given: callers lower it first.
    ITunesActionFactory& player = ITunesActionFactory::instance();
    EXPECT_TRUE(player.exists(L"nextalbum"));
    EXPECT_FALSE(player.exists(L"NextAlbum"));
    EXPECT_EQ(nullptr, player.create(L"NextAlbum", nullptr, {}));
    EXPECT_EQ(nullptr, player.create(L"runscript", nullptr, {}));
    EXPECT_TRUE(std::dynamic_pointer_cast<NextAlbum>(player.create(L"nextalbum", nullptr, {})));
    EXPECT_TRUE(std::dynamic_pointer_cast<BrowserWindow>(player.create(L"browserwindow", nullptr, {})));
}

TEST(ActionFactories, BaseClassesDecideLockingAndNotification) {
    auto exitSystem =
        std::dynamic_pointer_cast<ITunesAction>(SystemActionFactory::instance().create(L"exitsystem", nullptr, {}));
    ASSERT_TRUE(exitSystem);
    EXPECT_EQ(0, exitSystem->notifyFlag()) << "shutting down changes nothing worth a notification";
    auto volume =
        std::dynamic_pointer_cast<ITunesAction>(SystemActionFactory::instance().create(L"systemvolume", nullptr, {}));
    ASSERT_TRUE(volume);
    EXPECT_EQ(1, volume->notifyFlag());
    auto mute = std::dynamic_pointer_cast<ITunesAction>(ITunesActionFactory::instance().create(L"mute", nullptr, {}));
    ASSERT_TRUE(mute);
    EXPECT_EQ(1, mute->notifyFlag());

    KolibrixActionFactory& utility = KolibrixActionFactory::instance();
    for (const wchar_t* name : {L"runscript", L"clocktimer", L"countdowntimer", L"eventaction", L"findwiimote"})
        EXPECT_TRUE(std::dynamic_pointer_cast<ITunesAction>(utility.create(name, nullptr, {}))) << name;
    // Dialog actions take no lock: a modal dialog must not hold back other actions.
    for (const wchar_t* name : {L"quickplay", L"runaction", L"editartwork"})
        EXPECT_FALSE(std::dynamic_pointer_cast<ITunesAction>(utility.create(name, nullptr, {}))) << name;
}

TEST(ActionFactories, AnExistingNameKeepsItsFirstCreator) {
    Factory factory;
    factory.add<Play>(L"Play");
    factory.add<Stop>(L"PLAY");
    factory.add<Stop>(L"Stop");
    EXPECT_EQ((std::vector<std::wstring>{L"play", L"stop"}), factory.names());
    EXPECT_TRUE(std::dynamic_pointer_cast<Play>(factory.create(L"play", nullptr, {})));
    EXPECT_EQ(nullptr, factory.create(L"pause", nullptr, {}));
}

TEST(ActionFactories, MissingParametersReadAsEmpty) {
    auto entry = std::make_shared<ActionListItem>();
    entry->folder = L"Pack";
    auto action = ITunesActionFactory::instance().create(L"volume", entry, {L"+5"});
    ASSERT_TRUE(action);
    EXPECT_EQ(L"+5", action->param(0));
    EXPECT_EQ(L"", action->param(1));
    EXPECT_EQ(L"", action->param(1000));
    EXPECT_EQ(entry, action->entry());
}

TEST(RunScriptPath, ADrivePathStandsAloneAndAFileNameLiesInItsPackage) {
    auto entry = std::make_shared<ActionListItem>();
    entry->folder = L"Tools";
    const std::wstring settings = L"C:\\Apps\\Kolibrix";
    EXPECT_EQ(L"D:\\bin\\run.bat", RunScript::scriptPath(L"D:\\bin\\run.bat", entry, settings));
    EXPECT_EQ(L"C:\\Apps\\Kolibrix\\Actions\\Tools\\run.bat", RunScript::scriptPath(L"run.bat", entry, settings));
    EXPECT_EQ(L"C:\\Apps\\Kolibrix\\Actions\\Tools\\sub\\x.vbs", RunScript::scriptPath(L"sub\\x.vbs", entry, settings));
    EXPECT_EQ(L"\\\\srv\\share\\a.bat", RunScript::scriptPath(L"\\\\srv\\share\\a.bat", entry, settings));
    EXPECT_EQ(L"C:\\Apps\\Kolibrix\\Actions\\run.bat", RunScript::scriptPath(L"run.bat", nullptr, settings));
}

TEST(UtilityActions, FindWiimoteAsksTheController) {
    InstalledModelPlayer player;
    CountingController controller;
    Util::setController(&controller);
    runAction(KolibrixActionFactory::instance(), L"findwiimote");
    Util::setController(nullptr);
    EXPECT_EQ(1, controller.wiimoteRestarts);
}

class QuickPlayTest : public PlayerActionTest {
protected:
    static void quickPlay(const std::vector<std::wstring>& params) {
        runAction(KolibrixActionFactory::instance(), L"quickplay", params);
    }
};

TEST_F(QuickPlayTest, SearchesTheNamedPlaylistAndSelectsIt) {
    quickPlay({L"gull", L"Seaside"});
    EXPECT_EQ(L"Gull Song", status().trackName);
    EXPECT_EQ(L"Seaside", status().currentPlaylistName);
    EXPECT_EQ(status().currentPlaylistId, status().selectedPlaylistId);

    // A playlist that does not exist clears the selection and plays nothing new.
    quickPlay({L"Blossom", L"Nowhere"});
    EXPECT_EQ(0, status().selectedPlaylistId);
    EXPECT_EQ(L"Gull Song", status().trackName);
}

TEST_F(QuickPlayTest, SearchesTheCurrentPlaylistOrStartsPlayingFirst) {
    quickPlay({L"Blossom"});
    EXPECT_EQ(L"Apple Blossom", status().trackName);
    EXPECT_EQ(L"Library", status().currentPlaylistName);

    playAt(L"Night Jazz", 1);
    quickPlay({L"Ferry"});
    EXPECT_EQ(L"Fog Horn Blues", status().trackName) << "only the current playlist is searched";

    quickPlay({L"no such words"});
    EXPECT_EQ(L"Fog Horn Blues", status().trackName);
    // Without a search text it would ask in a dialog; there is none yet.
    quickPlay({});
    quickPlay({L"", L"Seaside"});
    EXPECT_EQ(L"Night Jazz", status().currentPlaylistName);
}

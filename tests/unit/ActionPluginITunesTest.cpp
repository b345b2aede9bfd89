#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "PostedMessages.h"
#include "TempFolder.h"
#include "action/ActionPluginITunes.h"
#include "base/RunningThreads.h"
#include "feature/ActionPluginKolibrix.h"
#include "action/ActionPluginMgr.h"
#include "feature/ActionPluginSystem.h"
#include "base/AppPaths.h"
#include "player/model/ModelPlayerHost.h"
#include "win/file/FileSystem.h"

using namespace tavelapp;
using itunes::model::ModelPlayerHost;

namespace {

std::vector<std::wstring> lines(const std::wstring& text) {
    std::vector<std::wstring> result;
    std::wstring::size_type start = 0, end;
    while ((end = text.find(L'\n', start)) != std::wstring::npos) {
        result.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    EXPECT_EQ(start, text.size()) << "every line ends with a line feed";
    return result;
}

struct CodeRecorder : ActionPluginMgrListener {
    void onActionPluginNotify(ActionPluginMgr&, const std::shared_ptr<ActionPlugin>&, int code) override {
        codes.push_back(code);
    }
    std::vector<int> codes;
};

class ActionPluginITunesTest : public ::testing::Test {
protected:
    void SetUp() override {
        AppPaths::setProgramPath(dir.winPath("Kolibrix.exe"));
        std::string bytes;
        std::string source = KOLIBRIX_SOURCE_DIR "/tests/fixtures/iTunes Music Library.xml";
        std::wstring path(source.begin(), source.end());
        for (wchar_t& c : path) {
            if (c == L'/') c = L'\\';
        }
        ASSERT_TRUE(tavel::win::file::readFileBytes(path, bytes));
        library = itunes::model::parseLibraryXml(bytes);
        // Artwork files are named relative to the fixture; make them absolute.
        const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
        for (auto& track : library.tracks) {
            for (auto& file : track.artwork) {
                std::wstring w(file.begin(), file.end());
                for (wchar_t& c : w) {
                    if (c == L'/') c = L'\\';
                }
                std::wstring full = folder + L"\\" + w;
                file.assign(full.begin(), full.end());
            }
        }
    }
    void TearDown() override { itunes::PlayerHost::install(nullptr); }

    TempFolder dir;
    itunes::model::Library library;
};

}  // namespace

TEST_F(ActionPluginITunesTest, StateLinesWithoutATrackAreTwelveAndAnEmptyOne) {
    ModelPlayerHost host(library);
    itunes::PlayerHost::install(&host);
    ActionPluginITunes plugin(nullptr, 0);
    std::wostringstream out;
    ASSERT_TRUE(plugin.GetCurrentPlayerState(out));
    std::vector<std::wstring> got = lines(out.str());
    ASSERT_EQ(13u, got.size());
    EXPECT_EQ(L"100", got[0]);  // volume
    EXPECT_EQ(L"0", got[1]);    // mute as 0/1
    EXPECT_EQ(L"0", got[5]);    // stopped
    EXPECT_EQ(L"0", got[7]);    // no playlist id
    EXPECT_EQ(L"", got[8]);
    EXPECT_EQ(L"", got[12]);
}

TEST_F(ActionPluginITunesTest, StateLinesOfAPlayingTrackWithArtwork) {
    ModelPlayerHost host(library);
    itunes::PlayerHost::install(&host);
    ActionPluginITunes plugin(nullptr, 0);
    auto app = host.model()->app();
    itunes::TrackPtr withArtwork;
    auto tracks = app->libraryPlaylist()->tracks();
    for (long i = 1; i <= tracks->count() && !withArtwork; ++i) {
        auto t = tracks->item(i);
        if (t->artwork() && t->artwork()->count() > 0) withArtwork = t;
    }
    ASSERT_TRUE(withArtwork);
    withArtwork->play();
    std::wostringstream out;
    plugin.GetCurrentPlayerState(out);
    std::vector<std::wstring> got = lines(out.str());
    ASSERT_EQ(29u, got.size());
    EXPECT_EQ(L"1", got[5]);
    EXPECT_EQ(L"Library", got[8]);
    EXPECT_EQ(std::to_wstring(withArtwork->trackId()), got[12]);
    EXPECT_EQ(withArtwork->name(), got[20]);
    EXPECT_EQ(plugin.artworkPath(), got[28]);
    EXPECT_TRUE(tavel::win::file::fileExists(plugin.artworkPath()));

    // A track without artwork removes the old work file.
    for (long i = 1; i <= tracks->count(); ++i) {
        auto t = tracks->item(i);
        if (!t->artwork() || t->artwork()->count() == 0) {
            t->play();
            break;
        }
    }
    std::wostringstream again;
    plugin.GetCurrentPlayerState(again);
    got = lines(again.str());
    ASSERT_EQ(29u, got.size());
    EXPECT_EQ(L"0", got[27]);
    EXPECT_EQ(L"", got[28]);
    EXPECT_FALSE(tavel::win::file::fileExists(plugin.artworkPath()));
}

TEST_F(ActionPluginITunesTest, WritesNothingWhileThePlayerIsDown) {
    ModelPlayerHost host(library, false);
    itunes::PlayerHost::install(&host);
    ActionPluginITunes plugin(nullptr, 0);
    std::wostringstream out;
    EXPECT_TRUE(plugin.GetCurrentPlayerState(out));
    EXPECT_TRUE(out.str().empty());
    EXPECT_FALSE(plugin.IsObserving());
    EXPECT_FALSE(plugin.StartObservation()) << "no player window: nothing to observe";
    EXPECT_EQ(0, host.boots()) << "asking for the state never starts the player";
}

TEST_F(ActionPluginITunesTest, ObservationCodesAndOneEndWhenThePlayerQuits) {
    ModelPlayerHost host(library, false);
    itunes::PlayerHost::install(&host);
    auto plugin = std::make_shared<ActionPluginITunes>(nullptr, 0);
    ActionPluginMgr mgr({plugin});
    CodeRecorder recorder;
    mgr.setListener(&recorder);

    host.boot();
    EXPECT_TRUE(plugin->StartObservation());
    EXPECT_TRUE(plugin->IsObserving());
    EXPECT_FALSE(plugin->StartObservation()) << "already observing";
    host.model()->app()->setSoundVolume(40);
    host.model()->app()->play();
    host.shutDown();  // the player announces that it quits
    EXPECT_FALSE(plugin->IsObserving());
    EXPECT_TRUE(plugin->EndObservation());
    deliverPostedMessages();
    ASSERT_GE(recorder.codes.size(), 4u);
    EXPECT_EQ(2, recorder.codes.front());
    EXPECT_EQ(3, recorder.codes.back());
    EXPECT_EQ(1, std::count(recorder.codes.begin(), recorder.codes.end(), 3));
    EXPECT_EQ(1, std::count(recorder.codes.begin(), recorder.codes.end(), 2));
    EXPECT_GE(std::count(recorder.codes.begin(), recorder.codes.end(), 1), 2);
}

TEST_F(ActionPluginITunesTest, BootQuitAndTheActionsItOffers) {
    ModelPlayerHost host(library, false);
    itunes::PlayerHost::install(&host);
    ActionPluginITunes plugin(nullptr, 0);
    EXPECT_TRUE(plugin.ActionExists(L"itunes_bootquit"));
    EXPECT_TRUE(plugin.ActionExists(L"nexttrack"));
    EXPECT_FALSE(plugin.ActionExists(L"NextTrack")) << "names arrive lowered";
    EXPECT_FALSE(plugin.IsPlayerAction(L"itunes_boot"));
    EXPECT_TRUE(plugin.IsPlayerAction(L"unknown")) << "anything else counts as a player action";

    // Quitting is a player call: it runs on a worker of its own.
    plugin.RunAction(nullptr, L"itunes_quit", {});
    runningThreads().waitAll();
    EXPECT_FALSE(host.isRunning()) << "quitting never starts the player";
    plugin.RunAction(nullptr, L"itunes_bootquit", {});
    runningThreads().waitAll();
    EXPECT_TRUE(host.isRunning());
    plugin.RunAction(nullptr, L"itunes_bootquit", {});
    runningThreads().waitAll();
    EXPECT_FALSE(host.isRunning());
}

TEST(BuiltInUtilities, CommandsAndFactories) {
    ActionPluginKolibrix kolibrix;
    for (const wchar_t* command : ActionPluginKolibrix::kCommands) {
        EXPECT_TRUE(kolibrix.ActionExists(command)) << command;
    }
    EXPECT_TRUE(kolibrix.ActionExists(L"runscript"));
    EXPECT_FALSE(kolibrix.ActionExists(L"nexttrack"));
    EXPECT_TRUE(kolibrix.IsUtility());
    EXPECT_EQ(L"Utility/Kolibrix", kolibrix.GetName());
    EXPECT_EQ(0, kolibrix.RunAction(nullptr, L"donothing", {}));
    EXPECT_EQ(0, kolibrix.RunAction(nullptr, L"shellexecute", {}));

    ActionPluginSystem system;
    EXPECT_TRUE(system.ActionExists(L"exitsystem"));
    EXPECT_TRUE(system.ActionExists(L"systemvolume"));
    EXPECT_FALSE(system.ActionExists(L"donothing"));
    EXPECT_FALSE(system.IsObserving());
}

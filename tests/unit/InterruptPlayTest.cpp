#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ControllerRules.h"
#include "feature/EventAction.h"
#include "feature/InterruptPlay.h"
#include "player/MusicLibraryParser.h"
#include "player/PlayTrackByID.h"
#include "player/PlayerState.h"
#include "player/model/PlayerModel.h"
#include "win/file/FileSystem.h"
#include "win/util/TextCodec.h"

using namespace tavelapp;

namespace {

InterruptPlay::ItemPtr item(const std::wstring& name) {
    auto i = std::make_shared<InterruptPlay::Item>();
    i->name = name;
    return i;
}

std::wstring names(const std::vector<InterruptPlay::ItemPtr>& items) {
    std::wstring s;
    for (const auto& i : items)
        s += i->name;
    return s;
}

struct Counting : InterruptPlay::InterruptPlayListener {
    int queue = 0, returnPoint = 0;
    void onQueueChanged(InterruptPlay&) override { ++queue; }
    void onReturnPointChanged(InterruptPlay&) override { ++returnPoint; }
};

}  // namespace

TEST(InterruptPlay, MovesAndRemovesTheSelectedItems) {
    const struct {
        const char* op;
        std::wstring selected;
        std::wstring after;
    } cases[] = {
        {"up", L"c", L"acbd"},    {"up", L"a", L"abcd"},    {"up", L"bc", L"bcad"},
        {"up", L"ad", L"abdc"},   {"down", L"b", L"acbd"},  {"down", L"d", L"abcd"},
        {"down", L"bc", L"adbc"}, {"remove", L"bd", L"ac"}, {"remove", L"x", L"abcd"},
    };
    for (const auto& c : cases) {
        InterruptPlay ip;
        Counting counting;
        ip.addListener(&counting);
        std::vector<InterruptPlay::ItemPtr> selected;
        for (wchar_t n : std::wstring(L"abcd")) {
            auto i = item(std::wstring(1, n));
            ip.push(i);
            if (c.selected.find(n) != std::wstring::npos) selected.push_back(i);
        }
        // Found by identity, not by an equal name.
        if (c.selected == L"x") selected.push_back(item(L"a"));
        const std::string op = c.op;
        if (op == "up") ip.moveUp(selected);
        if (op == "down") ip.moveDown(selected);
        if (op == "remove") ip.remove(selected);
        EXPECT_EQ(names(ip.queue()), c.after) << c.op << " " << std::string(c.selected.begin(), c.selected.end());
        EXPECT_EQ(counting.queue, 1);
        ip.removeListener(&counting);
    }
}

namespace {

// The player of the library fixture, the library file the parser reads and
// the controller's steps for a change of track.
class InterruptPlaySequence : public ::testing::Test {
protected:
    InterruptPlaySequence()
        : settings(L"unused.ini"), eventAction(settings, [this](const std::wstring& a) { ran.push_back(a); }) {
        settings.method = EventAction::TrackFinished;
        ip.addListener(&counting);
    }
    ~InterruptPlaySequence() override { ip.removeListener(&counting); }

    void SetUp() override {
        std::string bytes;
        ASSERT_TRUE(tavel::win::file::readFileBytes(libraryFile(), bytes));
        libraryData = itunes::model::parseLibraryXml(bytes);
        model = itunes::model::PlayerModel::create(libraryData);
        app = model->app();
    }
    static std::wstring libraryFile() {
        std::wstring w;
        for (char c : std::string(KOLIBRIX_SOURCE_DIR "/tests/fixtures/iTunes Music Library.xml"))
            w += c == '/' ? L'\\' : static_cast<wchar_t>(c);
        return w;
    }
    // The file a library track stands for, as a drop names it.
    std::wstring droppedPath(long libraryIndex) {
        const long id = app->libraryPlaylist()->tracks()->item(libraryIndex)->trackId();
        std::wstring location;
        for (const auto& t : libraryData.tracks)
            if (t.trackId == id) location = t.location;
        std::string bytes;
        for (std::size_t i = std::wstring(L"file://localhost/").size(); i < location.size(); ++i) {
            if (location[i] == L'%') {
                bytes += static_cast<char>(
                    std::stoi(std::string(location.begin() + i + 1, location.begin() + i + 3), nullptr, 16));
                i += 2;
            } else {
                bytes += location[i] == L'/' ? '\\' : static_cast<char>(location[i]);
            }
        }
        return tavel::win::util::utf8ToWide(bytes);
    }
    std::wstring current() { return app->currentTrack() ? app->currentTrack()->name() : std::wstring(); }
    // What the controller does when the snapshot shows another track.
    InterruptPlay::Outcome trackChanged() {
        PlayerState state;
        itunes::TrackPtr t = app->currentTrack();
        state.setField(PlayerState::TrackID, std::to_wstring(t->trackId()));
        state.setField(PlayerState::Name, t->name());
        state.setField(PlayerState::Album, t->album());
        state.setField(PlayerState::Artist, t->artist());
        return ControllerRules::onTrackChanged(state, ip, eventAction, [this](const InterruptPlay::Item& i) {
            itunes::PlayTrackByID::Target target;
            target.name = i.name;
            target.album = i.album;
            target.artist = i.artist;
            target.playlistName = i.playlistName;
            itunes::PlayTrackByID::playOn(*app, target);
        });
    }

    EventActionIni settings;
    EventAction eventAction;
    std::vector<std::wstring> ran;
    InterruptPlay ip;
    Counting counting;
    itunes::model::Library libraryData;
    std::shared_ptr<itunes::model::PlayerModel> model;
    std::shared_ptr<itunes::App> app;
};

}  // namespace

TEST_F(InterruptPlaySequence, TwoDroppedTracksThenTheReturnPoint) {
    using Outcome = InterruptPlay::Outcome;
    auto library = [this](long i) { return app->libraryPlaylist()->tracks()->item(i); };
    library(1)->play();
    const std::wstring b = library(2)->name();
    const std::wstring first = library(20)->name(), second = library(9)->name();
    // Dropped in one order, queued in the library's.
    const MusicLibraryParser parser({droppedPath(20), droppedPath(9), L"C:\\not\\in\\library.mp3"}, libraryFile());
    ip.addTracks(parser.results());
    ASSERT_EQ(names(ip.queue()), second + first);
    EXPECT_TRUE(ip.saveReturnPointMark());

    app->nextTrack();  // the player moves on to B
    ASSERT_EQ(current(), b);
    EXPECT_EQ(trackChanged(), Outcome::Started);
    EXPECT_EQ(current(), second);
    ASSERT_TRUE(ip.returnPoint());
    EXPECT_EQ(ip.returnPoint()->name, b);
    // The program's own change: no queue step, the event action stays armed.
    eventAction.start();
    EXPECT_EQ(trackChanged(), Outcome::Nothing);
    EXPECT_TRUE(ran.empty());

    // More tracks while interrupting go behind the rest; the return point stays.
    ip.addTracks(MusicLibraryParser({droppedPath(30)}, libraryFile()).results());
    EXPECT_EQ(names(ip.queue()), first + library(30)->name());

    app->nextTrack();
    EXPECT_EQ(trackChanged(), Outcome::Handled);
    EXPECT_EQ(current(), first);
    EXPECT_EQ(ran.size(), 1u);  // the player's change
    EXPECT_EQ(trackChanged(), Outcome::Nothing);
    app->nextTrack();
    EXPECT_EQ(trackChanged(), Outcome::Handled);
    EXPECT_EQ(current(), library(30)->name());
    EXPECT_EQ(trackChanged(), Outcome::Nothing);

    app->nextTrack();
    EXPECT_EQ(trackChanged(), Outcome::Returned);
    EXPECT_EQ(current(), b);
    EXPECT_FALSE(ip.returnPoint());
    eventAction.start();
    EXPECT_EQ(trackChanged(), Outcome::Nothing);
    EXPECT_EQ(ran.size(), 1u);
    EXPECT_TRUE(eventAction.isRunning());

    // Back to the player's own order: the next change is the player's again.
    app->nextTrack();
    EXPECT_EQ(trackChanged(), Outcome::Nothing);
    EXPECT_EQ(ran.size(), 2u);
    EXPECT_EQ(counting.returnPoint, 2);
}

TEST_F(InterruptPlaySequence, ClearingTheReturnPointLetsThePlayerGoOn) {
    using Outcome = InterruptPlay::Outcome;
    app->libraryPlaylist()->tracks()->item(1)->play();
    ip.addTracks(MusicLibraryParser({droppedPath(20), droppedPath(21)}, libraryFile()).results());
    app->nextTrack();
    EXPECT_EQ(trackChanged(), Outcome::Started);
    trackChanged();
    ip.takeReturnPoint();
    app->nextTrack();
    EXPECT_EQ(trackChanged(), Outcome::Handled);
    trackChanged();
    app->nextTrack();
    const std::wstring playersChoice = current();
    EXPECT_EQ(trackChanged(), Outcome::Nothing);
    EXPECT_EQ(current(), playersChoice);

    // Clearing all forgets the mark too: a later drop starts afresh.
    ip.addTracks(MusicLibraryParser({droppedPath(20)}, libraryFile()).results());
    ip.clear();
    EXPECT_FALSE(ip.saveReturnPointMark());
    EXPECT_TRUE(ip.queue().empty());
    app->nextTrack();
    EXPECT_EQ(trackChanged(), Outcome::Nothing);
}

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "PostedMessages.h"
#include "TempFolder.h"
#include "action/ActionPluginMgr.h"
#include "base/Util.h"
#include "config/Ini.h"
#include "config/Lang.h"

using namespace tavelapp;
using Outcome = ActionPluginMgr::Outcome;

namespace {

class FakePlugin : public ActionPlugin {
public:
    FakePlugin(std::wstring name, std::set<std::wstring> actions)
        : name_(std::move(name)), actions_(std::move(actions)) {}
    std::wstring GetName() override { return name_; }
    std::wstring GetTargetName() override { return target; }
    bool ActionExists(const std::wstring& n) override { return actions_.count(n) != 0; }
    bool IsActionAvailable(const std::wstring& n) override { return unavailable.count(n) == 0; }
    bool IsPlayerAction(const std::wstring&) override { return playerActions; }
    int RunAction(const ActionListItemPtr&, const std::wstring& n, const std::vector<std::wstring>& p) override {
        ran.push_back(n);
        lastParams = p;
        return 0;
    }
    bool IsUtility() override { return name_.compare(0, 7, L"Player/") != 0; }
    bool IsPlayerRunning() override { return running; }
    bool GetCurrentPlayerState(std::wostream&) override { return false; }
    bool StartObservation() override {
        ++starts;
        observing = startWorks;
        return true;
    }
    bool EndObservation() override {
        ++ends;
        observing = false;
        return true;
    }
    bool IsObserving() override { return observing; }

    std::wstring target;
    std::set<std::wstring> unavailable;
    bool playerActions = false;
    bool running = false;
    bool observing = false;
    bool startWorks = true;
    int starts = 0;
    int ends = 0;
    std::vector<std::wstring> ran;
    std::vector<std::wstring> lastParams;

private:
    std::wstring name_;
    std::set<std::wstring> actions_;
};

struct NotificationRecorder : Util::UtilListener {
    void onTrackChanged(const PlayerState&) override {}
    void onPlayerStateChanged(const PlayerState&) override {}
    void notify(const std::string& key, const std::wstring& text, const PicturePtr&, int kind) override {
        keys.push_back(key);
        texts.push_back(text);
        kinds.push_back(kind);
    }
    void checkObservationSoon() override {}
    void restartWiimoteServer() override {}
    void showOption() override {}
    std::vector<std::string> keys;
    std::vector<std::wstring> texts;
    std::vector<int> kinds;
};

class ActionDispatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved = Ini::instance();
        Ini::instance().actionTarget.id = L"";
        Ini::instance().detail.disableBootITunes = false;
        Ini::instance().detail.soundEnabled = false;
        Ini::publish();
        Lang::instance().setFiles(std::wstring(), {});
        Util::setController(&recorder);
        player = std::make_shared<FakePlugin>(L"Player/iTunes", std::set<std::wstring>{L"nexttrack", L"boot", L"both"});
        player->target = L"iTunes";
        player->playerActions = true;
        other = std::make_shared<FakePlugin>(L"Player/Other", std::set<std::wstring>{L"nexttrack", L"otheronly"});
        other->target = L"Other";
        other->playerActions = true;
        utility = std::make_shared<FakePlugin>(L"Utility/Tools", std::set<std::wstring>{L"notifytrack", L"both"});
    }
    void TearDown() override {
        Util::setController(nullptr);
        Ini::instance() = saved;
        Ini::publish();
    }
    ActionPluginMgr manager() { return ActionPluginMgr({player, other, utility}); }

    Ini saved{L""};
    NotificationRecorder recorder;
    std::shared_ptr<FakePlugin> player, other, utility;
};

}  // namespace

TEST_F(ActionDispatchTest, TheActionTargetFollowsTheSetting) {
    ActionPluginMgr mgr = manager();
    EXPECT_EQ(player, mgr.getActionTarget());
    Ini::instance().actionTarget.id = L"Player/Other";
    Ini::publish();
    EXPECT_EQ(other, mgr.getActionTarget());
    Ini::instance().actionTarget.id = L"Player/Missing";
    Ini::publish();
    EXPECT_EQ(player, mgr.getActionTarget()) << "a missing target falls back to the player's plug-in";

    Ini::instance().actionTarget.id = L"Auto";
    Ini::publish();
    EXPECT_EQ(player, mgr.getActionTarget()) << "none running: the default";
    other->running = true;
    EXPECT_EQ(other, mgr.getActionTarget());
    player->running = true;
    EXPECT_EQ(player, mgr.getActionTarget()) << "both running: the earlier one";
    EXPECT_EQ(2u, mgr.playerPlugins().size());
}

TEST_F(ActionDispatchTest, RunsWithTheTargetOrTheFirstPluginThatHasIt) {
    ActionPluginMgr mgr = manager();
    EXPECT_EQ(Outcome::Ran, mgr.dispatch(nullptr, L"nexttrack", {L"3"}, true).outcome);
    EXPECT_EQ(std::vector<std::wstring>{L"nexttrack"}, player->ran);
    EXPECT_EQ(std::vector<std::wstring>{L"3"}, player->lastParams);
    EXPECT_TRUE(other->ran.empty());

    EXPECT_EQ(Outcome::Ran, mgr.dispatch(nullptr, L"otheronly", {}, false).outcome);
    EXPECT_EQ(std::vector<std::wstring>{L"otheronly"}, other->ran);
    EXPECT_EQ(Outcome::Ran, mgr.dispatch(nullptr, L"notifytrack", {}, false).outcome);
    EXPECT_EQ(1u, utility->ran.size());
    EXPECT_TRUE(recorder.keys.empty());
    EXPECT_NE(0u, mgr.lastDispatchTime());
}

TEST_F(ActionDispatchTest, FailuresAreAnnouncedWithTheEntrysNameOrTheBareName) {
    TempFolder dir;
    dir.write("t.lng",
              "[Notification]\nActionDoesNotExist=No action %1%\nActionIsNotAvailable=%1% is unavailable in %2%\n"
              "[ActionName]\nSkip=Skip a track\n");
    Lang::instance().setFiles(dir.winPath("t.lng"), {});
    ActionPluginMgr mgr = manager();
    EXPECT_EQ(Outcome::DoesNotExist, mgr.dispatch(nullptr, L"nosuchaction", {}, false).outcome);
    ASSERT_EQ(1u, recorder.keys.size());
    EXPECT_EQ("cancelRunAction", recorder.keys[0]);
    EXPECT_EQ(L"No action nosuchaction", recorder.texts[0]) << "started by bare name, the name is shown";
    EXPECT_EQ(0x40, recorder.kinds[0]);

    player->unavailable.insert(L"nexttrack");
    auto entry = std::make_shared<ActionListItem>();
    entry->id = L"Skip";
    ActionPluginMgr::Result result = mgr.dispatch(entry, L"nexttrack", {}, false);
    EXPECT_EQ(Outcome::NotAvailable, result.outcome);
    EXPECT_EQ(L"iTunes", result.targetName);
    EXPECT_TRUE(player->ran.empty());
    EXPECT_TRUE(other->ran.empty()) << "the target had it: no other plug-in is asked";
    ASSERT_EQ(2u, recorder.texts.size());
    EXPECT_EQ(L"Skip a track is unavailable in iTunes", recorder.texts[1]);
}

TEST_F(ActionDispatchTest, DisableBootCancelsPlayerActionsWhileThePlayerIsDown) {
    Ini::instance().detail.disableBootITunes = true;
    ActionPluginMgr mgr = manager();
    EXPECT_EQ(Outcome::Cancelled, mgr.dispatch(nullptr, L"nexttrack", {}, false).outcome);
    EXPECT_TRUE(player->ran.empty());
    EXPECT_EQ(Outcome::Cancelled, mgr.dispatch(nullptr, L"otheronly", {}, false).outcome);
    EXPECT_TRUE(other->ran.empty());
    // Starting the player is what "boot" is for.
    EXPECT_EQ(Outcome::Ran, mgr.dispatch(nullptr, L"boot", {}, false).outcome);
    // A utility action is never held back.
    EXPECT_EQ(Outcome::Ran, mgr.dispatch(nullptr, L"notifytrack", {}, false).outcome);
    ASSERT_EQ(2u, recorder.keys.size());

    Ini::instance().detail.disableBootITunes = false;
    EXPECT_EQ(Outcome::Ran, mgr.dispatch(nullptr, L"nexttrack", {}, false).outcome);
}

TEST_F(ActionDispatchTest, ObservationForAll) {
    ActionPluginMgr mgr = manager();
    EXPECT_FALSE(mgr.isObservingAll());
    utility->startWorks = false;
    mgr.startObservationAll();
    EXPECT_EQ(1, player->starts);
    EXPECT_EQ(1, utility->starts);
    EXPECT_FALSE(mgr.isObservingAll());
    mgr.startObservationAll();
    EXPECT_EQ(1, player->starts) << "an observing plug-in is not asked again";
    mgr.endObservationAll();
    EXPECT_EQ(1, player->ends);
    EXPECT_EQ(0, utility->ends);
    EXPECT_TRUE(ActionPluginMgr(std::vector<std::shared_ptr<ActionPlugin>>()).isObservingAll());
}

TEST_F(ActionDispatchTest, PluginMessagesReachTheListenerByIndex) {
    struct Listener : ActionPluginMgrListener {
        void onActionPluginNotify(ActionPluginMgr&, const std::shared_ptr<ActionPlugin>& p, int code) override {
            seen.push_back({p->GetName(), code});
        }
        std::vector<std::pair<std::wstring, int>> seen;
    } listener;
    ActionPluginMgr mgr = manager();
    mgr.setListener(&listener);
    mgr.onPluginMessage(1, 2);
    mgr.onPluginMessage(7, 1);
    postPluginNotification(mgr.window(), 0, 1);
    deliverPostedMessages();
    ASSERT_EQ(2u, listener.seen.size());
    EXPECT_EQ(L"Player/Other", listener.seen[0].first);
    EXPECT_EQ(2, listener.seen[0].second);
    EXPECT_EQ(L"Player/iTunes", listener.seen[1].first);
}

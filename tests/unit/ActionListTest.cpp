#include <gtest/gtest.h>

#include "TempFolder.h"
#include "action/ActionList.h"
#include "action/NetworkRule.h"

using namespace tavelapp;

namespace {

ActionList parsed(const std::wstring& text) {
    ActionList list;
    list.parse(L"Default", text);
    return list;
}

}  // namespace

TEST(ActionList, FieldsSectionsAndComments) {
    ActionList list = parsed(
        L"; comment\n"
        L"\n"
        L"BareId\n"
        L"[Player]\r\n"
        L"StarUp\tRating\t+20\n"
        L"NoName\t\tparam1\tparam2\n"
        L"Stops\tVolume\t\tlater\n"
        L"[ ]\n"
        L"Last\tShuffle\tOn\t\n");
    ASSERT_EQ(5u, list.items().size());
    const ActionListItem& bare = *list.items()[0];
    EXPECT_EQ(L"", bare.section);
    EXPECT_EQ(L"BareId", bare.id);
    EXPECT_EQ(L"bareid", bare.key);
    EXPECT_EQ(L"bareid", bare.actionName);
    EXPECT_TRUE(bare.params.empty());
    EXPECT_EQ(L"Default", bare.folder);

    const ActionListItem& star = *list.items()[1];
    EXPECT_EQ(L"Player", star.section);
    EXPECT_EQ(L"Rating", star.actionName);
    EXPECT_EQ(std::vector<std::wstring>{L"+20"}, star.params);

    const ActionListItem& noName = *list.items()[2];
    EXPECT_EQ(L"noname", noName.actionName);
    EXPECT_EQ((std::vector<std::wstring>{L"param1", L"param2"}), noName.params);

    EXPECT_TRUE(list.items()[3]->params.empty()) << "parameters stop at the first empty field";
    EXPECT_EQ(L" ", list.items()[4]->section);
    EXPECT_EQ(std::vector<std::wstring>{L"On"}, list.items()[4]->params);
}

TEST(ActionList, LookUpIsCaseInsensitiveAndTheFirstDefinitionWins) {
    ActionList list = parsed(L"Twice\tPlay\nOther\tStop\ntwice\tPause\n");
    ASSERT_TRUE(list.find(L"TWICE"));
    EXPECT_EQ(L"Play", list.find(L"TWICE")->actionName);
    EXPECT_EQ(0, list.indexOf(L"twice"));
    EXPECT_EQ(1, list.indexOf(L"OTHER"));
    EXPECT_EQ(-1, list.indexOf(L"missing"));
    EXPECT_FALSE(list.find(L"missing"));
}

TEST(ActionList, LoadsEveryPackageFolderAndItsListFiles) {
    TempFolder dir;
    dir.write("Actions/First/a.act", "One\tPlay\n");
    dir.write("Actions/First/b.act", "Two\tStop\n");
    dir.write("Actions/Second/c.act", "\xEF\xBB\xBFThree\tRating\t=100\n");
    dir.write("Actions/Second/readme.txt", "Four\tPause\n");
    ActionList list;
    list.load(dir.winPath("Actions"));
    EXPECT_EQ(2u, list.folders().size());
    ASSERT_EQ(3u, list.items().size());
    ASSERT_TRUE(list.find(L"three"));
    EXPECT_EQ(L"Second", list.find(L"three")->folder);
    EXPECT_EQ(L"Three", list.find(L"three")->id) << "a UTF-8 mark is not part of the first ID";
    EXPECT_FALSE(list.find(L"four"));
    // A second load starts over.
    list.load(dir.winPath("Actions"));
    EXPECT_EQ(3u, list.items().size());
}

TEST(NetworkRule, NetworkPeersRunOnlyHarmlessActions) {
    ActionList::instance().clear();
    ActionList::instance().parse(L"Default",
                                 L"[volume]\nVolume_Down5\tVolume\t-5\n[system]\nShutdown\tExitSystem\tShutdown\n"
                                 L"Browser\tShellExecute\thttp://example.invalid/\n");
    const struct {
        const wchar_t* reference;
        bool allowed;
    } cases[] = {
        {L"Volume_Down5", true},      {L"volume_down5", true},  {L"NextTrack", true},   {L"NotifyTrack", true},
        {L"DoNothing", true},         {L"Shutdown", false},     {L"ExitSystem", false}, {L"RunScript", false},
        {L"Browser", false},          {L"ShellExecute", false}, {L"ShowOption", false}, {L"QuickPlay", false},
        {L"SomePluginAction", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.allowed, action::allowedOverNetwork(c.reference, false)) << c.reference;
        EXPECT_TRUE(action::allowedOverNetwork(c.reference, true)) << c.reference;
    }
    ActionList::instance().clear();
}

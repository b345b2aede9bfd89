#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "feature/QuickPlayDlg.h"

using namespace tavelapp;

TEST(QuickPlayDlg, PlaylistChoice) {
    const std::vector<std::wstring> library = {L"Library", L"Jazz", L"Rock"};
    struct Case {
        std::wstring current;
        int selected;
        std::wstring comboText;
        std::wstring playlist;
    } cases[] = {
        // Stopped, no current playlist: entry 0 is the first library playlist.
        {L"", 0, L"Library", L"Library"},
        {L"", 2, L"Rock", L"Rock"},
        // The playing-playlist entry means "where the player is", even when a
        // library playlist has the same name.
        {L"Jazz", 0, L"<Playing playlist: Jazz>", L""},
        {L"Jazz", 2, L"Jazz", L"Jazz"},
    };
    for (const Case& c : cases) {
        QuickPlayDlg dialog(library, c.current);
        dialog.accept(L"blue", c.selected, c.comboText);
        EXPECT_EQ(c.playlist, dialog.playlistName()) << c.current << " " << c.selected;
        EXPECT_EQ(L"blue", dialog.searchText());
    }
}

TEST(QuickPlayDlg, EntriesPutThePlayingPlaylistFirst) {
    QuickPlayDlg playing({L"Library", L"Jazz"}, L"Jazz");
    EXPECT_EQ((std::vector<std::wstring>{L"[Jazz]", L"Library", L"Jazz"}), playing.entries(L"[%1%]"));
    QuickPlayDlg stopped({L"Library", L"Jazz"}, L"");
    EXPECT_EQ((std::vector<std::wstring>{L"Library", L"Jazz"}), stopped.entries(L"[%1%]"));
    QuickPlayDlg unreachable({}, L"");
    EXPECT_TRUE(unreachable.entries(L"[%1%]").empty());
}

TEST(QuickPlayDlg, PlayingEntryFallsBackWhenTheTextDoesNotFitOneArgument) {
    struct Case {
        std::wstring text, expected;
    } cases[] = {
        {L"<%1%>", L"<Jazz>"},
        {L"%1% (%1%)", L"Jazz (Jazz)"},
        {L"%2%", L"<Playing Playlist>"},
        {L"no directive", L"<Playing Playlist>"},
        {L"broken %", L"<Playing Playlist>"},
        {L"50%% of %1%", L"50% of Jazz"},
        {L"% T%%`T- TT %1%", L"<Playing Playlist>"},  // misread past the formatter's tables
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, QuickPlayDlg::playingEntry(c.text, L"Jazz")) << c.text;
}

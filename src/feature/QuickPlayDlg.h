#pragma once
#include <string>
#include <vector>

namespace tavelapp {

// Asks for quick play's search text and playlist. The playlists are read
// beforehand off the main thread and handed in, so opening never waits for
// the player.
class QuickPlayDlg {
public:
    QuickPlayDlg(std::vector<std::wstring> playlists, std::wstring currentPlaylist);

    // Modal on the main thread, owned by the active window: 1 for OK, 2 for Cancel.
    int show();

    // After OK: the typed text, and "" for the playing playlist or the name
    // of the chosen one.
    const std::wstring& searchText() const { return searchText_; }
    const std::wstring& playlistName() const { return playlistName_; }

    // The combo box's entries: the playing playlist first when there is one
    // (its text built from `playingText`), then every library playlist.
    std::vector<std::wstring> entries(const std::wstring& playingText) const;
    // The playlist name for the chosen entry and the combo box's text.
    std::wstring playlistFor(int selected, const std::wstring& comboText) const;
    // The language text with the playlist's name as argument 1; a text whose
    // directives do not fit one argument gives "<Playing Playlist>".
    static std::wstring playingEntry(const std::wstring& languageText, const std::wstring& playlist);

    // What OK answers (kept apart from the window for the tests).
    void accept(const std::wstring& searchText, int selected, const std::wstring& comboText);

private:
    std::vector<std::wstring> playlists_;
    std::wstring currentPlaylist_;
    std::wstring searchText_;
    std::wstring playlistName_;
};

}  // namespace tavelapp

#include "feature/QuickPlayDlg.h"

#include <boost/format.hpp>

#include "config/Lang.h"

namespace tavelapp {

QuickPlayDlg::QuickPlayDlg(std::vector<std::wstring> playlists, std::wstring currentPlaylist)
    : playlists_(std::move(playlists)), currentPlaylist_(std::move(currentPlaylist)) {}

std::wstring QuickPlayDlg::playingEntry(const std::wstring& languageText, const std::wstring& playlist) {
    try {
        if (!plainDirectivesOnly(languageText)) return L"<Playing Playlist>";
        return (boost::wformat(languageText) % playlist).str();
    } catch (const std::exception&) {
        return L"<Playing Playlist>";
    }
}

std::vector<std::wstring> QuickPlayDlg::entries(const std::wstring& playingText) const {
    std::vector<std::wstring> out;
    if (!currentPlaylist_.empty()) out.push_back(playingEntry(playingText, currentPlaylist_));
    out.insert(out.end(), playlists_.begin(), playlists_.end());
    return out;
}

std::wstring QuickPlayDlg::playlistFor(int selected, const std::wstring& comboText) const {
    // The playing-playlist entry means "wherever the player is", even when a
    // library playlist has the same name.
    if (!currentPlaylist_.empty() && selected == 0) return std::wstring();
    return comboText;
}

void QuickPlayDlg::accept(const std::wstring& searchText, int selected, const std::wstring& comboText) {
    searchText_ = searchText;
    playlistName_ = playlistFor(selected, comboText);
}

}  // namespace tavelapp

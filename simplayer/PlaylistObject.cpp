#include "PlaylistObject.h"

#include "player/model/UserPlaylist.h"

namespace simplayer {

namespace h = handler;
using tavelapp::itunes::Playlist;

const std::vector<DispMember<PlaylistObject>>& PlaylistObject::members() {
    static const std::vector<DispMember<PlaylistObject>> table = {
        {L"Name", h::get<&Playlist::name>},
        {L"PlaylistID", h::get<&Playlist::playlistId>},
        {L"TrackID", h::get<&Playlist::trackId>},
        {L"PlayFirstTrack", nullptr, nullptr, h::call<&Playlist::playFirstTrack>},
        {L"Tracks", h::get<&Playlist::tracks>},
        {L"Search", nullptr, nullptr, &PlaylistObject::search},
        {L"Shuffle", h::get<&Playlist::shuffle>, h::put<&Playlist::setShuffle>},
        {L"SongRepeat", h::get<&Playlist::songRepeat>, h::put<&Playlist::setSongRepeat>},
        {L"AddTrack", nullptr, nullptr, &PlaylistObject::addTrack},
        {L"Kind", h::get<&Playlist::kind>},
        {L"Smart", &PlaylistObject::smart},
        {L"SpecialKind", &PlaylistObject::specialKind},
    };
    return table;
}

// Search(text, field kind): the kind picks the fields looked in; nothing found
// gives no collection, as the player does.
HRESULT PlaylistObject::search(PlaylistObject& self, const DispArgs& args, VARIANT* result) {
    if (args.count() != 2) return DISP_E_BADPARAMCOUNT;
    std::wstring text;
    HRESULT hr = args.get(0, text);
    if (FAILED(hr)) return hr;
    long fields = 0;
    hr = args.get(1, fields);
    if (FAILED(hr)) return hr;
    if (fields < tavelapp::itunes::SearchAll || fields > tavelapp::itunes::SearchSongNames) return E_INVALIDARG;
    return putValue(result, self.playlist_->search(text, fields));
}

// AddTrack(track): the track must be one of the player's own; the library
// playlist takes none (its members are every track already).
HRESULT PlaylistObject::addTrack(PlaylistObject& self, const DispArgs& args, VARIANT* result) {
    if (args.count() != 1) return DISP_E_BADPARAMCOUNT;
    tavel::win::util::ComPtr<IDispatch> object;
    const HRESULT hr = args.get(0, object);
    if (FAILED(hr)) return hr;
    const auto track = std::dynamic_pointer_cast<tavelapp::itunes::Track>(modelObjectOf(object.get()));
    if (!track) return E_INVALIDARG;
    auto* editable = dynamic_cast<tavelapp::itunes::model::UserPlaylist*>(self.playlist_.get());
    const tavelapp::itunes::TrackPtr added = editable != nullptr ? editable->addTrack(track->trackId()) : nullptr;
    if (!added) return E_FAIL;
    return putValue(result, added);
}

// Smart and SpecialKind belong to user playlists (IITUserPlaylist): the
// library playlist does not have them.
HRESULT PlaylistObject::smart(PlaylistObject& self, const DispArgs& args, VARIANT* result) {
    if (args.count() != 0) return DISP_E_BADPARAMCOUNT;
    if (self.playlist_->kind() != tavelapp::itunes::PlaylistKindUser) return DISP_E_MEMBERNOTFOUND;
    return putValue(result, self.playlist_->smart());
}

HRESULT PlaylistObject::specialKind(PlaylistObject& self, const DispArgs& args, VARIANT* result) {
    if (args.count() != 0) return DISP_E_BADPARAMCOUNT;
    if (self.playlist_->kind() != tavelapp::itunes::PlaylistKindUser) return DISP_E_MEMBERNOTFOUND;
    return putValue(result, self.playlist_->specialKind());
}

}  // namespace simplayer

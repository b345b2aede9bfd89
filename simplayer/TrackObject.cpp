#include "TrackObject.h"

namespace simplayer {

namespace h = handler;
using tavelapp::itunes::Track;

const std::vector<DispMember<TrackObject>>& TrackObject::members() {
    static const std::vector<DispMember<TrackObject>> table = {
        {L"Name", h::get<&Track::name>},
        {L"PlaylistID", h::get<&Track::playlistId>},
        {L"TrackID", h::get<&Track::trackId>},
        {L"Play", nullptr, nullptr, h::call<&Track::play>},
        {L"Album", h::get<&Track::album>},
        {L"Artist", h::get<&Track::artist>},
        {L"Comment", h::get<&Track::comment>},
        {L"Composer", h::get<&Track::composer>},
        {L"Duration", h::get<&Track::duration>},
        {L"Genre", h::get<&Track::genre>},
        {L"PlayedCount", h::get<&Track::playedCount>},
        {L"PlayOrderIndex", h::get<&Track::playOrderIndex>},
        {L"Rating", h::get<&Track::rating>, h::put<&Track::setRating>},
        {L"Time", h::get<&Track::time>},
        {L"TrackCount", h::get<&Track::trackCount>},
        {L"TrackNumber", h::get<&Track::trackNumber>},
        {L"Year", h::get<&Track::year>},
        {L"Artwork", h::get<&Track::artwork>},
        {L"AddArtworkFromFile", nullptr, nullptr, &TrackObject::addArtworkFromFile},
    };
    return table;
}

HRESULT TrackObject::addArtworkFromFile(TrackObject& self, const DispArgs& args, VARIANT* result) {
    if (args.count() != 1) return DISP_E_BADPARAMCOUNT;
    std::wstring path;
    const HRESULT hr = args.get(0, path);
    if (FAILED(hr)) return hr;
    const tavelapp::itunes::ArtworkPtr artwork = self.track_->addArtworkFromFile(path);
    // The player fails the call for a file it cannot take as a picture.
    if (!artwork) return E_FAIL;
    return putValue(result, artwork);
}

}  // namespace simplayer

#include "SourceObject.h"

namespace simplayer {

namespace h = handler;
using tavelapp::itunes::Source;

const std::vector<DispMember<SourceObject>>& SourceObject::members() {
    static const std::vector<DispMember<SourceObject>> table = {
        {L"Name", h::get<&Source::name>},
        {L"PlaylistID", h::get<&Source::playlistId>},
        {L"TrackID", h::get<&Source::trackId>},
        {L"Playlists", h::get<&Source::playlists>},
    };
    return table;
}

}  // namespace simplayer

#include "PlaylistCollectionObject.h"

namespace simplayer {

namespace h = handler;
using tavelapp::itunes::PlaylistCollection;

const std::vector<DispMember<PlaylistCollectionObject>>& PlaylistCollectionObject::members() {
    static const std::vector<DispMember<PlaylistCollectionObject>> table = {
        {L"Count", h::get<&PlaylistCollection::count>},
        {L"Item", h::getAt<&PlaylistCollection::item>},
    };
    return table;
}

}  // namespace simplayer

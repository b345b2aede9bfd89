#include "TrackCollectionObject.h"

namespace simplayer {

namespace h = handler;
using tavelapp::itunes::TrackCollection;

const std::vector<DispMember<TrackCollectionObject>>& TrackCollectionObject::members() {
    static const std::vector<DispMember<TrackCollectionObject>> table = {
        {L"Count", h::get<&TrackCollection::count>},
        {L"Item", h::getAt<&TrackCollection::item>},
        {L"ItemByPlayOrder", h::getAt<&TrackCollection::itemByPlayOrder>},
    };
    return table;
}

}  // namespace simplayer

#include "TrackCollectionObject.h"

#include "CollectionMembers.h"
#include "PlayerIds.h"

namespace simplayer {

namespace h = handler;
using tavelapp::itunes::TrackCollection;

const std::vector<DispMember<TrackCollectionObject>>& TrackCollectionObject::members() {
    static const std::vector<DispMember<TrackCollectionObject>> table = {
        {L"Count", h::get<&TrackCollection::count>, nullptr, nullptr, kDispCount},
        {L"Item", h::getAt<&TrackCollection::item>, nullptr, nullptr, kDispItem},
        {L"ItemByPlayOrder", h::getAt<&TrackCollection::itemByPlayOrder>, nullptr, nullptr, kDispTracksItemByPlayOrder},
        {L"ItemByName", &collection::itemByName<TrackCollectionObject>, nullptr, nullptr, kDispTracksItemByName},
        {L"_NewEnum", &collection::newEnum<TrackCollectionObject>, nullptr, &collection::newEnum<TrackCollectionObject>,
         kDispNewEnum},
        {L"ItemByPersistentID", &collection::itemByPersistentId<TrackCollectionObject>, nullptr, nullptr,
         kDispTracksItemByPersistentID},
    };
    return table;
}

}  // namespace simplayer

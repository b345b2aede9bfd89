#include "PlaylistCollectionObject.h"

#include "CollectionMembers.h"
#include "PlayerIds.h"

namespace simplayer {

namespace h = handler;
using tavelapp::itunes::PlaylistCollection;

const std::vector<DispMember<PlaylistCollectionObject>>& PlaylistCollectionObject::members() {
    static const std::vector<DispMember<PlaylistCollectionObject>> table = {
        {L"Count", h::get<&PlaylistCollection::count>, nullptr, nullptr, kDispCount},
        {L"Item", h::getAt<&PlaylistCollection::item>, nullptr, nullptr, kDispItem},
        {L"ItemByName", &collection::itemByName<PlaylistCollectionObject>, nullptr, nullptr, kDispPlaylistsItemByName},
        {L"_NewEnum", &collection::newEnum<PlaylistCollectionObject>, nullptr,
         &collection::newEnum<PlaylistCollectionObject>, kDispNewEnum},
        {L"ItemByPersistentID", &collection::itemByPersistentId<PlaylistCollectionObject>, nullptr, nullptr,
         kDispPlaylistsItemByPersistentID},
    };
    return table;
}

}  // namespace simplayer

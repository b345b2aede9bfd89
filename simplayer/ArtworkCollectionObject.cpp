#include "ArtworkCollectionObject.h"

#include "CollectionMembers.h"
#include "PlayerIds.h"

namespace simplayer {

namespace h = handler;
using tavelapp::itunes::ArtworkCollection;

const std::vector<DispMember<ArtworkCollectionObject>>& ArtworkCollectionObject::members() {
    static const std::vector<DispMember<ArtworkCollectionObject>> table = {
        {L"Count", h::get<&ArtworkCollection::count>, nullptr, nullptr, kDispCount},
        {L"Item", h::getAt<&ArtworkCollection::item>, nullptr, nullptr, kDispItem},
        {L"_NewEnum", &collection::newEnum<ArtworkCollectionObject>, nullptr,
         &collection::newEnum<ArtworkCollectionObject>, kDispNewEnum},
    };
    return table;
}

}  // namespace simplayer

#include "ArtworkCollectionObject.h"

namespace simplayer {

namespace h = handler;
using tavelapp::itunes::ArtworkCollection;

const std::vector<DispMember<ArtworkCollectionObject>>& ArtworkCollectionObject::members() {
    static const std::vector<DispMember<ArtworkCollectionObject>> table = {
        {L"Count", h::get<&ArtworkCollection::count>},
        {L"Item", h::getAt<&ArtworkCollection::item>},
    };
    return table;
}

}  // namespace simplayer

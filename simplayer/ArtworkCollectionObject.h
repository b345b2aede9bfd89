#pragma once
#include <vector>

#include "DispatchTable.h"
#include "player/PlayerInterface.h"

namespace simplayer {

// IITArtworkCollection, counting from 1, with the player's member ids.
class ArtworkCollectionObject : public DispatchTable<ArtworkCollectionObject> {
public:
    explicit ArtworkCollectionObject(tavelapp::itunes::ArtworkCollectionPtr items) : items_(std::move(items)) {}
    tavelapp::itunes::ArtworkCollection& target() { return *items_; }
    const tavelapp::itunes::ArtworkCollectionPtr& items() const { return items_; }
    static const std::vector<DispMember<ArtworkCollectionObject>>& members();

private:
    tavelapp::itunes::ArtworkCollectionPtr items_;
};

}  // namespace simplayer

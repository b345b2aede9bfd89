#pragma once
#include <vector>

#include "DispatchTable.h"
#include "player/PlayerInterface.h"

namespace simplayer {

// IITTrackCollection, counting from 1, with the player's member ids.
class TrackCollectionObject : public DispatchTable<TrackCollectionObject> {
public:
    explicit TrackCollectionObject(tavelapp::itunes::TrackCollectionPtr items) : items_(std::move(items)) {}
    tavelapp::itunes::TrackCollection& target() { return *items_; }
    const tavelapp::itunes::TrackCollectionPtr& items() const { return items_; }
    static const std::vector<DispMember<TrackCollectionObject>>& members();

private:
    tavelapp::itunes::TrackCollectionPtr items_;
};

}  // namespace simplayer

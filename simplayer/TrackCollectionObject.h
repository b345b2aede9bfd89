#pragma once
#include <vector>

#include "DispatchTable.h"
#include "player/PlayerInterface.h"

namespace simplayer {

// IITTrackCollection, counting from 1.
class TrackCollectionObject : public DispatchTable<TrackCollectionObject> {
public:
    explicit TrackCollectionObject(tavelapp::itunes::TrackCollectionPtr items) : items_(std::move(items)) {}
    tavelapp::itunes::TrackCollection& target() { return *items_; }
    static const std::vector<DispMember<TrackCollectionObject>>& members();

private:
    tavelapp::itunes::TrackCollectionPtr items_;
};

}  // namespace simplayer

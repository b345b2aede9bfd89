#pragma once
#include <vector>

#include "DispatchTable.h"
#include "player/PlayerInterface.h"

namespace simplayer {

// IITPlaylistCollection, counting from 1, with the player's member ids.
class PlaylistCollectionObject : public DispatchTable<PlaylistCollectionObject> {
public:
    explicit PlaylistCollectionObject(tavelapp::itunes::PlaylistCollectionPtr items) : items_(std::move(items)) {}
    tavelapp::itunes::PlaylistCollection& target() { return *items_; }
    const tavelapp::itunes::PlaylistCollectionPtr& items() const { return items_; }
    static const std::vector<DispMember<PlaylistCollectionObject>>& members();

private:
    tavelapp::itunes::PlaylistCollectionPtr items_;
};

}  // namespace simplayer

#pragma once
#include <vector>

#include "DispatchTable.h"
#include "player/PlayerInterface.h"

namespace simplayer {

// One picture of a track's artwork (IITArtwork).
class ArtworkObject : public DispatchTable<ArtworkObject> {
public:
    explicit ArtworkObject(tavelapp::itunes::ArtworkPtr artwork) : artwork_(std::move(artwork)) {}
    tavelapp::itunes::Artwork& target() { return *artwork_; }
    static const std::vector<DispMember<ArtworkObject>>& members();

private:
    static HRESULT saveArtworkToFile(ArtworkObject& self, const DispArgs& args, VARIANT* result);
    static HRESULT setArtworkFromFile(ArtworkObject& self, const DispArgs& args, VARIANT* result);
    static HRESULT deleteArtwork(ArtworkObject& self, const DispArgs& args, VARIANT* result);

    tavelapp::itunes::ArtworkPtr artwork_;
};

}  // namespace simplayer

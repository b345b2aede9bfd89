#pragma once
#include <vector>

#include "DispatchTable.h"
#include "player/PlayerInterface.h"

namespace simplayer {

// A track (IITTrack).
class TrackObject : public DispatchTable<TrackObject> {
public:
    explicit TrackObject(tavelapp::itunes::TrackPtr track) : track_(std::move(track)) {}
    tavelapp::itunes::Track& target() { return *track_; }
    static const std::vector<DispMember<TrackObject>>& members();

protected:
    std::shared_ptr<tavelapp::itunes::Object> modelObject() override { return track_; }

private:
    static HRESULT addArtworkFromFile(TrackObject& self, const DispArgs& args, VARIANT* result);

    tavelapp::itunes::TrackPtr track_;
};

}  // namespace simplayer

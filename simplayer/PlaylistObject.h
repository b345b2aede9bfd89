#pragma once
#include <vector>

#include "DispatchTable.h"
#include "player/PlayerInterface.h"

namespace simplayer {

// A playlist (IITPlaylist).
class PlaylistObject : public DispatchTable<PlaylistObject> {
public:
    explicit PlaylistObject(tavelapp::itunes::PlaylistPtr playlist) : playlist_(std::move(playlist)) {}
    tavelapp::itunes::Playlist& target() { return *playlist_; }
    static const std::vector<DispMember<PlaylistObject>>& members();

protected:
    std::shared_ptr<tavelapp::itunes::Object> modelObject() override { return playlist_; }

private:
    static HRESULT search(PlaylistObject& self, const DispArgs& args, VARIANT* result);
    static HRESULT addTrack(PlaylistObject& self, const DispArgs& args, VARIANT* result);
    static HRESULT smart(PlaylistObject& self, const DispArgs& args, VARIANT* result);
    static HRESULT specialKind(PlaylistObject& self, const DispArgs& args, VARIANT* result);

    tavelapp::itunes::PlaylistPtr playlist_;
};

}  // namespace simplayer

#pragma once
#include <windows.h>

#include <memory>

#include "player/PlayerInterface.h"
#include "win/util/ComPtr.h"

namespace tavelapp {
namespace itunes {

// The player interface over the player's automation objects.
std::shared_ptr<App> makeComApp(tavel::win::util::ComPtr<IDispatch> application);
// The automation object behind an object of ours (null for others).
IDispatch* dispatchOf(const Playlist& playlist);

}  // namespace itunes
}  // namespace tavelapp

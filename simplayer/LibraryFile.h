#pragma once
#include <string>

#include "player/model/Library.h"

namespace simplayer {

// Reads the player's library file and makes the artwork file names, which the
// file gives relative to its own folder, absolute. False when the file cannot
// be read (`library` is then empty).
bool loadLibraryFile(const std::wstring& path, tavelapp::itunes::model::Library& library);

}  // namespace simplayer

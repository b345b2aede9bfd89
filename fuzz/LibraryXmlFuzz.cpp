// The library file is the player's, but users keep old and odd ones: any bytes
// must give a library, never a crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "player/model/Library.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tavelapp::itunes::model;
    const Library library = parseLibraryXml(std::string(reinterpret_cast<const char*>(data), size));
    if (!library.tracks.empty() && library.playlists.empty()) __builtin_trap();  // a master list is always made
    return 0;
}

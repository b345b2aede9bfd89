#include "player/MusicLibraryParser.h"

#include "win/util/TextCodec.h"

namespace tavelapp {

// There is no player here, so no library file of its own.
std::wstring MusicLibraryParser::libraryFilePath() { return std::wstring(); }

std::FILE* openLibraryFile(const std::wstring& path) {
    std::string narrow = tavel::win::util::wideToUtf8(path);
    for (char& c : narrow)
        if (c == '\\') c = '/';
    return std::fopen(narrow.c_str(), "rb");
}

}  // namespace tavelapp

#include <windows.h>
#include <shlobj.h>

#include "player/MusicLibraryParser.h"

namespace tavelapp {

std::wstring MusicLibraryParser::libraryFilePath() {
    wchar_t music[MAX_PATH] = L"";
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_MYMUSIC, nullptr, SHGFP_TYPE_CURRENT, music))) return std::wstring();
    return std::wstring(music) + L"\\iTunes\\iTunes Music Library.xml";
}

std::FILE* openLibraryFile(const std::wstring& path) { return ::_wfopen(path.c_str(), L"rb"); }

}  // namespace tavelapp

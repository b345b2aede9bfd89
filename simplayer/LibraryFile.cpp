#include "LibraryFile.h"

#include <algorithm>

#include "win/file/FileSystem.h"
#include "win/util/TextCodec.h"

namespace simplayer {

using tavel::win::util::wideToUtf8;

namespace {

bool isAbsolute(const std::string& name) {
    if (!name.empty() && (name[0] == '\\' || name[0] == '/')) return true;
    return name.size() >= 2 && name[1] == ':';
}

// `name` (UTF-8, either slash) against `folder` unless already absolute.
std::string resolveBeside(const std::wstring& folder, const std::string& name) {
    std::string path = isAbsolute(name) ? name : wideToUtf8(folder) + "\\" + name;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

}  // namespace

bool loadLibraryFile(const std::wstring& path, tavelapp::itunes::model::Library& library) {
    library = tavelapp::itunes::model::Library();
    std::string bytes;
    if (!tavel::win::file::readFileBytes(path, bytes, tavel::win::file::kAnySize)) return false;
    library = tavelapp::itunes::model::parseLibraryXml(bytes);
    const std::size_t slash = path.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
    for (auto& track : library.tracks) {
        for (std::string& name : track.artwork)
            name = resolveBeside(folder, name);
    }
    return true;
}

}  // namespace simplayer

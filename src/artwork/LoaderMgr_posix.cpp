#include <string>

#include "artwork/LoaderMgr.h"
#include "config/Ini.h"
#include "win/dib/BitmapFile.h"
#include "win/file/FileSystem.h"

namespace tavelapp {
namespace artwork {

// The portable build has no decoder libraries: Windows bitmaps only.
PicturePtr LoaderMgr::load(const std::wstring& path, bool) const {
    if (!Ini::snapshot()->notify.showArtwork) return nullptr;
    std::string bytes;
    if (!tavel::win::file::readFileBytes(path, bytes, tavel::win::file::kPictureReadLimit)) return nullptr;
    tavel::win::dib::DIB dib;
    if (!tavel::win::dib::readBitmapFile(bytes, dib)) return nullptr;
    return std::make_shared<Picture>(std::move(dib));
}

std::vector<LoaderPtr> LoaderMgr::loadSusiePlugins(const std::wstring&) { return {}; }

PicturePtr LoaderMgr::placeholder() { return nullptr; }

}  // namespace artwork
}  // namespace tavelapp

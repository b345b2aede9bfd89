#include "artwork/LoaderMgr.h"

#include <utility>

#include "base/AppPaths.h"
#include "win/file/FileSystem.h"
#include "win/file/File.h"

namespace tavelapp {
namespace artwork {

LoaderMgr& LoaderMgr::instance() {
    // A function-local static: the first caller builds it under the runtime's
    // lock, and every other thread waits until the decoder list is complete.
    static LoaderMgr mgr(loadSusiePlugins(AppPaths::settingsFolder() + L"\\Susie"));
    return mgr;
}

LoaderMgr::LoaderMgr(std::vector<LoaderPtr> loaders) : loaders_(std::move(loaders)) {}

LoaderMgr::~LoaderMgr() = default;

void removeLeftovers() {
    const std::wstring folder = AppPaths::settingsFolder() + L"\\Artwork";
    for (const std::wstring& file : tavel::win::file::listFiles(folder, L"*.tmp"))
        tavel::win::file::deleteFile(folder + L"\\" + file);
}

std::wstring artworkFolder() {
    static const std::wstring path = [] {
        tavel::win::file::Dir dir(AppPaths::settingsFolder() + L"\\Artwork");
        dir.create();
        return dir.path();
    }();
    return path;
}

}  // namespace artwork
}  // namespace tavelapp

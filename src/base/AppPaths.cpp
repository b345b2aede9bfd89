#include "base/AppPaths.h"

#include <mutex>

#include "win/file/File.h"

namespace tavelapp {
namespace {
std::mutex pathLock;
std::wstring programPathValue;
}  // namespace

void AppPaths::setProgramPath(const std::wstring& path) {
    std::lock_guard<std::mutex> guard(pathLock);
    programPathValue = path;
}

std::wstring AppPaths::programPath() {
    std::lock_guard<std::mutex> guard(pathLock);
    return programPathValue;
}

std::wstring AppPaths::programFolder() { return tavel::win::file::File(programPath()).folder(); }

std::wstring AppPaths::settingsFolder() {
    tavel::win::file::File program(programPath());
    tavel::win::file::Dir dir(program.folder() + L"\\" + program.fileTitle());
    dir.create();
    return dir.path();
}

}  // namespace tavelapp

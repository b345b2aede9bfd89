#include "win/file/File.h"

#include "win/file/FileSystem.h"

namespace tavel {
namespace win {
namespace file {

bool File::exists() const { return fileExists(path_); }

bool File::remove() const { return deleteFile(path_); }

std::wstring File::folder() const {
    const std::size_t slash = path_.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path_.substr(0, slash);
}

std::wstring File::fileName() const {
    const std::size_t slash = path_.rfind(L'\\');
    return slash == std::wstring::npos ? path_ : path_.substr(slash + 1);
}

std::wstring File::fileTitle() const {
    const std::wstring name = fileName();
    const std::size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? std::wstring() : name.substr(0, dot);
}

bool Dir::create() const {
    if (exists()) return true;
    createDirectory(path());
    // Someone else may have created it meanwhile; what matters is that it is there.
    return exists();
}

}  // namespace file
}  // namespace win
}  // namespace tavel

#include "feature/SettingsFolder.h"

#include "base/AppPaths.h"
#include "win/file/File.h"

namespace tavelapp {

std::wstring featureSettingsPath(const std::wstring& fileName) {
    const std::wstring folder = AppPaths::settingsFolder() + L"\\Settings";
    tavel::win::file::Dir(folder).create();
    return folder + L"\\" + fileName;
}

}  // namespace tavelapp

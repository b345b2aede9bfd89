#pragma once
#include <string>

namespace tavelapp {

// The "Settings" folder under the settings folder, created when missing; the
// playback features keep one file each there.
std::wstring featureSettingsPath(const std::wstring& fileName);

}  // namespace tavelapp

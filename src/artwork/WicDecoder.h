#pragma once
#include <string>

#include "win/dib/DIB.h"

namespace tavelapp {
namespace artwork {

// The system's own decoder (Windows Imaging Component): PNG, JPEG, GIF,
// TIFF, BMP and ICO from a UTF-16 path into a 32-bit top-down picture, the
// first frame, transparent parts laid over white.
bool decodeWithWic(const std::wstring& path, tavel::win::dib::DIB& out);

}  // namespace artwork
}  // namespace tavelapp

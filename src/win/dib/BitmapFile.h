#pragma once
#include <string>

#include "win/dib/DIB.h"

namespace tavel {
namespace win {
namespace dib {

// Limits of a picture read from a file (a skin's, or artwork from a file, a
// decoder or the network): larger ones are refused. A notification never
// shows more, and 64 MB of pixels is already much for a 32-bit process.
constexpr int kMaxBitmapSide = 4096;
constexpr long long kMaxBitmapPixels = 1LL << 24;
// An encoder's runs paint at most 255 pixels per two bytes, and each row
// needs an end of line too: an RLE picture far larger than its stream could
// paint is refused rather than allocated.
constexpr long long kMaxRlePixelsPerByte = 256;

// Reads a Windows bitmap file (14-byte file header with the pixel offset at
// byte 10; a core, info, V4 or V5 header; 1, 4 or 8 bits with a palette, 16
// bits as 5-5-5 or bit fields, 24 or 32 bits; bottom-up or top-down; RLE8 and
// RLE4, bottom-up only) into a 32-bit top-down DIB of B, G, R, 0 pixels.
// Pixels an RLE stream skips take palette entry 0, as Windows shows them; a
// stream that stops early (truncated, or without its end-of-bitmap code)
// keeps what it painted. JPEG and PNG bitmaps are refused. Skin and artwork
// files come from anywhere, so every header value is checked against the
// file's size: on anything inconsistent or truncated the result is false and
// `out` is left empty.
bool readBitmapFile(const std::string& bytes, DIB& out);

}  // namespace dib
}  // namespace win
}  // namespace tavel

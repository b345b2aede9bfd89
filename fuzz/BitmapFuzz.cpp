// Skin and artwork bitmaps come from anywhere: any bytes must either give a
// picture whose size the file could hold, or nothing, and never a read
// outside the input.
#include <cstddef>
#include <cstdint>
#include <string>

#include "win/dib/Bitmap.h"
#include "win/dib/BitmapFile.h"

using namespace tavel::win::dib;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    DIB dib;
    if (!readBitmapFile(bytes, dib)) {
        if (!dib.empty()) __builtin_trap();
        return 0;
    }
    if (dib.bitsPerPixel() != 32 || dib.width() < 1 || dib.height() < 1) __builtin_trap();
    // At least one bit per pixel had to be in the file, unless it is run-length
    // encoded (compression 1 or 2 in an info header), whose limit is wider.
    const bool rle = size >= 34 && data[14] >= 40 && (data[30] == 1 || data[30] == 2) && data[31] == 0 &&
                     data[32] == 0 && data[33] == 0;
    const uint64_t perByte = rle ? static_cast<uint64_t>(kMaxRlePixelsPerByte) : 8;
    if (static_cast<uint64_t>(dib.width()) * static_cast<uint64_t>(dib.height()) > uint64_t{size} * perByte)
        __builtin_trap();
    for (int y = 0; y < dib.height(); ++y) {
        for (int x = 0; x < dib.width(); ++x) {
            if ((dib.pixel(x, y) >> 24) != 0) __builtin_trap();
        }
    }
    // What the notification does with a picture: fit, scale, key it onto a background.
    const Size fitted = fitSize(64, 48, dib.width(), dib.height());
    const DIB scaled = scaleBilinear(dib, fitted.width, fitted.height);
    if (fitted.width > 0 && fitted.height > 0 && (scaled.width() != fitted.width || scaled.height() != fitted.height))
        __builtin_trap();
    DIB canvas;
    if (canvas.create(40, 30, 32)) {
        drawColorKeyed(canvas, -3, 5, dib, 2, -1, 50, 50, kMagenta);
        drawBar(canvas, 1, 1, dib, dib.width() / 4, dib.height(), size % 2 == 0, static_cast<int>(size % 120));
    }
    return 0;
}

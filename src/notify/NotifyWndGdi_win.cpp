#include "notify/NotifyWndGdi.h"

#include <cstring>

namespace tavelapp {

GdiObject<HBITMAP> createDibSection(int width, int height, std::uint8_t** bits) {
    *bits = nullptr;
    if (width <= 0 || height <= 0) return GdiObject<HBITMAP>();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down, like DIB
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    GdiObject<HBITMAP> bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (bitmap) *bits = static_cast<std::uint8_t*>(pixels);
    return bitmap;
}

GdiObject<HBITMAP> bitmapFromDib(const tavel::win::dib::DIB& image) {
    if (image.empty() || image.bitsPerPixel() != 32) return GdiObject<HBITMAP>();
    std::uint8_t* bits = nullptr;
    GdiObject<HBITMAP> bitmap = createDibSection(image.width(), image.height(), &bits);
    if (bits == nullptr) return GdiObject<HBITMAP>();
    const std::size_t rowBytes = static_cast<std::size_t>(image.width()) * 4;
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(bits + static_cast<std::size_t>(y) * rowBytes, image.row(y), rowBytes);
    ::GdiFlush();
    return bitmap;
}

}  // namespace tavelapp

#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <utility>

#include "win/dib/DIB.h"

namespace tavelapp {

// Move-only owner of a GDI object (font, bitmap, brush) deleted with DeleteObject.
template <typename T>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(T h) : h_(h) {}
    GdiObject(GdiObject&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) reset(std::exchange(other.h_, nullptr));
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    ~GdiObject() { reset(); }

    T get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    T release() { return std::exchange(h_, nullptr); }
    void reset(T h = nullptr) {
        if (h_ != nullptr) ::DeleteObject(h_);
        h_ = h;
    }

private:
    T h_ = nullptr;
};

// Move-only owner of an image list.
class ImageListHandle {
public:
    ImageListHandle() = default;
    explicit ImageListHandle(HIMAGELIST h) : h_(h) {}
    ImageListHandle(ImageListHandle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    ImageListHandle& operator=(ImageListHandle&& other) noexcept {
        if (this != &other) reset(std::exchange(other.h_, nullptr));
        return *this;
    }
    ImageListHandle(const ImageListHandle&) = delete;
    ImageListHandle& operator=(const ImageListHandle&) = delete;
    ~ImageListHandle() { reset(); }

    HIMAGELIST get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void reset(HIMAGELIST h = nullptr) {
        if (h_ != nullptr) ::ImageList_Destroy(h_);
        h_ = h;
    }

private:
    HIMAGELIST h_ = nullptr;
};

// Selects an object into a DC for one scope.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(object != nullptr ? ::SelectObject(dc, object) : nullptr) {}
    ~SelectedObject() {
        if (old_ != nullptr) ::SelectObject(dc_, old_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A memory DC deleted at scope end.
class MemoryDC {
public:
    explicit MemoryDC(HDC compatibleWith) : dc_(::CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDC() {
        if (dc_ != nullptr) ::DeleteDC(dc_);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// A 32-bit top-down DIB section; `bits` receives its pixels (B, G, R, x rows).
GdiObject<HBITMAP> createDibSection(int width, int height, std::uint8_t** bits);
// A DIB section holding a copy of the picture; empty for an empty picture.
GdiObject<HBITMAP> bitmapFromDib(const tavel::win::dib::DIB& image);

}  // namespace tavelapp

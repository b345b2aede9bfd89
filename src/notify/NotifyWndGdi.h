#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <utility>

#include "win/dib/DIB.h"
#include "win/util/Handle.h"

namespace tavelapp {

using tavel::win::util::GdiObject;
using tavel::win::util::ImageListHandle;

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

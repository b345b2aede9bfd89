#pragma once
#include <memory>
#include <utility>

#include "win/dib/DIB.h"

namespace tavelapp {

// A decoded picture shared between the image loaders, notifications and the
// artwork editor: a 32-bit top-down DIB, never changed after construction.
// The window code makes its own bitmap from it when drawing.
class Picture {
public:
    explicit Picture(tavel::win::dib::DIB dib) : dib_(std::move(dib)) {}
    const tavel::win::dib::DIB& dib() const { return dib_; }
    int width() const { return dib_.width(); }
    int height() const { return dib_.height(); }

private:
    tavel::win::dib::DIB dib_;
};
using PicturePtr = std::shared_ptr<Picture>;

}  // namespace tavelapp

#pragma once
#include <memory>

namespace tavelapp {

// A decoded bitmap shared between the image loaders, notifications and the
// artwork editor. Defined by the image code; here only passed along.
class Picture;
using PicturePtr = std::shared_ptr<Picture>;

}  // namespace tavelapp

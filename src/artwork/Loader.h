#pragma once
#include <memory>
#include <string>

#include "win/dib/DIB.h"

namespace tavelapp {

// A picture decoder. `path` is in the system code page; `file` is an open
// handle of that file, positioned at its start.
class Loader {
public:
    virtual ~Loader() = default;
    virtual bool isSupported(const std::string& path, void* file) = 0;
    // A 32-bit top-down picture; false when the decoder failed.
    virtual bool getPicture(tavel::win::dib::DIB& bitmap, const std::string& path) = 0;
};
using LoaderPtr = std::shared_ptr<Loader>;

}  // namespace tavelapp

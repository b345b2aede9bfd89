#pragma once
#include <cstddef>

#include "win/dib/DIB.h"

namespace tavelapp {
namespace artwork {

// A packed DIB as decoders hand it over (an information block of
// `infoBytes`, then pixel bits elsewhere) into a 32-bit top-down picture.
// False when the header does not fit its block or the bits are short.
bool packedDibToDib(const void* info, std::size_t infoBytes, const void* bits, std::size_t bitsBytes,
                    tavel::win::dib::DIB& out);

}  // namespace artwork
}  // namespace tavelapp

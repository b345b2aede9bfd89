#pragma once
#include <cstddef>
#include <cstdint>

namespace tavel {
namespace win {
namespace dib {

// Expands a run-length encoded pixel stream (BI_RLE8 with bitsPerPixel 8,
// BI_RLE4 with 4) into `indices`: width x height palette indices, one byte
// each, rows in the stream's bottom-up order. Pixels the stream never paints
// (skipped by a delta, an early end of line or end of bitmap) keep whatever
// `indices` held. Runs are clipped to their row; decoding stops at the end of
// bitmap code, at a move past the last row or where the bytes run out, so a
// lying stream can neither write outside the picture nor read past `size`.
void decodeRle(const unsigned char* stream, std::size_t size, int bitsPerPixel, int width, int height,
               std::uint8_t* indices);

}  // namespace dib
}  // namespace win
}  // namespace tavel

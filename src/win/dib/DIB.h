#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

namespace tavel {
namespace win {
namespace dib {

// A plain pixel buffer: rows packed (bits per pixel / 8 x width bytes), no
// padding. The bitmap helpers use 32 bits per pixel, rows top-down, each pixel
// B, G, R and a fourth byte that is carried along. Copies are deep and always
// own their buffer; a moved-from DIB is empty.
class DIB {
public:
    DIB();
    virtual ~DIB();
    DIB(const DIB& other);
    DIB& operator=(const DIB& other);
    DIB(DIB&& other) noexcept;
    DIB& operator=(DIB&& other) noexcept;

    // Records the shape of the buffer; negative sizes count as 0.
    virtual void setSize(int width, int height, int bitsPerPixel);

    // Frees the old buffer, allocates width x (bitsPerPixel / 8) x height
    // zeroed bytes and owns them. False (and empty) when the size is absurd or
    // the allocation fails.
    bool create(int width, int height, int bitsPerPixel = 32);
    // Takes a foreign buffer of at least width x (bitsPerPixel / 8) x height
    // bytes (not this DIB's own). With `owns`, the buffer must come from
    // allocate() and is freed with the DIB; otherwise it must outlive the DIB.
    void attach(std::uint8_t* buffer, int width, int height, int bitsPerPixel, bool owns);
    // A buffer that attach(..., true) may take over.
    static std::unique_ptr<std::uint8_t[]> allocate(std::size_t bytes);
    // Frees owned memory and returns to the empty 0 x 0, 32-bit state.
    void reset();

    bool ownsBuffer() const { return owns_; }
    int width() const { return width_; }
    int height() const { return height_; }
    int bitsPerPixel() const { return bitsPerPixel_; }
    int bytesPerRow() const { return bytesPerRow_; }
    std::uint8_t* pixels() { return pixels_; }
    const std::uint8_t* pixels() const { return pixels_; }
    std::size_t byteSize() const { return static_cast<std::size_t>(bytesPerRow_) * static_cast<std::size_t>(height_); }
    // No pixels to show.
    bool empty() const { return pixels_ == nullptr || width_ == 0 || height_ == 0; }

    // 32-bit helpers. A pixel's value is B | G << 8 | R << 16 | fourth << 24,
    // so magenta is 0x00FF00FF. Outside the picture (or not 32-bit): 0 / ignored.
    bool contains(int x, int y) const;
    std::uint32_t pixel(int x, int y) const;
    void setPixel(int x, int y, std::uint32_t value);
    // Start of row y, or null outside the picture.
    std::uint8_t* row(int y);
    const std::uint8_t* row(int y) const;

private:
    void copyFrom(const DIB& other);
    void swap(DIB& other) noexcept;

    bool owns_ = false;
    int width_ = 0;
    int height_ = 0;
    int bitsPerPixel_ = 32;
    int bytesPerRow_ = 0;
    std::uint8_t* pixels_ = nullptr;
    std::size_t capacity_ = 0;  // bytes behind pixels_, so a later setSize cannot reach past them
    std::unique_ptr<std::uint8_t[]> owned_;
};

// A 32-bit pixel value from its colour bytes, fourth byte 0. Numerically this
// is 0x00RRGGBB (not a COLORREF, which is 0x00BBGGRR).
inline std::uint32_t bgr(std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
    return static_cast<std::uint32_t>(blue) | static_cast<std::uint32_t>(green) << 8 |
           static_cast<std::uint32_t>(red) << 16;
}

}  // namespace dib
}  // namespace win
}  // namespace tavel

#include "win/dib/DIB.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

namespace tavel {
namespace win {
namespace dib {
namespace {

// Row length and total bytes of a packed buffer (sizes already non-negative);
// false when either does not fit.
bool packedSize(int width, int height, int bitsPerPixel, int* bytesPerRow, std::size_t* bytes) {
    const long long row = static_cast<long long>(bitsPerPixel / 8) * width;
    *bytesPerRow = 0;
    *bytes = 0;
    if (row > INT_MAX) return false;
    *bytesPerRow = static_cast<int>(row);
    if (row > 0 && static_cast<std::size_t>(height) > SIZE_MAX / static_cast<std::size_t>(row)) return false;
    *bytes = static_cast<std::size_t>(row) * static_cast<std::size_t>(height);
    return true;
}

}  // namespace

DIB::DIB() { setSize(0, 0, 32); }

DIB::~DIB() = default;

DIB::DIB(const DIB& other) { copyFrom(other); }

DIB& DIB::operator=(const DIB& other) {
    if (this != &other) {
        DIB copy(other);
        swap(copy);
    }
    return *this;
}

DIB::DIB(DIB&& other) noexcept { swap(other); }

DIB& DIB::operator=(DIB&& other) noexcept {
    if (this != &other) {
        DIB empty;
        swap(empty);
        swap(other);
    }
    return *this;
}

void DIB::swap(DIB& other) noexcept {
    std::swap(owns_, other.owns_);
    std::swap(width_, other.width_);
    std::swap(height_, other.height_);
    std::swap(bitsPerPixel_, other.bitsPerPixel_);
    std::swap(bytesPerRow_, other.bytesPerRow_);
    std::swap(pixels_, other.pixels_);
    std::swap(capacity_, other.capacity_);
    std::swap(owned_, other.owned_);
}

void DIB::copyFrom(const DIB& other) {
    setSize(0, 0, 32);
    if (other.pixels_ == nullptr) {
        setSize(other.width_, other.height_, other.bitsPerPixel_);
        return;
    }
    std::unique_ptr<std::uint8_t[]> buffer = allocate(other.capacity_);
    if (!buffer) return;
    if (other.capacity_ > 0) std::memcpy(buffer.get(), other.pixels_, other.capacity_);
    owned_ = std::move(buffer);
    pixels_ = owned_.get();
    capacity_ = other.capacity_;
    owns_ = true;
    setSize(other.width_, other.height_, other.bitsPerPixel_);
}

void DIB::setSize(int width, int height, int bitsPerPixel) {
    width_ = width < 0 ? 0 : width;
    height_ = height < 0 ? 0 : height;
    bitsPerPixel_ = bitsPerPixel < 0 ? 0 : bitsPerPixel;
    std::size_t bytes = 0;
    packedSize(width_, height_, bitsPerPixel_, &bytesPerRow_, &bytes);
}

std::unique_ptr<std::uint8_t[]> DIB::allocate(std::size_t bytes) {
    // One byte at least, so an empty picture still has a distinct buffer.
    return std::unique_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[bytes == 0 ? 1 : bytes]());
}

bool DIB::create(int width, int height, int bitsPerPixel) {
    reset();
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    if (bitsPerPixel < 0) bitsPerPixel = 0;
    int row = 0;
    std::size_t bytes = 0;
    if (!packedSize(width, height, bitsPerPixel, &row, &bytes)) return false;
    std::unique_ptr<std::uint8_t[]> buffer = allocate(bytes);
    if (!buffer) return false;
    owned_ = std::move(buffer);
    pixels_ = owned_.get();
    capacity_ = bytes;
    owns_ = true;
    setSize(width, height, bitsPerPixel);
    return true;
}

void DIB::attach(std::uint8_t* buffer, int width, int height, int bitsPerPixel, bool owns) {
    std::unique_ptr<std::uint8_t[]> taken(owns ? buffer : nullptr);  // freed on refusal
    reset();
    if (buffer == nullptr) return;
    int row = 0;
    std::size_t bytes = 0;
    if (!packedSize(width < 0 ? 0 : width, height < 0 ? 0 : height, bitsPerPixel < 0 ? 0 : bitsPerPixel, &row, &bytes))
        return;
    pixels_ = buffer;
    capacity_ = bytes;
    owns_ = owns;
    owned_ = std::move(taken);
    setSize(width, height, bitsPerPixel);
}

void DIB::reset() {
    owned_.reset();
    pixels_ = nullptr;
    capacity_ = 0;
    owns_ = false;
    setSize(0, 0, 32);
}

bool DIB::contains(int x, int y) const {
    return x >= 0 && y >= 0 && x < width_ && y < height_ && bitsPerPixel_ == 32 && row(y) != nullptr;
}

const std::uint8_t* DIB::row(int y) const {
    if (pixels_ == nullptr || y < 0 || y >= height_) return nullptr;
    const std::size_t end = (static_cast<std::size_t>(y) + 1) * static_cast<std::size_t>(bytesPerRow_);
    if (end > capacity_) return nullptr;
    return pixels_ + static_cast<std::size_t>(y) * static_cast<std::size_t>(bytesPerRow_);
}

std::uint8_t* DIB::row(int y) { return const_cast<std::uint8_t*>(static_cast<const DIB&>(*this).row(y)); }

std::uint32_t DIB::pixel(int x, int y) const {
    if (!contains(x, y)) return 0;
    const std::uint8_t* p = row(y) + static_cast<std::size_t>(x) * 4;
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void DIB::setPixel(int x, int y, std::uint32_t value) {
    if (!contains(x, y)) return;
    std::uint8_t* p = row(y) + static_cast<std::size_t>(x) * 4;
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
    p[2] = static_cast<std::uint8_t>(value >> 16);
    p[3] = static_cast<std::uint8_t>(value >> 24);
}

}  // namespace dib
}  // namespace win
}  // namespace tavel

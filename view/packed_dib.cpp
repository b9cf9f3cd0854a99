#include "view/packed_dib.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "base/bmp_format.h"

namespace {}  // namespace

PackedDib::~PackedDib() {
    reset();
}

PackedDib::PackedDib(PackedDib&& other) noexcept
    : block_(std::exchange(other.block_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)),
      stride_(std::exchange(other.stride_, 0)) {}

PackedDib& PackedDib::operator=(PackedDib&& other) noexcept {
    if (this != &other) {
        reset();
        block_ = std::exchange(other.block_, nullptr);
        size_ = std::exchange(other.size_, 0);
        width_ = std::exchange(other.width_, 0);
        height_ = std::exchange(other.height_, 0);
        stride_ = std::exchange(other.stride_, 0);
    }
    return *this;
}

bool PackedDib::blockSizeFor(int32_t width, int32_t height, std::size_t* size) {
    *size = 0;
    if (width <= 0 || height <= 0 || width > kMaxDibSide || height > kMaxDibSide)
        return false;
    // Both sides are at most 2^15, so none of this comes near 64 bits.
    const uint64_t bytes =
        uint64_t{kDibInfoHeaderSize} + uint64_t{dibStride(width)} * uint64_t(height);
    if (bytes > kMaxDibBlockSize)
        return false;
    *size = static_cast<std::size_t>(bytes);
    return true;
}

PackedDib PackedDib::create(int32_t width, int32_t height) {
    PackedDib dib;
    std::size_t size = 0;
    if (!blockSizeFor(width, height, &size))
        return dib;
    // Zeroed, so the padding bytes at the end of each row are zero too.
    auto* block = static_cast<uint8_t*>(std::calloc(size, 1));
    if (block == nullptr)
        return dib;
    dib.block_ = block;
    dib.size_ = size;
    dib.describe(width, height);
    return dib;
}

void PackedDib::recreate(int32_t width, int32_t height) {
    std::size_t size = 0;
    if (block_ == nullptr || !blockSizeFor(width, height, &size) || size != size_) {
        reset();  // the old block goes first: two whole-screen blocks would double the peak
        *this = create(width, height);
        return;
    }
    std::memset(block_, 0, size_);
    describe(width, height);
}

void PackedDib::describe(int32_t width, int32_t height) {
    uint8_t* const block = block_;
    putLe32(block + 0, kDibInfoHeaderSize);
    putLe32(block + 4, static_cast<uint32_t>(width));
    putLe32(block + 8, static_cast<uint32_t>(height));  // positive: bottom-up
    putLe16(block + 12, 1);                             // planes
    putLe16(block + 14, 24);                            // bits per pixel
    // 16: BI_RGB, zero
    putLe32(block + 20, static_cast<uint32_t>(size_ - kDibInfoHeaderSize));
    // 24 to 39: resolutions and colour counts, zero
    width_ = width;
    height_ = height;
    stride_ = dibStride(width);
}

void PackedDib::reset() {
    std::free(block_);
    block_ = nullptr;
    size_ = 0;
    width_ = 0;
    height_ = 0;
    stride_ = 0;
}

// The picture the image pane paints: one heap block holding a 40-byte
// BITMAPINFOHEADER followed directly by 24-bit bottom-up rows padded to 4
// bytes, so the block start serves as the bitmap information and block + 40
// as the pixel bits. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint32_t kDibInfoHeaderSize = 40;

// Pictures come from files that anyone can put into a history, and a header
// may declare any size. Sides beyond kMaxDibSide pixels or blocks beyond
// kMaxDibBlockSize bytes are refused before anything is allocated. 256 MiB
// is far above any screen capture (a 7680 x 4320 picture needs 95 MiB) while
// leaving room in a 32-bit address space for libjpeg's own buffers.
constexpr int32_t kMaxDibSide = 32768;
constexpr std::size_t kMaxDibBlockSize = std::size_t{256} << 20;

class PackedDib {
  public:
    PackedDib() = default;
    ~PackedDib();
    PackedDib(PackedDib&& other) noexcept;
    PackedDib& operator=(PackedDib&& other) noexcept;
    PackedDib(const PackedDib&) = delete;
    PackedDib& operator=(const PackedDib&) = delete;

    // The block size (header and rows) of a width x height picture. False
    // when a side is not positive or the picture exceeds the limits above.
    static bool blockSizeFor(int32_t width, int32_t height, std::size_t* size);

    // A width x height picture with its header filled (biSize 40, positive
    // height, 1 plane, 24 bits, BI_RGB, biSizeImage stride * height, the
    // rest 0) and every pixel and padding byte zero. Empty when blockSizeFor
    // refuses the size or the allocation fails.
    static PackedDib create(int32_t width, int32_t height);

    // Becomes create(width, height), keeping its own block when that already
    // has the size needed: the block is then zeroed rather than taken
    // afresh, whose pages cost a whole-screen picture far more. Empty when
    // create would be.
    void recreate(int32_t width, int32_t height);

    bool empty() const { return block_ == nullptr; }
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    // Bytes per row: width * 3 rounded up to a multiple of 4.
    uint32_t stride() const { return stride_; }
    // The whole block, header first; null when empty.
    const uint8_t* data() const { return block_; }
    uint8_t* data() { return block_; }
    // The first row in memory, which is the bottom row of the picture.
    const uint8_t* bits() const { return block_ ? block_ + kDibInfoHeaderSize : nullptr; }
    uint8_t* bits() { return block_ ? block_ + kDibInfoHeaderSize : nullptr; }
    // Header and rows, in bytes; 0 when empty.
    std::size_t size() const { return size_; }

    // Frees the block; the picture becomes empty.
    void reset();

  private:
    // Fills the header of the zeroed block of size_ bytes for these sides.
    void describe(int32_t width, int32_t height);

    uint8_t* block_ = nullptr;
    std::size_t size_ = 0;
    int32_t width_ = 0;
    int32_t height_ = 0;
    uint32_t stride_ = 0;
};

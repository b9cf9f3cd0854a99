#include "base/bmp_format.h"

#include <cstring>
#include <limits>

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint64_t kMax32 = std::numeric_limits<uint32_t>::max();

}  // namespace

uint32_t dibStride(int32_t width) {
    if (width < 1)
        return 0;
    const uint64_t stride = (uint64_t{24} * static_cast<uint64_t>(width) + 31) / 32 * 4;
    return stride <= kMax32 ? static_cast<uint32_t>(stride) : 0;
}

bool dibImageSize(int32_t width, int32_t height, uint32_t* size) {
    *size = 0;
    if (width <= 0 || height <= 0)
        return false;
    const uint32_t stride = dibStride(width);
    if (stride == 0)
        return false;
    // Both factors are below 2^32, so the product cannot wrap in 64 bits.
    const uint64_t bytes = uint64_t{stride} * static_cast<uint64_t>(height);
    if (bytes > kMax32 - kBmpHeaderSize)
        return false;
    *size = static_cast<uint32_t>(bytes);
    return true;
}

void makeBmpHeaders(int32_t width, int32_t height, uint8_t (&out)[kBmpHeaderSize]) {
    std::memset(out, 0, sizeof out);
    uint32_t imageSize = 0;
    const bool sized = dibImageSize(width, height, &imageSize);

    uint8_t* file = out;
    file[0] = 'B';
    file[1] = 'M';
    putLe32(file + 2, sized ? kBmpHeaderSize + imageSize : 0);
    // 6 and 8: reserved, zero
    putLe32(file + 10, kBmpHeaderSize);

    uint8_t* info = out + kFileHeaderSize;
    putLe32(info + 0, kInfoHeaderSize);
    putLe32(info + 4, static_cast<uint32_t>(width));
    putLe32(info + 8, static_cast<uint32_t>(height));
    putLe16(info + 12, 1);
    putLe16(info + 14, 24);
    // 16: BI_RGB, zero
    putLe32(info + 20, imageSize);
    // 24 to 39: resolutions and colour counts, zero
}

// What the image fuzzers check of every picture a loader accepts: the
// painter takes the header's word for the size of the rows, and a pad byte
// left over from an old block would show as a stray pixel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "base/bmp_format.h"
#include "view/packed_dib.h"

inline void checkPicture(const PackedDib& dib) {
    if (dib.stride() != dibStride(dib.width()) ||
        dib.size() != kDibInfoHeaderSize + std::size_t{dib.stride()} * dib.height())
        std::abort();
    const std::size_t used = std::size_t(dib.width()) * 3;
    for (int32_t row = 0; row < dib.height(); ++row)
        for (std::size_t i = used; i < dib.stride(); ++i)
            if (dib.bits()[std::size_t(row) * dib.stride() + i] != 0)
                std::abort();
}

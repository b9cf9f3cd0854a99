// libFuzzer target: PNG files of any content into the image pane's picture,
// decoded into a picture of another size and into an empty one, which must
// agree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "capture/bmp_format.h"
#include "view/png_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PackedDib reused = PackedDib::create(1, 1);
    const bool decoded = decodePngBytes(data, size, reused);
    if (decoded != !reused.empty())
        std::abort();
    if (!decoded)
        return 0;
    // The painter takes the header's word for the size of the rows, and a
    // pad byte left over from the old block would show as a stray pixel.
    if (reused.stride() != dibStride(reused.width()) ||
        reused.size() != kDibInfoHeaderSize + std::size_t{reused.stride()} * reused.height())
        std::abort();
    const std::size_t used = std::size_t(reused.width()) * 3;
    for (int32_t row = 0; row < reused.height(); ++row)
        for (std::size_t i = used; i < reused.stride(); ++i)
            if (reused.bits()[std::size_t(row) * reused.stride() + i] != 0)
                std::abort();
    PackedDib fresh;
    if (!decodePngBytes(data, size, fresh) || fresh.size() != reused.size() ||
        std::memcmp(fresh.data(), reused.data(), reused.size()) != 0)
        std::abort();
    return 0;
}

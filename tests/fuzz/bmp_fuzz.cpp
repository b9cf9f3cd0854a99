// libFuzzer target: BMP files of any content into the image pane's picture.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "base/bmp_format.h"
#include "view/bmp_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PackedDib dib = PackedDib::create(1, 1);
    const BmpLoad result = loadBmpBytes(data, size, dib);
    if (result != BmpLoad::ok) {
        if (!dib.empty())
            std::abort();
        return 0;
    }
    // The painter takes the header's word for the size of the rows.
    if (dib.stride() != dibStride(dib.width()) ||
        dib.size() != kDibInfoHeaderSize + std::size_t{dib.stride()} * dib.height() ||
        dib.size() > size)
        std::abort();
    // Reading every byte lets ASan check that the block is as long as it says.
    static volatile uint8_t sink;
    for (std::size_t i = 0; i < dib.size(); ++i)
        sink = static_cast<uint8_t>(sink ^ dib.data()[i]);
    return 0;
}

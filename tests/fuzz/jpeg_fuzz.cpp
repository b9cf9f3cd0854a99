// libFuzzer target: JPEG files of any content into the image pane's picture,
// through both the memory and the stdio source, which must agree with each
// other and, pixel for pixel, with the system's libjpeg.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/fuzz/picture_check.h"
#include "tests/fuzz/reference_decoders.h"
#include "view/jpeg_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PackedDib fromMemory = PackedDib::create(1, 1);
    const bool decoded = decodeJpegBytes(data, size, fromMemory);
    if (decoded != !fromMemory.empty())
        std::abort();
    if (decoded) {
        checkPicture(fromMemory);
        reference::Picture picture;
        if (!reference::decodeJpeg(data, size, picture) ||
            !reference::samePicture(fromMemory, picture))
            std::abort();
    }

    if (size == 0)
        return 0;
    std::FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (file == nullptr)
        return 0;
    PackedDib fromStream;
    const bool streamed = decodeJpegFile(file, fromStream);
    std::fclose(file);
    if (streamed != decoded || fromStream.size() != fromMemory.size() ||
        (decoded && std::memcmp(fromStream.data(), fromMemory.data(), fromMemory.size()) != 0))
        std::abort();
    return 0;
}

// libFuzzer target: PNG files of any content into the image pane's picture,
// decoded into a picture of another size and into an empty one, which must
// agree with each other and, pixel for pixel, with the system's libpng.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "tests/fuzz/picture_check.h"
#include "tests/fuzz/reference_decoders.h"
#include "view/png_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PackedDib reused = PackedDib::create(1, 1);
    const bool decoded = decodePngBytes(data, size, reused);
    if (decoded != !reused.empty())
        std::abort();
    if (!decoded)
        return 0;
    checkPicture(reused);
    PackedDib fresh;
    if (!decodePngBytes(data, size, fresh) || fresh.size() != reused.size() ||
        std::memcmp(fresh.data(), reused.data(), reused.size()) != 0)
        std::abort();
    reference::Picture picture;
    if (!reference::decodePng(data, size, picture) || !reference::samePicture(fresh, picture))
        std::abort();
    return 0;
}

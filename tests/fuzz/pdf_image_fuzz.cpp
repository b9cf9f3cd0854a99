// libFuzzer target: files of any content as a picture of the pack's PDF.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "pack/pdf_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string out;
    const pack::PackSink sink = [&](const char* d, std::size_t n) {
        out.append(d, n);
        return true;
    };
    pack::pdf::Writer writer(sink);
    const std::size_t header = out.size();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    pack::pdf::ImageSize side;
    if (!pack::pdf::writeImage(writer, writer.reserve(), bytes, side)) {
        // Refused: nothing of it in the file, where it would break the page.
        if (out.size() != header)
            std::abort();
        return 0;
    }
    if (side.width <= 0 || side.height <= 0 || side.width > 65536 || side.height > 65536)
        std::abort();
    // One whole object, its stream closed.
    if (out.compare(header, 8, "1 0 obj\n") != 0 ||
        out.find("\nendstream\nendobj\n") == std::string::npos)
        std::abort();
    // A JPEG goes in byte for byte, as the whole stream.
    const std::size_t start = out.find(">>\nstream\n", header);
    if (start == std::string::npos)
        std::abort();
    if (out.substr(header, start - header).find("/Filter /DCTDecode") != std::string::npos &&
        out.compare(start + 10, bytes.size() + 10, bytes + "\nendstream") != 0)
        std::abort();
    return 0;
}

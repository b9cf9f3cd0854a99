// Lossless PNG compression of a captured picture through libpng.
// Platform-free.
#pragma once

#include <cstdint>
#include <vector>

// How hard the writer works. A capture must not keep the user waiting, so
// the defaults are zlib's level 2 and the Up filter on every row: as quick
// as level 1 with any one filter and the smallest of them; libpng's own
// choice per row takes twice as long, its default level five times.
// docs/performance.md has the figures.
struct PngSettings {
    int zlibLevel = 2;
    int filters = 0x20;  // libpng's PNG_FILTER_UP; a mask of PNG_FILTER_* values
};

// Writes the PNG file of a bottom-up 24-bit BGR block (rows of `stride`
// bytes, as GetDIBits returns them) into `out`, whose earlier contents are
// replaced: 8-bit RGB, not interlaced, no ancillary chunks. The block is only
// read; its pad bytes are never looked at.
// False, with `out` empty, when the picture is empty, the block too small for
// it or a side beyond PNG's 2^31 - 1, or when libpng reports an error or
// memory runs out.
bool encodePngBytes(int32_t width, int32_t height, const uint8_t* bottomUpBgr, uint32_t stride,
                    std::vector<uint8_t>& out, const PngSettings& settings = PngSettings{});

// The pictures of the workbook benchmarks: 1920 x 1080 JPEG files, each a
// little different, so that no two are alike.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/fuzz/sample_images.h"

namespace bench_pictures {

// Something like a screen: flat areas, text-like stripes and a gradient,
// shifted per picture (about half a megabyte at quality 80). `plain` drops
// the noisy blue channel: a quieter screen, a quarter of the bytes, as most
// captures of windows and dialogs are.
inline std::vector<uint8_t> screen(int seed, bool plain = false) {
    samples::Jpeg j;
    j.width = 1920;
    j.height = 1080;
    j.quality = 80;
    j.fullChroma = false;
    j.samples.resize(static_cast<std::size_t>(j.width) * j.height * 3);
    for (int y = 0; y < j.height; ++y)
        for (int x = 0; x < j.width; ++x) {
            uint8_t* p = &j.samples[(static_cast<std::size_t>(y) * j.width + x) * 3];
            const bool text = (y / 16) % 3 == 0 && ((x + seed * 7) / 5) % 4 != 0 && x % 400 < 300;
            p[0] = text ? 20 : static_cast<uint8_t>(200 + (x + seed) % 55);
            p[1] = text ? 20 : static_cast<uint8_t>(220 - y % 40);
            p[2] = text ? 60 : static_cast<uint8_t>(plain ? 230 : (x * y + seed) % 256);
            // The quieter screen repeats itself after a few dozen seeds: the
            // seed's bits as dark squares along the top keep every file
            // apart, as the clock in a title bar does.
            if (plain && y < 16 && x / 16 < 16 && (seed >> (x / 16)) & 1)
                p[0] = p[1] = p[2] = 0;
        }
    return samples::encode(j);
}

}  // namespace bench_pictures

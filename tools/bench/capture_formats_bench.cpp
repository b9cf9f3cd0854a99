// Times the three capture writers on one 1920 x 1080 screen-like picture in
// the same run: BMP (headers and a copy of the rows, as writeBmp makes its
// file), JPEG at the starter quality 85, and PNG with the writer's settings
// and the other zlib levels and filters it could have had.
// Usage: capture_formats_bench ROUNDS   (prints the table for performance.md)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <png.h>
#include <string>
#include <vector>

#include "base/bmp_format.h"
#include "capture/jpeg_encoder.h"
#include "picture/png_encoder.h"

namespace {

constexpr int32_t kWidth = 1920, kHeight = 1080;

// Something like a desktop, as a bottom-up BGR block: a title bar, a grey
// window with lines of "text" (dark runs of glyph-like widths), a toolbar of
// small icons, a photo-like gradient with noise in one corner and a flat
// task bar. Deterministic, so that every run codes the same picture.
std::vector<uint8_t> screen() {
    const uint32_t stride = dibStride(kWidth);
    std::vector<uint8_t> block(std::size_t{stride} * kHeight, 0);
    uint32_t noise = 12345;
    for (int32_t y = 0; y < kHeight; ++y) {
        uint8_t* row = block.data() + std::size_t{stride} * (kHeight - 1 - y);
        for (int32_t x = 0; x < kWidth; ++x) {
            uint8_t b = 240, g = 240, r = 240;  // window background
            if (y < 30) {
                b = 200, g = 120, r = 40;  // title bar
            } else if (y >= kHeight - 40) {
                b = 60, g = 50, r = 40;  // task bar
            } else if (y < 70) {
                const bool icon = (x % 40) > 6 && (x % 40) < 34 && y > 36 && y < 64;
                if (icon)
                    b = static_cast<uint8_t>(x * 7), g = static_cast<uint8_t>(x * 3), r = 90;
            } else if (x > 1200 && y > 600) {
                noise = noise * 1103515245 + 12345;
                const int n = static_cast<int>((noise >> 16) & 15);
                b = static_cast<uint8_t>((x - 1200) / 3 + n);
                g = static_cast<uint8_t>((y - 600) / 2 + n);
                r = static_cast<uint8_t>(128 + n * 4);
            } else {
                const int line = (y - 70) % 18, column = x % 9;
                const bool glyph = line > 3 && line < 15 && x > 40 && x < 1150 &&
                                   ((x / 9 + y / 18) % 7 != 0) &&
                                   ((column + line) % 4 == 0 || column == 1);
                if (glyph)
                    b = g = r = 20;
            }
            row[x * 3] = b, row[x * 3 + 1] = g, row[x * 3 + 2] = r;
        }
    }
    return block;
}

struct Result {
    std::string name;
    double milliseconds;
    std::size_t bytes;
};

// The median of `rounds` timings; each round starts from the pristine block,
// as each capture starts from freshly read pixels (the JPEG writer swaps
// them in place).
Result time(const std::string& name, int rounds, const std::vector<uint8_t>& pristine,
            const std::function<bool(uint8_t*, std::vector<uint8_t>&)>& write) {
    std::vector<uint8_t> block;
    std::vector<double> times;
    std::vector<uint8_t> out;
    for (int i = 0; i < rounds; ++i) {
        block = pristine;
        out.clear();
        const auto start = std::chrono::steady_clock::now();
        if (!write(block.data(), out)) {
            std::fprintf(stderr, "%s failed\n", name.c_str());
            std::exit(1);
        }
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(times.begin(), times.end());
    return {name, times[times.size() / 2], out.size()};
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 31;
    if (rounds < 1) {
        std::fprintf(stderr, "usage: capture_formats_bench ROUNDS\n");
        return 2;
    }
    const std::vector<uint8_t> pristine = screen();
    const uint32_t stride = dibStride(kWidth);
    std::vector<Result> results;
    results.push_back(time("BMP", rounds, pristine, [&](uint8_t* block, std::vector<uint8_t>& out) {
        uint32_t size = 0;
        if (!dibImageSize(kWidth, kHeight, &size))
            return false;
        out.assign(kBmpHeaderSize + size, 0);
        uint8_t headers[kBmpHeaderSize];
        makeBmpHeaders(kWidth, kHeight, headers);
        std::memcpy(out.data(), headers, kBmpHeaderSize);
        std::memcpy(out.data() + kBmpHeaderSize, block, size);
        return true;
    }));
    results.push_back(
        time("JPEG quality 85", rounds, pristine, [&](uint8_t* block, std::vector<uint8_t>& out) {
            return encodeJpegBytes(kWidth, kHeight, 85, block, stride, out);
        }));
    const struct {
        const char* name;
        PngSettings settings;
    } pngs[] = {
        {"PNG level 2, Up (the writer's)", PngSettings{}},
        {"PNG level 1, Sub", {1, PNG_FILTER_SUB}},
        {"PNG level 2, Sub", {2, PNG_FILTER_SUB}},
        {"PNG level 1, None", {1, PNG_FILTER_NONE}},
        {"PNG level 1, Up", {1, PNG_FILTER_UP}},
        {"PNG level 3, Up", {3, PNG_FILTER_UP}},
        {"PNG level 1, Paeth", {1, PNG_FILTER_PAETH}},
        {"PNG level 1, adaptive (all five)", {1, PNG_ALL_FILTERS}},
        {"PNG level 6, adaptive (libpng's default)", {6, PNG_ALL_FILTERS}},
    };
    for (const auto& p : pngs)
        results.push_back(
            time(p.name, rounds, pristine, [&](uint8_t* block, std::vector<uint8_t>& out) {
                return encodePngBytes(kWidth, kHeight, block, stride, out, p.settings);
            }));
    std::printf("| writer | ms per capture (median of %d) | file size (bytes) | vs BMP |\n",
                rounds);
    std::printf("|---|---:|---:|---:|\n");
    for (const Result& r : results)
        std::printf("| %s | %.1f | %zu | %.1f %% |\n", r.name.c_str(), r.milliseconds, r.bytes,
                    100.0 * r.bytes / results[0].bytes);
    return 0;
}

// Times the comparison of two 1920 x 1080 screen-like pictures against a
// memcmp of the same two blocks in the same run (the floor: reading both
// pictures once). Three pairs: a line of text and the clock changed (the
// usual regression check), every pixel changed, and every fourth pixel of
// every other row changed (the most regions the labelling can meet before
// they merge). For each, the comparison alone (figures and regions) and
// with the overlay picture the window shows.
// Usage: compare_bench ROUNDS   (prints the table for performance.md)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "view/picture_diff.h"

namespace {

constexpr int32_t kWidth = 1920, kHeight = 1080;

// A desktop as capture_formats_bench draws it: title and task bars, rows of
// glyph-like runs, icons, a noisy gradient.
PackedDib screen() {
    PackedDib dib = PackedDib::create(kWidth, kHeight);
    uint32_t noise = 12345;
    for (int32_t y = 0; y < kHeight; ++y) {
        uint8_t* row = dib.bits() + std::size_t{dib.stride()} * (kHeight - 1 - y);
        for (int32_t x = 0; x < kWidth; ++x) {
            uint8_t b = 240, g = 240, r = 240;
            if (y < 30) {
                b = 200, g = 120, r = 40;
            } else if (y >= kHeight - 40) {
                b = 60, g = 50, r = 40;
            } else if (y < 70) {
                if ((x % 40) > 6 && (x % 40) < 34 && y > 36 && y < 64)
                    b = static_cast<uint8_t>(x * 7), g = static_cast<uint8_t>(x * 3), r = 90;
            } else if (x > 1200 && y > 600) {
                noise = noise * 1103515245 + 12345;
                const int n = static_cast<int>((noise >> 16) & 15);
                b = static_cast<uint8_t>((x - 1200) / 3 + n);
                g = static_cast<uint8_t>((y - 600) / 2 + n);
                r = static_cast<uint8_t>(128 + n * 4);
            } else {
                const int line = (y - 70) % 18, column = x % 9;
                if (line > 3 && line < 15 && x > 40 && x < 1150 && ((x / 9 + y / 18) % 7 != 0) &&
                    ((column + line) % 4 == 0 || column == 1))
                    b = g = r = 20;
            }
            row[x * 3] = b, row[x * 3 + 1] = g, row[x * 3 + 2] = r;
        }
    }
    return dib;
}

PackedDib copyOf(const PackedDib& dib) {
    PackedDib out = PackedDib::create(dib.width(), dib.height());
    std::memcpy(out.data(), dib.data(), dib.size());
    return out;
}

uint8_t* at(PackedDib& dib, int32_t x, int32_t y) {
    return dib.bits() + std::size_t{dib.stride()} * (dib.height() - 1 - y) + std::size_t(x) * 3;
}

double median(int rounds, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

volatile int sink;

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 31;
    if (rounds < 1) {
        std::fprintf(stderr, "usage: compare_bench ROUNDS\n");
        return 2;
    }
    const PackedDib first = screen();
    PackedDib text = copyOf(first), all = copyOf(first), sparse = copyOf(first);
    // A line of text rewritten and the clock in the title bar.
    for (int32_t y = 300; y < 318; ++y)
        for (int32_t x = 40; x < 700; ++x)
            at(text, x, y)[0] ^= ((x / 3 + y) % 5 == 0) ? 0xFF : 0;
    for (int32_t y = 8; y < 22; ++y)
        for (int32_t x = 1840; x < 1900; ++x)
            at(text, x, y)[1] ^= 0x80;
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x)
            at(all, x, y)[2] ^= 0x80;
    for (int32_t y = 0; y < kHeight; y += 2)
        for (int32_t x = 0; x < kWidth; x += 4)
            at(sparse, x, y)[0] ^= 0x80;
    const PackedDib same = copyOf(first);
    const picture_diff::Options options{};
    const double floor = median(rounds, [&] {
        sink = std::memcmp(first.bits(), same.bits(), first.size() - kDibInfoHeaderSize);
    });
    std::printf(
        "| pair | regions | compare, ms (median of %d) | with the overlay, ms | vs memcmp |\n",
        rounds);
    std::printf("|---|---:|---:|---:|---:|\n");
    std::printf("| memcmp of the two blocks | - | %.2f | - | 1.0 x |\n", floor);
    const struct {
        const char* name;
        const PackedDib* second;
    } pairs[] = {
        {"identical", &same},
        {"a line of text and the clock", &text},
        {"every pixel", &all},
        {"every 4th pixel of every other row", &sparse},
    };
    for (const auto& pair : pairs) {
        const picture_diff::Picture a = picture_diff::of(first), b = picture_diff::of(*pair.second);
        std::size_t regions = 0;
        const double alone =
            median(rounds, [&] { regions = picture_diff::compare(a, b, options).regions.size(); });
        PackedDib o;  // kept from one comparison to the next, as the window keeps it
        const double both = median(rounds, [&] {
            const picture_diff::Result r = picture_diff::compare(a, b, options);
            picture_diff::overlay(a, b, options, o);
            sink = static_cast<int>(r.changed) + (o.empty() ? 0 : o.bits()[0]);
        });
        std::printf("| %s | %zu | %.2f | %.2f | %.1f x |\n", pair.name, regions, alone, both,
                    both / floor);
    }
    return 0;
}

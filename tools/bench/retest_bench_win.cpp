// Times what a re-test adds to a capture of a 1920 x 1080 step: the
// comparison worker's whole job (both BMP files decoded, both ".ocr" files
// read, the pictures compared with the default tolerance, the text lines
// compared), against reading the two files' bytes alone in the same run
// (the floor no comparison gets under). The OCR reading itself is not in
// it: it runs on its own worker whether or not a baseline is chosen.
// Usage: retest_bench ROUNDS FOLDER   (prints the table for performance.md)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/retest_road_win.h"
#include "base/bmp_format.h"
#include "base/file_io_win.h"
#include "ocr/ocr_file.h"
#include "view/packed_dib.h"

namespace {

constexpr int32_t kWidth = 1920, kHeight = 1080;

// A form of 40 labelled lines on a light background, a title bar on top;
// `amount` is drawn into line 12 as its bars.
PackedDib FormScreen(int amount) {
    PackedDib dib = PackedDib::create(kWidth, kHeight);
    for (int32_t y = 0; y < kHeight; ++y) {
        uint8_t* row = dib.bits() + std::size_t{dib.stride()} * (kHeight - 1 - y);
        for (int32_t x = 0; x < kWidth; ++x) {
            const int line = (y - 60) / 24, inLine = (y - 60) % 24;
            uint8_t v = y < 32 ? 90 : 236;
            if (y >= 60 && line < 40 && inLine > 5 && inLine < 19 && x > 80 && x < 900 &&
                (x / 11 + line) % 5 != 0 && x % 11 < 7)
                v = 30;
            if (line == 12 && inLine > 5 && inLine < 19 && x > 920 && x < 920 + amount)
                v = 30;
            std::fill(row + x * 3, row + x * 3 + 3, v);
        }
    }
    return dib;
}

bool WriteBmp(const std::string& path, const PackedDib& dib) {
    uint8_t headers[kBmpHeaderSize];
    makeBmpHeaders(dib.width(), dib.height(), headers);
    std::string bytes(reinterpret_cast<const char*>(headers), kBmpHeaderSize);
    bytes.append(reinterpret_cast<const char*>(dib.bits()), dib.size() - kDibInfoHeaderSize);
    DWORD error = 0;
    return win::ReplaceContents(path.c_str(), "zbn", bytes, &error) == win::ReplaceStep::done;
}

bool WriteText(const std::string& picture, const std::string& amount) {
    OcrResult read;
    for (int line = 0; line < 40; ++line)
        read.lines.push_back({80, 60 + line * 24, 900, 84 + line * 24,
                              line == 12 ? "金額: " + amount : "項目 " + std::to_string(line) + ": 値"});
    DWORD error = 0;
    return win::ReplaceContents(ocrfile::sidecarPath(picture).c_str(), "zbn", ocrfile::write(read),
                                &error) == win::ReplaceStep::done;
}

double Median(int rounds, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

volatile std::size_t sink;

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 2 ? std::atoi(argv[1]) : 0;
    if (rounds < 1) {
        std::fprintf(stderr, "usage: retest_bench ROUNDS FOLDER\n");
        return 2;
    }
    const std::string folder = argv[2];
    const std::string before = folder + "\\baseline.bmp", same = folder + "\\same.bmp",
                      after = folder + "\\changed.bmp";
    if (!WriteBmp(before, FormScreen(200)) || !WriteBmp(same, FormScreen(200)) ||
        !WriteBmp(after, FormScreen(220)) || !WriteText(before, "1,000") ||
        !WriteText(same, "1,000") || !WriteText(after, "1,100")) {
        std::fprintf(stderr, "cannot write the pictures into %s\n", folder.c_str());
        return 1;
    }
    const double floor = Median(rounds, [&] {
        std::string a, b;
        win::ReadWholeFile(before.c_str(), a, int64_t{64} << 20);
        win::ReadWholeFile(after.c_str(), b, int64_t{64} << 20);
        sink = a.size() + b.size();
    });
    std::printf("| step, 1920 x 1080 BMP | proposal | ms (median of %d) | vs reading the files |\n",
                rounds);
    std::printf("|---|---|---:|---:|\n");
    std::printf("| the two files read, nothing compared | - | %.1f | 1.0 x |\n", floor);
    const CompareOptions options;
    for (const auto& [name, current] : {std::pair<const char*, std::string>{"as it was", same},
                                        {"another amount", after}}) {
        retest::Proposal p;
        const double ms = Median(rounds, [&] { p = retest_road::CompareFiles(current, before, options); });
        std::printf("| %s | %s | %.1f | %.1f x |\n", name, retest::comparisonText(p.comparison), ms,
                    ms / floor);
    }
    return 0;
}

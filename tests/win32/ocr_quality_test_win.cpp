// The text reader on a few pictures of the quality set (menus, a dialog, a
// form and a table drawn with the Japanese UI fonts this Wine has): the
// personal data planted in them is found in what the engine read, and the
// character accuracy stays above a floor the set clears with margin
// (docs/performance.md gives the whole set's figures).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "ocr/ocr_engine_win.h"
#include "ocr/ocr_quality.h"
#include "tools/bench/ocr_pages_win.h"

namespace {

struct Sample {
    int page;
    double floor;  // the accuracy the page must keep, both scripts together
    int found;     // of its planted items, at least this many must be found
};

// Mostly 14-pixel text, where the reader does best (docs/performance.md
// gives the whole set): a Japanese dialog, an English form, a Japanese
// table and an English menu; then a table at 9 pixels, a dialog and a form
// at 12 and a menu at 13. The floors are five points under what the reader
// gave when they were set, the counts what it found then.
const Sample kSamples[] = {
    {21, 0.88, 3},
    {22, 0.94, 5},
    {23, 0.91, 9},
    {20, 0.90, 1},
    {3, 0.88, 6},
    {13, 0.87, 2},
    {14, 0.93, 4},
    {16, 0.83, 1},
};
const double kAllFloor = 0.91;

TEST(OcrQuality, PlantedDataIsFoundAndTheTextReadWell) {
    ocr::OcrEngine engine(ocr::TessdataBesideProgram());
    ocr_quality::Score all;
    for (const Sample& sample : kSamples) {
        const auto page = ocr_pages::DrawPage(sample.page);
        const ocr::OcrOutcome outcome = engine.recognise(page->pixels());
        ASSERT_EQ(outcome.status, ocr::OcrStatus::Ok) << outcome.message;
        const ocr_quality::Score score = ocr_quality::score(page->truth, outcome.result);
        all += score;
        int found = 0;
        std::string missed;
        for (const ocr_pages::Planted& planted : page->planted) {
            if (ocr_quality::found(outcome.result, planted.kind, planted.value))
                ++found;
            else
                missed += std::string(" ") + personal_data::kindName(planted.kind) + " " + planted.value;
        }
        std::printf("page %d, %s: %.1f %%, %d of %zu found\n", sample.page, page->name.c_str(),
                    100 * score.accuracy(), found, page->planted.size());
        EXPECT_GE(score.accuracy(), sample.floor) << page->name;
        EXPECT_GE(found, sample.found) << page->name << ", not found:" << missed;
    }
    std::printf("all: %.1f %%\n", 100 * all.accuracy());
    EXPECT_GE(all.accuracy(), kAllFloor);
}

}  // namespace

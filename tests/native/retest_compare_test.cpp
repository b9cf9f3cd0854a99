// One record against the baseline's capture of its step: pictures within
// the tolerance and the ignored band, sizes that differ, a baseline picture
// that is missing, and the text lines of both readings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "retest/step_compare.h"

namespace {

using retest::Comparison;

// A grey w x h picture with the pixel (x, y) from the top set to `value`
// when x >= 0.
PackedDib Grey(int w, int h, int x = -1, int y = 0, uint8_t value = 128) {
    PackedDib dib = PackedDib::create(w, h);
    for (int row = 0; row < h; ++row)
        for (int col = 0; col < w * 3; ++col)
            dib.bits()[row * dib.stride() + col] = 128;
    if (x >= 0)
        dib.bits()[(h - 1 - y) * dib.stride() + x * 3 + 1] = value;
    return dib;
}

OcrResult Read(std::vector<std::pair<int, std::string>> lines) {
    OcrResult r;
    for (auto& [top, text] : lines)
        r.lines.push_back({0, top, 40, top + 10, text});
    return r;
}

TEST(RetestCompare, OneRecordAgainstItsBaselineStep) {
    const PackedDib base = Grey(40, 30);
    const PackedDib same = Grey(40, 30);
    const PackedDib near = Grey(40, 30, 5, 20, 128 + 8);   // within the tolerance of 8
    const PackedDib far = Grey(40, 30, 5, 20, 128 + 9);    // beyond it
    const PackedDib top = Grey(40, 30, 5, 2, 0);           // in a band of 10 rows
    const PackedDib wider = Grey(50, 30);
    const PackedDib empty;
    const OcrResult before = Read({{0, "12:00"}, {12, "金額: 1,000"}, {20, "送料: 0"}});
    const OcrResult after = Read({{0, "12:05"}, {12, "金額: 1,100"}, {20, "送料: 0"}});
    CompareOptions plain;
    CompareOptions band;
    band.ignoreTop = true;
    band.bandHeight = 10;
    struct Case {
        const char* name;
        const PackedDib* baseline;
        const PackedDib* current;
        const OcrResult *baseText, *currentText;
        CompareOptions options;
        Comparison comparison;
        const char* line;
    } const cases[] = {
        {"the same picture", &base, &same, nullptr, nullptr, plain, Comparison::match, "一致"},
        {"within the tolerance", &base, &near, nullptr, nullptr, plain, Comparison::match, "一致"},
        {"beyond the tolerance", &base, &far, nullptr, nullptr, plain, Comparison::differs,
         "差分あり 変化 0.1 %"},
        {"a change in the band left out", &base, &top, nullptr, nullptr, band, Comparison::match, "一致"},
        {"the same change compared", &base, &top, nullptr, nullptr, plain, Comparison::differs,
         "差分あり 変化 0.1 %"},
        {"sizes differ", &base, &wider, nullptr, nullptr, plain, Comparison::match,
         "一致（画像の大きさが違うため共通の範囲を比較）"},
        {"no baseline picture", &empty, &same, &before, &after, plain, Comparison::noBaseline,
         "基準なし（基準の画像がありません）"},
        {"the text changed, the clock in the band left out", &base, &same, &before, &after, band,
         Comparison::differs, "差分あり 金額: 1,000 → 1,100"},
        {"the clock compared too", &base, &same, &before, &after, plain, Comparison::differs,
         "差分あり 12:00 → 12:05 金額: 1,000 → 1,100"},
        {"one picture not read: no text compared", &base, &same, &before, nullptr, plain,
         Comparison::match, "一致"},
        {"no current picture", &base, &empty, nullptr, nullptr, plain, Comparison::differs,
         "差分あり 変化 100.0 %"},
    };
    for (const Case& c : cases) {
        const retest::Proposal p =
            retest::compareStep({c.baseline, c.current, c.baseText, c.currentText}, c.options);
        EXPECT_EQ(p.comparison, c.comparison) << c.name;
        EXPECT_EQ(retest::proposalText(p), c.line) << c.name;
    }
}

TEST(RetestCompare, ABaselineIsSoundOnlyWithItsPicturesAsTheManifestHasThem) {
    const VerifiedFile good{1, FileRole::picture, "a.bmp", FileState::match, false};
    struct Case {
        const char* name;
        std::vector<VerifiedFile> files;
        std::vector<ManifestNote> notes;
        int chainBrokenAt;
        bool sound;
    } const cases[] = {
        {"all as listed", {good}, {}, 0, true},
        {"a picture changed", {good, {2, FileRole::picture, "b.bmp", FileState::changed, false}}, {}, 0, false},
        {"a picture moved away", {{1, FileRole::picture, "a.bmp", FileState::missing, false}}, {}, 0, false},
        {"a picture never listed", {{1, FileRole::picture, "a.bmp", FileState::unlisted, false}}, {}, 0, false},
        {"an annotated copy made later", {good, {1, FileRole::other, "a_注釈.png", FileState::unlisted, false}},
         {}, 0, true},
        {"a manifest line damaged", {good}, {{3, ManifestIssue::damaged, PlaceCheck::ok, ""}}, 0, false},
        {"the log's chain broken", {good}, {}, 4, false},
    };
    for (const Case& c : cases) {
        VerifyResult r;
        r.hasManifest = true;
        r.files = c.files;
        r.manifestNotes = c.notes;
        r.chainBrokenAt = c.chainBrokenAt;
        EXPECT_EQ(retest::baselineSound(r), c.sound) << c.name;
    }
}

}  // namespace

// One record compared with the baseline's capture of the same step: the
// pictures by view/picture_diff with the comparison window's tolerance and
// ignored top band, the text lines read from each picture where both were
// read. Platform-free; the shell decodes the pictures and reads the ".ocr"
// files (retest/retest_road_win).
#pragma once

#include <string>
#include <vector>

#include "history/evidence_verify.h"
#include "ocr/ocr_text.h"
#include "retest/retest_steps.h"
#include "view/compare_options.h"
#include "view/packed_dib.h"

namespace retest {

// The lines of a reading, top to bottom, without those lying wholly within
// the top `ignoreTop` rows (the clock of a title bar the pictures leave out
// too).
std::vector<std::string> textLines(const OcrResult& read, int ignoreTop);

struct StepInput {
    const PackedDib* baseline = nullptr;  // nullptr or empty: the baseline's picture is missing
    const PackedDib* current = nullptr;
    const OcrResult* baselineText = nullptr;  // nullptr: that picture was not read
    const OcrResult* currentText = nullptr;
};

// The proposal for the record: 基準なし when the baseline's picture is
// missing, 一致 when neither the common area of the pictures nor the text
// changed beyond the options, else 差分あり. A current picture that is
// missing is compared as an empty one: everything changed.
Proposal compareStep(const StepInput& input, const CompareOptions& options);

// Whether an earlier history's evidence check lets it be a baseline: every
// picture and description file as its manifest has it, no manifest line
// damaged or refused, the log's chain intact. Files the manifest never
// listed (an annotated copy made later) and an order that differs from the
// log's do not alter the pictures compared.
bool baselineSound(const VerifyResult& found);

}  // namespace retest

// A test run again against the last cycle's: which of the baseline's steps
// each new record repeats (the same test ID and step), which baseline steps
// were not run this time, and what changed between the two captures of a
// step, as a proposal the tester accepts or overrides. Platform-free; the
// pictures are compared by view/picture_diff, their texts come from OCR.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace retest {

enum class Comparison {
    none,        // the record has no test ID and step: not part of the comparison
    match,       // 一致: nothing changed beyond the tolerance
    differs,     // 差分あり
    noBaseline,  // 基準なし: the baseline has no such step, or its picture is missing
    notRun,      // 未実施: a baseline step with no capture this cycle
};

// "一致", "差分あり", "基準なし", "未実施" (CP932); "" for none.
const char* comparisonText(Comparison comparison);

struct StepKey {
    std::string testId, step;  // CP932, as the records' cases hold them
};

struct Pairing {
    std::vector<int> baselineOf;  // for each new record, the baseline record it repeats, or -1
    std::vector<int> notRun;      // baseline records whose step has no new record, in their order
};

// Steps are the same when their test IDs and steps are, blanks at either end
// aside; a key without a test ID pairs with nothing. Of two baseline records
// of one step the first is the step's.
Pairing pairSteps(const std::vector<StepKey>& baseline, const std::vector<StepKey>& current);

// The text lines that changed from `before` to `after`, as a reviewer reads
// them: "金額: 1,000 → 1,100" where a line kept its label, else the whole
// lines; a line gone "… → (なし)", a new one "(なし) → …". At most
// `maxLines`, the last one saying how many more there are.
std::vector<std::string> textChanges(const std::vector<std::string>& before,
                                     const std::vector<std::string>& after, std::size_t maxLines = 20);

struct PictureChange {
    bool baselinePicture = true;  // false: the baseline step's picture is missing
    uint64_t changed = 0, compared = 0;
    bool sizesDiffer = false;
};

struct Proposal {
    Comparison comparison = Comparison::none;
    PictureChange picture;
    std::vector<std::string> textChanges;
};

// The proposal for a record that repeats a baseline step.
Proposal propose(const PictureChange& picture, std::vector<std::string> changedText);

// One line for the list, the JSON and the sheet: "一致", "差分あり 変化 2.4 %
// 金額: 1,000 → 1,100", "基準なし（基準の画像がありません）"; the pictures'
// sizes are said to differ when they do.
std::string proposalText(const Proposal& proposal);

}  // namespace retest

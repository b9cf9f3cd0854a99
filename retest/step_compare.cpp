#include "retest/step_compare.h"

#include <utility>

#include "view/picture_diff.h"

namespace retest {

std::vector<std::string> textLines(const OcrResult& read, int ignoreTop) {
    std::vector<std::string> lines;
    for (const OcrLine& line : read.lines)
        if (line.bottom > ignoreTop)
            lines.push_back(line.text);
    return lines;
}

Proposal compareStep(const StepInput& input, const CompareOptions& options) {
    PictureChange change;
    if (input.baseline == nullptr || input.baseline->empty()) {
        change.baselinePicture = false;
        return propose(change, {});
    }
    const int32_t band = options.ignoreTop ? options.bandHeight : 0;
    const picture_diff::Picture before = picture_diff::of(*input.baseline);
    if (input.current == nullptr || input.current->empty()) {
        change.compared = static_cast<uint64_t>(before.width) * static_cast<uint64_t>(before.height);
        change.changed = change.compared;
        return propose(change, {});
    }
    const picture_diff::Result diff = picture_diff::compare(
        before, picture_diff::of(*input.current), picture_diff::Options{options.tolerance, band});
    change.changed = diff.changed;
    change.compared = diff.compared;
    change.sizesDiffer = diff.sizesDiffer;
    std::vector<std::string> text;
    if (input.baselineText != nullptr && input.currentText != nullptr)
        text = textChanges(textLines(*input.baselineText, band), textLines(*input.currentText, band));
    return propose(change, std::move(text));
}

bool baselineSound(const VerifyResult& found) {
    for (const VerifiedFile& f : found.files) {
        const bool own = f.role == FileRole::picture || f.role == FileRole::description;
        if (f.state == FileState::match || (!own && f.state == FileState::unlisted))
            continue;
        return false;
    }
    for (const ManifestNote& note : found.manifestNotes)
        if (note.issue != ManifestIssue::notInHistory)
            return false;
    return found.chainBrokenAt == 0 && found.logDamagedLines.empty();
}

}  // namespace retest

// The masks proposed over the personal data read in a picture: one true-black
// mask per hit of personal_data::find, over the hit's ink in the line
// (mask_fit), padded a little so that the glyphs' edges are covered too, and
// how the proposals' list names each. Platform-free; the list and the editor
// are view/mask_proposals_win.*.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ocr/ocr_text.h"
#include "ocr/personal_data.h"
#include "picture/annotation.h"
#include "view/mask_fit.h"

namespace mask_proposals {

// Picture pixels added on each side of a hit's box.
constexpr int32_t kPadding = 2;
// The bytes of a hit's text the list shows at the most.
constexpr std::size_t kShownBytes = 24;

struct Proposal {
    personal_data::Kind kind;
    std::string text;         // the hit's text (CP932), cut short for the list
    annotation::Object mask;  // a mask, black
};

// One proposal per hit of every line, in the lines' order, on a picture of
// width x height whose lines show `ink` (mask_fit::inkOfLines; a line
// without is taken as showing none, and its hits keep personal_data's
// estimate); a hit whose box lies off the picture gives none, and two hits
// with the same box give one (the first).
std::vector<Proposal> propose(const OcrResult& result, const std::vector<mask_fit::LineInk>& ink,
                              const std::vector<std::string>& patterns, int32_t width,
                              int32_t height);

// The topmost object equal to `mask`, -1 when the document holds none: a
// proposal is accepted while its mask is among the objects.
int findMask(const std::vector<annotation::Object>& objects, const annotation::Object& mask);

// The patterns' dialog shows one pattern a line. Lines of blanks alone are
// passed over.
std::vector<std::string> patternsOfText(const std::string& text);
std::string textOfPatterns(const std::vector<std::string>& patterns);
// Empty when every pattern can be used and there are not too many; else the
// message (CP932) naming the first pattern refused and why.
std::string refusal(const std::vector<std::string>& patterns);

}  // namespace mask_proposals

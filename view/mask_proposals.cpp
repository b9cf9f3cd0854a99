#include "view/mask_proposals.h"

#include <algorithm>

#include "base/cp932.h"
#include "settings/ocr_settings.h"

namespace mask_proposals {

namespace {

std::string shortened(const std::string& text) {
    if (text.size() <= kShownBytes)
        return text;
    const std::size_t cut = cp932::cutLength(text.data(), text.size(), kShownBytes - 3);
    return text.substr(0, cut) + "...";
}

}  // namespace

std::vector<Proposal> propose(const OcrResult& result, const std::vector<mask_fit::LineInk>& ink,
                              const std::vector<std::string>& patterns, int32_t width,
                              int32_t height) {
    std::vector<Proposal> proposals;
    const mask_fit::LineInk none;
    for (std::size_t i = 0; i < result.lines.size(); ++i) {
        const OcrLine& line = result.lines[i];
        for (const personal_data::Hit& hit : personal_data::find(line, patterns)) {
            const mask_fit::Columns columns = mask_fit::fit(
                line, i < ink.size() ? ink[i] : none, hit.begin, hit.end, {hit.left, hit.right});
            // The hit's box is right and bottom exclusive; a mask's corners
            // are both included.
            const int32_t left = std::max(0, columns.left - kPadding);
            const int32_t top = std::max(0, hit.top - kPadding);
            const int32_t right = std::min(width - 1, columns.right - 1 + kPadding);
            const int32_t bottom = std::min(height - 1, hit.bottom - 1 + kPadding);
            if (right < left || bottom < top)
                continue;
            Proposal p;
            p.kind = hit.kind;
            p.text = shortened(line.text.substr(hit.begin, hit.end - hit.begin));
            p.mask.kind = annotation::Kind::mask;
            p.mask.colour = annotation::kBlack;
            p.mask.width = 0;
            p.mask.a = {left, top};
            p.mask.b = {right, bottom};
            const bool seen = std::any_of(proposals.begin(), proposals.end(),
                                          [&](const Proposal& q) { return q.mask == p.mask; });
            if (!seen)
                proposals.push_back(std::move(p));
        }
    }
    return proposals;
}

int findMask(const std::vector<annotation::Object>& objects, const annotation::Object& mask) {
    for (std::size_t i = objects.size(); i-- > 0;)
        if (objects[i] == mask)
            return static_cast<int>(i);
    return -1;
}

std::vector<std::string> patternsOfText(const std::string& text) {
    std::vector<std::string> patterns;
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t end = text.find('\n', from);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(from, end - from);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.find_first_not_of(" \t") != std::string::npos)
            patterns.push_back(std::move(line));
        from = end + 1;
    }
    return patterns;
}

std::string textOfPatterns(const std::vector<std::string>& patterns) {
    std::string text;
    for (const std::string& p : patterns) {
        if (!text.empty())
            text += "\r\n";
        text += p;
    }
    return text;
}

std::string refusal(const std::vector<std::string>& patterns) {
    if (patterns.size() > ocr_settings::kMaxPatterns)
        return "パターンは " + std::to_string(ocr_settings::kMaxPatterns) + " 個までです。";
    for (const std::string& p : patterns) {
        const char* why = nullptr;
        if (!personal_data::validPattern(p, why))
            return "パターン「" + p + "」は使えません: " + (why ? why : "") + "。";
    }
    return {};
}

}  // namespace mask_proposals

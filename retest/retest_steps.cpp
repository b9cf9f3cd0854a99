#include "retest/retest_steps.h"

#include <algorithm>
#include <map>
#include <utility>

#include "base/cp932.h"
#include "view/picture_diff.h"

namespace retest {

namespace {

std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::pair<std::string, std::string> Key(const StepKey& k) { return {Trim(k.testId), Trim(k.step)}; }

// Where the label two lines share ends: after the last ':', '：' or blank
// within their common start, so that "金額: 1,000" and "金額: 1,100" keep
// "金額: " and not "金額: 1,".
// A start of figures alone ("1, " of "1, 000" and "1, 100") is no label.
std::size_t LabelLength(const std::string& a, const std::string& b) {
    std::size_t label = 0;
    bool words = false;
    for (std::size_t i = 0; i < a.size() && i < b.size();) {
        const std::size_t n = cp932::charLength(a.data(), a.size(), i);
        if (n != cp932::charLength(b.data(), b.size(), i) || a.compare(i, n, b, i, n) != 0)
            break;
        const std::string c = a.substr(i, n);
        i += n;
        if (c == ":" || c == "：" || c == " " || c == "　") {
            if (words)
                label = i;
        } else if (n > 1 || std::string("0123456789,.-+").find(c[0]) == std::string::npos) {
            words = true;
        }
    }
    return label;
}

// What two readings of one line are compared by: the text without its
// blanks, which a reading puts in or leaves out between the same letters
// ("1, 000" and "1,000" of one screen).
std::string Unblanked(const std::string& line) {
    std::string out;
    for (std::size_t i = 0; i < line.size();) {
        const std::size_t n = cp932::charLength(line.data(), line.size(), i);
        const std::string c = line.substr(i, n);
        if (c != " " && c != "\t" && c != "　")
            out += c;
        i += n;
    }
    return out;
}

std::string ChangedLine(const std::string& before, const std::string& after) {
    if (before.empty())
        return "(なし) → " + after;
    if (after.empty())
        return before + " → (なし)";
    const std::size_t label = LabelLength(before, after);
    if (label > 0 && label < before.size() && label < after.size())
        return before + " → " + after.substr(label);
    return before + " → " + after;
}

// The longest common run of lines, as pairs of indices in order; lines are
// compared by their Unblanked keys.
std::vector<std::pair<std::size_t, std::size_t>> CommonLines(const std::vector<std::string>& a,
                                                             const std::vector<std::string>& b) {
    const std::size_t n = a.size(), m = b.size();
    std::vector<std::vector<uint16_t>> len(n + 1, std::vector<uint16_t>(m + 1, 0));
    for (std::size_t i = n; i-- > 0;)
        for (std::size_t j = m; j-- > 0;)
            len[i][j] = a[i] == b[j] ? static_cast<uint16_t>(len[i + 1][j + 1] + 1)
                                     : std::max(len[i + 1][j], len[i][j + 1]);
    std::vector<std::pair<std::size_t, std::size_t>> out;
    for (std::size_t i = 0, j = 0; i < n && j < m;) {
        if (a[i] == b[j]) {
            out.emplace_back(i++, j++);
        } else if (len[i + 1][j] >= len[i][j + 1]) {
            ++i;
        } else {
            ++j;
        }
    }
    return out;
}

}  // namespace

const char* comparisonText(Comparison comparison) {
    switch (comparison) {
        case Comparison::match: return "一致";
        case Comparison::differs: return "差分あり";
        case Comparison::noBaseline: return "基準なし";
        case Comparison::notRun: return "未実施";
        case Comparison::none: break;
    }
    return "";
}

Pairing pairSteps(const std::vector<StepKey>& baseline, const std::vector<StepKey>& current) {
    std::map<std::pair<std::string, std::string>, int> steps;
    for (std::size_t i = 0; i < baseline.size(); ++i) {
        const auto key = Key(baseline[i]);
        if (!key.first.empty())
            steps.emplace(key, static_cast<int>(i));
    }
    Pairing out;
    std::vector<bool> run(baseline.size(), false);
    for (const StepKey& k : current) {
        const auto key = Key(k);
        const auto found = key.first.empty() ? steps.end() : steps.find(key);
        out.baselineOf.push_back(found == steps.end() ? -1 : found->second);
        if (found != steps.end())
            run[static_cast<std::size_t>(found->second)] = true;
    }
    for (const auto& step : steps)
        if (!run[static_cast<std::size_t>(step.second)])
            out.notRun.push_back(step.second);
    std::sort(out.notRun.begin(), out.notRun.end());
    return out;
}

std::vector<std::string> textChanges(const std::vector<std::string>& before,
                                     const std::vector<std::string>& after, std::size_t maxLines) {
    std::vector<std::string> a, b;
    for (const std::string& line : before)
        if (!Trim(line).empty())
            a.push_back(Trim(line));
    for (const std::string& line : after)
        if (!Trim(line).empty())
            b.push_back(Trim(line));
    std::vector<std::string> aKeys, bKeys;
    // Screens hold a few hundred lines at most; more is not a screen's text.
    constexpr std::size_t kMaxLines = 1000;
    a.resize(std::min(a.size(), kMaxLines));
    b.resize(std::min(b.size(), kMaxLines));
    for (const std::string& line : a)
        aKeys.push_back(Unblanked(line));
    for (const std::string& line : b)
        bKeys.push_back(Unblanked(line));
    std::vector<std::string> changes;
    auto block = [&](std::size_t i0, std::size_t i1, std::size_t j0, std::size_t j1) {
        // Lines replaced in one place pair up in order; the rest are gone or new.
        for (std::size_t k = 0; k < std::max(i1 - i0, j1 - j0); ++k)
            changes.push_back(ChangedLine(i0 + k < i1 ? a[i0 + k] : std::string(),
                                          j0 + k < j1 ? b[j0 + k] : std::string()));
    };
    std::size_t i = 0, j = 0;
    for (const auto& [ci, cj] : CommonLines(aKeys, bKeys)) {
        block(i, ci, j, cj);
        i = ci + 1;
        j = cj + 1;
    }
    block(i, a.size(), j, b.size());
    if (maxLines > 0 && changes.size() > maxLines) {
        const std::size_t more = changes.size() - (maxLines - 1);
        changes.resize(maxLines - 1);
        changes.push_back("ほか " + std::to_string(more) + " 行");
    }
    return changes;
}

Proposal propose(const PictureChange& picture, std::vector<std::string> changedText) {
    Proposal p;
    p.picture = picture;
    p.textChanges = std::move(changedText);
    if (!picture.baselinePicture)
        p.comparison = Comparison::noBaseline;
    else if (picture.changed > 0 || !p.textChanges.empty())
        p.comparison = Comparison::differs;
    else
        p.comparison = Comparison::match;
    return p;
}

std::string proposalText(const Proposal& p) {
    std::string text = comparisonText(p.comparison);
    if (p.comparison == Comparison::noBaseline && !p.picture.baselinePicture)
        return text + "（基準の画像がありません）";
    if (p.comparison == Comparison::differs && p.picture.changed > 0)
        text += " " + picture_diff::changeFigure(p.picture.changed, p.picture.compared);
    for (const std::string& line : p.textChanges)
        text += " " + line;
    if (p.picture.sizesDiffer && (p.comparison == Comparison::match || p.comparison == Comparison::differs))
        text += "（画像の大きさが違うため共通の範囲を比較）";
    return text;
}

}  // namespace retest

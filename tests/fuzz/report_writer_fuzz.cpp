// The HTML report for any record texts, options and description file. Every
// '<' in the output opens a tag the writer itself writes; every src and href
// value is relative and well formed; every contents link finds its anchor;
// no lead byte is left without its trail byte; and the copies and the
// re-test's diff pictures go into the output folder under names of their
// own, none over a file the folder already holds.
//
// Input: four bytes of options, a history file, then optionally a NUL and the
// bytes every description file read holds. Flag 64 re-tests the records
// against a baseline, the description's bytes as every text of it.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <string_view>
#include <unordered_set>

#include "base/cp932.h"
#include "history/history_csv.h"
#include "report/report_cases.h"
#include "report/report_writer.h"
#include "report/workbook_text.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/sample_images.h"

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isHex(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// A relative URL of one path segment: characters that end no attribute,
// start no scheme, path or query, and escapes of two hex digits.
bool isRelativeUrl(std::string_view url) {
    for (std::size_t i = 0; i < url.size();) {
        const std::size_t n = cp932::charLength(url.data(), url.size(), i);
        const unsigned char c = static_cast<unsigned char>(url[i]);
        if (n == 1 && c == '%') {
            if (i + 2 >= url.size() || !isHex(url[i + 1]) || !isHex(url[i + 2]))
                return false;
        } else if (n == 1 && (c <= 0x20 || c == 0x7F || std::strchr("\"#&'/:<=>?\\`", c))) {
            return false;
        }
        i += n;
    }
    return true;
}

// Matches tag against pattern, where "%n" stands for a number, "%c" for a
// colour's six hex digits, "%u" for a URL running to the pattern's next byte,
// and any other byte for itself. Collects the anchor names and the links to
// them.
struct TagMatcher {
    std::multiset<std::string> anchors;
    std::set<std::string> links;

    bool match(std::string_view tag, std::string_view pattern) {
        std::size_t t = 0;
        std::string number;
        for (std::size_t p = 0; p < pattern.size(); ++p) {
            const char kind = pattern[p] == '%' ? pattern[++p] : '\0';
            if (kind == 'n') {
                const std::size_t from = t;
                while (t < tag.size() && (isDigit(tag[t]) || (t == from && tag[t] == '-')))
                    ++t;
                if (t == from)
                    return false;
                number.assign(tag.substr(from, t - from));
            } else if (kind == 'c') {
                for (int k = 0; k < 6; ++k, ++t) {
                    if (t >= tag.size() || !isHex(tag[t]))
                        return false;
                }
            } else if (kind == 'u') {
                const char end = p + 1 < pattern.size() ? pattern[p + 1] : '\0';
                std::size_t stop = t;
                while (stop < tag.size() && tag[stop] != end)
                    ++stop;
                if (!isRelativeUrl(tag.substr(t, stop - t)))
                    return false;
                t = stop;
            } else if (t >= tag.size() || tag[t++] != pattern[p]) {
                return false;
            }
        }
        if (t != tag.size())
            return false;
        if (pattern.rfind("A name=", 0) == 0)
            anchors.insert(number);
        if (pattern.find("href=#") != std::string_view::npos)
            links.insert(number);
        return true;
    }

    bool known(std::string_view tag) {
        static const std::unordered_set<std::string_view> kFixed = {
            "html",
            "/html",
            "head",
            "/head",
            "title",
            "/title",
            "/style",
            "/body",
            "BR",
            "br",
            "pre",
            "/pre",
            "/A",
            "/a",
            "B",
            "/B",
            "TBODY",
            "/TBODY",
            "TR",
            "/TR",
            "TD",
            "/TD",
            "td",
            "/td",
            "/tr",
            "/table",
            "/TABLE",
            "/FONT",
            "/font",
            "font size=2",
            "meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\"",
            "style type=\"text/css\"",
            "!-- hr { page-break-after:always} --",
            "BODY bgcolor=#ffffff leftmargin=\"50px\"",
            "FONT size=2",
            "hr color=white",
            "HR color=white",
            "th",
            "/th",
            "tt",
            "/tt",
            "tr",
            "tr class=ng",
            "td class=ng",
            "td valign=top",
            "table class=zcases",
            "A name=zcases",
            "FONT color=#000099 size=4",
            "TABLE border=0 width=650",
            "TD valign=bottom",
            "TD valign=top",
            "TD bgcolor=#000099",
            "TD bgcolor=#ccccff",
            "TD bgcolor=#999999",
            "FONT color=#000099 size=5",
            "FONT color=#000000 size=2"};
        static const char* const kPatterns[] = {"A name=%n",
                                                "a href=#%n",
                                                "A href=#%n",
                                                "table bgcolor='#%c'",
                                                "tr nowrap bgcolor='#%c'",
                                                "td width='%n'",
                                                "td colspan='%n'",
                                                "a target='_blank' href='%u'",
                                                "img src=%u border='0'",
                                                "img src=%u width='%n'  border='0'"};
        if (kFixed.count(tag))
            return true;
        // The case table's rules: the style block less its '<' and ">\n".
        const std::string_view style = report_cases::kStyle;
        if (tag == style.substr(1, style.size() - 3))
            return true;
        for (const char* pattern : kPatterns) {
            if (match(tag, pattern))
                return true;
        }
        return false;
    }
};

void checkHtml(const std::string& html) {
    TagMatcher tags;
    for (std::size_t i = 0; i < html.size();) {
        const std::size_t n = cp932::charLength(html.data(), html.size(), i);
        const char c = html[i];
        FUZZ_CHECK(n == 2 || !cp932::isLeadByte(static_cast<unsigned char>(c)));
        if (n == 1 && c == '<') {
            const std::size_t close = html.find('>', i);
            FUZZ_CHECK(close != std::string::npos);
            const std::string_view tag = std::string_view(html).substr(i + 1, close - i - 1);
            const bool known = tags.known(tag);
            if (!known)
                std::fprintf(stderr, "not the writer's tag: <%.*s>\n", static_cast<int>(tag.size()),
                             tag.data());
            FUZZ_CHECK(known);
            i = close + 1;
            continue;
        }
        FUZZ_CHECK(n == 2 || c != '>');
        if (n == 1 && c == '&') {
            const std::string_view rest = std::string_view(html).substr(i + 1, 4);
            FUZZ_CHECK(rest.rfind("amp;", 0) == 0 || rest.rfind("lt;", 0) == 0 ||
                       rest.rfind("gt;", 0) == 0);
        }
        i += n;
    }
    for (const std::string& link : tags.links)
        FUZZ_CHECK(tags.anchors.count(link) == 1);
}

// Names as Windows compares them.
std::string folded(const std::string& name) {
    return workbook_text::foldCase(workbook_text::fromCp932(name));
}

// The output folder, as the fuzzer imagines it, holds a file under about a
// third of all names: a copy must take another name than those.
bool heldByTheFolder(const std::string& destination) {
    uint32_t hash = 0;
    for (const char c : folded(destination))
        hash = hash * 31 + static_cast<unsigned char>(c);
    return hash % 3 == 0;
}

// The diff pictures as the copies: in the output folder, over no file it
// holds, under names no copy and no other diff takes.
void checkFiles(const ReportText& report, const ReportJob& job) {
    const std::string folder = std::string(job.folder) + "\\";
    std::set<std::string> names = {folded(std::string(job.fileName) + ".htm")};
    for (const ReportCopy& copy : report.copies)
        names.insert(folded(copy.destination.substr(folder.size())));
    for (const ReportFile& file : report.files) {
        FUZZ_CHECK(file.destination.compare(0, folder.size(), folder) == 0);
        FUZZ_CHECK(!heldByTheFolder(file.destination));
        FUZZ_CHECK(names.insert(folded(file.destination.substr(folder.size()))).second);
        FUZZ_CHECK(file.bytes.compare(0, 4, "\x89PNG") == 0);
    }
}

// Each record compared in turn as none, 一致, 差分あり and 基準なし, with
// the description's bytes as its changed line and headings, and two steps
// not run; the cases of every other record have a test ID.
ExportComparison comparisonOf(const History& history, const std::string& text, RecordCases& cases) {
    ExportComparison c;
    c.active = true;
    c.baselineCsv = text.substr(0, 64);
    c.baselineManifestDigest = text.size() % 2 ? std::string(64, 'a') : std::string();
    const retest::Comparison kinds[] = {retest::Comparison::none, retest::Comparison::match,
                                        retest::Comparison::differs,
                                        retest::Comparison::noBaseline};
    for (int i = 0; i < history.count; ++i) {
        RecordComparison r;
        r.proposal.comparison = kinds[i % 4];
        r.proposal.picture.changed = static_cast<uint64_t>(i);
        r.proposal.picture.compared = 100;
        r.proposal.textChanges = {text.substr(0, 80), text.size() > 80 ? text.substr(80, 80) : ""};
        r.baselinePicture = i % 3 ? "C:\\base\\b.bmp" : "";
        r.baselineHeading = text.substr(0, 40);
        c.records.push_back(r);
    }
    if (!text.empty() && text[0] & 1) {
        cases.resize(static_cast<std::size_t>(history.count));
        for (std::size_t i = 0; i < cases.size(); i += 2)
            cases[i].testId = text.substr(0, 20);
    }
    NotRunStep step;
    step.baselineCase.testId = step.baselineCase.expected = step.baselineHeading = text;
    c.notRun = {step, step};
    return c;
}

// Two small pictures that differ, for the diff pictures.
bool readPicture(const std::string& path, std::string& bytes) {
    const bool baseline = path == "C:\\base\\b.bmp";
    const std::vector<uint8_t> f =
        samples::bmp(4, 3, [baseline](int x, int, int) { return baseline && x == 1 ? 0 : 99; });
    bytes.assign(f.begin(), f.end());
    return true;
}

void checkCopies(const ReportText& report, const ReportJob& job) {
    const std::string folder = std::string(job.folder) + "\\";
    std::set<std::string> names = {folded(std::string(job.fileName) + ".htm")}, sources;
    for (const ReportCopy& copy : report.copies) {
        FUZZ_CHECK(copy.destination.compare(0, folder.size(), folder) == 0);
        FUZZ_CHECK(!heldByTheFolder(copy.destination));
        const std::string name = copy.destination.substr(folder.size());
        FUZZ_CHECK(!name.empty() && name.back() != '.' && name.back() != ' ');
        for (std::size_t i = 0; i < name.size();) {
            const std::size_t n = cp932::charLength(name.data(), name.size(), i);
            const unsigned char c = static_cast<unsigned char>(name[i]);
            FUZZ_CHECK(n == 2 ||
                       (c >= 0x20 && !std::strchr("<>:\"/\\|?*", c) && !cp932::isLeadByte(c)));
            i += n;
        }
        FUZZ_CHECK(names.insert(folded(name)).second);
        FUZZ_CHECK(sources.insert(folded(copy.source)).second);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 4)
        return 0;
    static History history("C:\\start");
    const std::string_view input(reinterpret_cast<const char*>(data) + 4, size - 4);
    const std::size_t nul = input.find('\0');
    const std::string_view csv = input.substr(0, nul);
    // Every description cell gets these same bytes, so a longer file would
    // only make the report longer, not try anything new.
    std::string description(nul == std::string_view::npos ? "" : input.substr(nul + 1, 512));

    HistoryCsvReader reader(history);
    reader.feed(csv.data(), csv.size());
    reader.finish();

    ReportOptions options;
    const uint8_t layout = data[0], counts = data[1], widths = data[2], flags = data[3];
    options.job.layout = layout % 7;  // 6 is no layout at all
    options.job.rowsPerPage = counts & 0x0F;
    options.itemsPerRow = counts >> 4;
    options.tocSplit = (layout >> 3) % 7 - 1;
    static const int kWidths[] = {-2, -1, 0, 300};
    options.job.imageWidth = kWidths[widths & 3];
    options.job.descriptionWidth = kWidths[(widths >> 2) & 3];
    options.copyImages = flags & 1;
    options.coverPage = flags & 2;
    options.itemNumbers = flags & 4;
    options.htmlTags = flags & 8;
    options.imageLinks = flags & 16;
    options.frameColour = 0x123456u * widths;
    options.backgroundColour = 0x654321u * flags;
    std::strcpy(options.job.folder, "C:\\out");
    std::strcpy(options.job.fileName, flags & 32 ? "A1" : "rep");
    options.title = description.substr(0, 259);
    if (options.htmlTags) {
        // The file's own markup passes by design; the writer's must stay
        // recognisable around it.
        for (char& c : description) {
            if (c == '<' || c == '>' || c == '&')
                c = '_';
        }
    }

    const auto held = [](const std::string& destination) {
        return heldByTheFolder(destination) ? ReportTarget::taken : ReportTarget::free;
    };
    const ReportFolder folder{
        folded,
        [&](const std::string&, const std::string& destination) { return held(destination); },
        readPicture,
        [&](const std::string&, const std::string& destination) { return held(destination); }};
    RecordCases cases;
    const ExportComparison comparison =
        flags & 64 ? comparisonOf(history, description, cases) : ExportComparison{};
    const ReportText report = buildReport(
        history.records, history.count, "C:\\hist", options,
        [&](const std::string&, std::string& bytes) {
            bytes = description;
            return true;
        },
        folder, {}, {}, cases, comparison);
    checkHtml(report.html);
    checkCopies(report, options.job);
    checkFiles(report, options.job);
    return 0;
}

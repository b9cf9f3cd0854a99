#include "ocr/personal_data.h"

#include <algorithm>
#include <cstdint>

#include "base/cp932.h"
#include "ocr/text_fold.h"

namespace personal_data {

namespace {

// What the detectors read: the line folded (full-width forms to ASCII,
// dashes to '-'), with every byte that is not an ASCII character of its own
// (both bytes of a double-byte character above all, whose trail byte may
// look like '@' or a digit) made 0x01, which no detector takes for
// anything. Offsets in it are those of the folded text.
struct Scan {
    std::string folded;
    std::vector<std::size_t> origins;  // folded offset -> the line's offset
    std::string ascii;
};

Scan scanOf(const std::string& text) {
    Scan scan;
    text_fold::Options options;
    options.dashesToHyphen = true;
    scan.folded = text_fold::fold(text, options, &scan.origins);
    scan.ascii = scan.folded;
    const char* s = scan.folded.data();
    const std::size_t n = scan.folded.size();
    for (std::size_t i = 0; i < n;) {
        const std::size_t length = cp932::charLength(s, n, i);
        const auto c = static_cast<unsigned char>(s[i]);
        if (length == 2 || c >= 0x7F)
            for (std::size_t k = 0; k < length; ++k)
                scan.ascii[i + k] = '\x01';
        i += length;
    }
    return scan;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isLetter(char c) {
    return c >= 'A' && c <= 'Z';  // folded: no small letters are left
}

// A detector's find, in folded offsets.
struct Span {
    Kind kind;
    std::size_t begin, end;
    int pattern;
};

// ---- e-mail addresses

bool isLocalChar(char c) {
    return isDigit(c) || isLetter(c) || c == '.' || c == '_' || c == '%' || c == '+' || c == '-';
}

// What the engine gives for '@' and '.' in small screen text: 'Q', '?', ロ
// or 口 for the one, ',' or 。 for the other, often with a blank after the
// dot. An address so read still gets its mask proposed (its text stays as
// read); the user judges the candidate.
bool folds(const Scan& s, std::size_t i, const char* pair) {
    return i + 1 < s.folded.size() && s.folded[i] == pair[0] && s.folded[i + 1] == pair[1];
}
std::size_t atSignAt(const Scan& s, std::size_t i, bool& lookAlike) {
    lookAlike = s.ascii[i] != '@';
    if (!lookAlike)
        return 1;
    if (s.ascii[i] == 'Q' || s.ascii[i] == '?')
        return 1;
    return s.ascii[i] == '\x01' && (folds(s, i, "\x83\x8D") || folds(s, i, "\x8C\xFB")) ? 2 : 0;
}
std::size_t dotAt(const Scan& s, std::size_t i, bool lookAlikes) {
    if (!lookAlikes)
        return s.ascii[i] == '.' ? 1 : 0;
    std::size_t length = 0;
    if (s.ascii[i] == '.' || s.ascii[i] == ',')
        length = 1;
    else if (s.ascii[i] == '\x01' && folds(s, i, "\x81\x42"))
        length = 2;
    return length + (length && i + length < s.ascii.size() && s.ascii[i + length] == ' ');
}

// The start of the local part that ends at `at`, not before `floor` (the
// end of the address before it).
std::size_t localBegin(const Scan& s, std::size_t floor, std::size_t at, bool lookAlikes) {
    const std::string& a = s.ascii;
    std::size_t begin = at;
    for (;;) {
        if (begin > floor && (isLocalChar(a[begin - 1]) || (lookAlikes && a[begin - 1] == ',')))
            --begin;
        else if (lookAlikes && begin >= floor + 3 && a[begin - 1] == ' ' &&
                 (a[begin - 2] == '.' || a[begin - 2] == ',') && isLocalChar(a[begin - 3]))
            begin -= 2;
        else
            break;
    }
    while (begin < at && (a[begin] == '.' || a[begin] == ','))
        ++begin;
    return begin;
}

// The end of the longest domain from `from`: labels of letters, digits and
// '-' between dots, two labels or more, none empty or starting or ending
// with '-', the last two letters or more; `from` when there is none.
std::size_t domainEnd(const Scan& s, std::size_t from, bool lookAlikes) {
    const std::string& a = s.ascii;
    std::size_t end = from, labels = 0, at = from;
    for (;;) {
        std::size_t stop = at;
        bool letters = true;
        while (stop < a.size() && (isDigit(a[stop]) || isLetter(a[stop]) || a[stop] == '-')) {
            letters = letters && isLetter(a[stop]);
            ++stop;
        }
        // A label that runs into an '@' is the next address's.
        if (stop == at || a[at] == '-' || a[stop - 1] == '-' || (stop < a.size() && a[stop] == '@'))
            return end;
        ++labels;
        if (labels >= 2 && letters && stop - at >= 2)
            end = stop;
        const std::size_t dot = stop < a.size() ? dotAt(s, stop, lookAlikes) : 0;
        if (dot == 0)
            return end;
        at = stop + dot;
    }
}

// Each '@' (or what stands for one) reaches left over the local part and
// right over the domain. An '@' read rightly comes first; a look-alike
// inside an address already found is none.
void findEmails(const Scan& s, bool withLookAlikes, std::vector<Span>& out) {
    const std::string& a = s.ascii;
    const std::size_t first = out.size();
    for (const bool lookAlikes : {false, true}) {
        if (lookAlikes && !withLookAlikes)
            break;
        for (std::size_t at = 0; at < a.size();
             at += cp932::charLength(s.folded.data(), s.folded.size(), at)) {
            bool lookAlike = false;
            const std::size_t length = atSignAt(s, at, lookAlike);
            if (length == 0 || lookAlike != lookAlikes)
                continue;
            std::size_t floor = 0;
            bool inside = false;
            for (std::size_t k = first; k < out.size(); ++k) {
                inside = inside || (out[k].begin <= at && at < out[k].end);
                if (out[k].end <= at)
                    floor = std::max(floor, out[k].end);
            }
            const std::size_t begin = localBegin(s, floor, at, withLookAlikes);
            const std::size_t end = domainEnd(s, at + length, withLookAlikes);
            if (begin < at && end > at + length && !inside)
                out.push_back({Kind::email, begin, end, -1});
        }
    }
}

// ---- numbers: runs of digits and what joins them

struct Group {
    std::size_t begin, end;
};

// The runs of bytes at which `digit` holds.
template <typename Digit>
std::vector<Group> groupsOf(const std::string& a, Digit digit) {
    std::vector<Group> groups;
    for (std::size_t i = 0; i < a.size();) {
        if (!digit(i)) {
            ++i;
            continue;
        }
        const std::size_t begin = i;
        while (i < a.size() && digit(i))
            ++i;
        groups.push_back({begin, i});
    }
    return groups;
}

std::vector<Group> digitGroups(const std::string& a) {
    return groupsOf(a, [&](std::size_t i) { return isDigit(a[i]); });
}

std::size_t size(const Group& g) {
    return g.end - g.begin;
}

// Whether groups g and g + 1 are one number's: for a phone number one to
// three of "-", " ", "(", ")" between them; for a card or マイナンバー
// exactly one "-" or " ".
bool phoneJoined(const std::string& a, const std::vector<Group>& gs, std::size_t g) {
    if (g + 1 >= gs.size() || gs[g + 1].begin - gs[g].end > 3)
        return false;
    for (std::size_t i = gs[g].end; i < gs[g + 1].begin; ++i)
        if (a[i] != '-' && a[i] != ' ' && a[i] != '(' && a[i] != ')')
            return false;
    return true;
}
bool tightlyJoined(const std::string& a, const std::vector<Group>& gs, std::size_t g) {
    return g + 1 < gs.size() && gs[g + 1].begin == gs[g].end + 1 &&
           (a[gs[g].end] == '-' || a[gs[g].end] == ' ');
}

std::string digitsOf(const std::string& a, const std::vector<Group>& gs, std::size_t first,
                     std::size_t count) {
    std::string d;
    for (std::size_t g = first; g < first + count; ++g)
        d.append(a, gs[g].begin, size(gs[g]));
    return d;
}

// ---- phone numbers

// A national number: 0X0 and eleven digits (mobile, IP), 0800 and eleven
// (free dial), or 0 then 1-9 and ten digits (a landline, 0120, 0570),
// except the ten-digit 0X0 of a mobile that lost a digit.
bool nationalNumber(const std::string& d) {
    if (d.size() < 10 || d[0] != '0' || d[1] == '0')
        return false;
    const bool mobilePrefix = d[1] >= '5' && d[2] == '0';
    if (d.size() == 11)
        return mobilePrefix || d.compare(0, 4, "0800") == 0;
    return d.size() == 10 && !mobilePrefix;
}

// Groups as a phone number writes them: one, or three of 1-5, 1-4 and 3-4
// digits.
bool phoneGroups(const std::vector<Group>& gs, std::size_t first, std::size_t count) {
    if (count == 1)
        return true;
    return count == 3 && size(gs[first]) <= 5 && size(gs[first + 1]) <= 4 &&
           size(gs[first + 2]) >= 3 && size(gs[first + 2]) <= 4;
}

// The phone number whose national digits start at group `first` (after
// "+81" when `country`), one group or three; true with the groups taken.
bool phoneAt(const std::string& a, const std::vector<Group>& gs, std::size_t first,
             const std::string& lead, std::size_t& count) {
    for (std::size_t k : {std::size_t{3}, std::size_t{1}}) {
        if (first + k > gs.size() || !phoneGroups(gs, first, k))
            continue;
        bool joined = true;
        for (std::size_t g = first; g + 1 < first + k; ++g)
            joined = joined && phoneJoined(a, gs, g);
        if (joined && nationalNumber(lead + digitsOf(a, gs, first, k))) {
            count = k;
            return true;
        }
    }
    return false;
}

void findPhones(const std::string& a, const std::vector<Group>& gs, std::vector<Span>& out) {
    for (std::size_t g = 0; g < gs.size(); ++g) {
        const std::size_t begin = gs[g].begin;
        // Digits alone right after a letter are more likely an ID than a
        // phone number; grouped ones ("TEL03-1234-5678") are taken.
        const bool afterLetter = begin > 0 && isLetter(a[begin - 1]);
        std::size_t count = 0;
        const bool country = begin > 0 && a[begin - 1] == '+' && a.compare(begin, 2, "81") == 0;
        if (country && size(gs[g]) == 2 && phoneJoined(a, gs, g) &&
            phoneAt(a, gs, g + 1, "0", count)) {
            out.push_back({Kind::phone, begin - 1, gs[g + count].end, -1});  // +81 90-...
            g += count;
        } else if (country && size(gs[g]) > 2 &&
                   nationalNumber("0" + a.substr(begin + 2, size(gs[g]) - 2))) {
            out.push_back({Kind::phone, begin - 1, gs[g].end, -1});  // +8190...
        } else if (a[begin] == '0' && phoneAt(a, gs, g, "", count) && !(afterLetter && count == 1)) {
            out.push_back({Kind::phone, begin, gs[g + count - 1].end, -1});
            g += count - 1;
        }
    }
}

// ---- card numbers and マイナンバー

// From each group, the longest run of tightly joined groups (3 to 6 digits
// each, or one group alone) whose 13 to 19 digits pass Luhn.
void findCards(const std::string& a, const std::vector<Group>& gs, std::vector<Span>& out) {
    for (std::size_t g = 0; g < gs.size(); ++g) {
        if (size(gs[g]) >= 13 && size(gs[g]) <= 19) {
            if (luhnValid(digitsOf(a, gs, g, 1)))
                out.push_back({Kind::card, gs[g].begin, gs[g].end, -1});
            continue;
        }
        std::size_t count = 0, total = 0, best = 0;
        while (g + count < gs.size() && size(gs[g + count]) >= 3 && size(gs[g + count]) <= 6 &&
               total + size(gs[g + count]) <= 19) {
            total += size(gs[g + count]);
            ++count;
            if (total >= 13 && luhnValid(digitsOf(a, gs, g, count)))
                best = count;
            if (!tightlyJoined(a, gs, g + count - 1))
                break;
        }
        if (best > 1)
            out.push_back({Kind::card, gs[g].begin, gs[g + best - 1].end, -1});
    }
}

// A card number in its printed form, four groups of four digits, as the
// engine may misread it in small text: a digit read wrong (the Luhn check
// then fails), read as a look-alike letter ('O', 'S', '$', 'L', 'I', 'B',
// 'Z' beside a digit), a separator read as a character of its own. Each
// group keeps three digits at least; nothing is joined on either side.
bool digitLike(const std::string& a, std::size_t i) {
    const auto digitBeside = [&](std::size_t k) { return k < a.size() && isDigit(a[k]); };
    return isDigit(a[i]) || (std::string_view("OS$LIBZ").find(a[i]) != std::string_view::npos &&
                             ((i > 0 && digitBeside(i - 1)) || digitBeside(i + 1)));
}
// The bytes of a separator from `at`: a blank, a hyphen or one double-byte
// character; 0 for none.
std::size_t separatorAt(const std::string& a, std::size_t at) {
    if (at < a.size() && (a[at] == ' ' || a[at] == '-'))
        return 1;
    return at + 1 < a.size() && a[at] == '\x01' && a[at + 1] == '\x01' ? 2 : 0;
}
void findPrintedCards(const std::string& a, std::vector<Span>& out) {
    const std::vector<Group> gs = groupsOf(a, [&](std::size_t i) { return digitLike(a, i); });
    const auto joined = [&](std::size_t g) {
        const std::size_t separator = separatorAt(a, gs[g].end);
        return separator > 0 && g + 1 < gs.size() && gs[g + 1].begin == gs[g].end + separator;
    };
    const auto digits = [&](const Group& g) {
        return std::count_if(a.begin() + static_cast<std::ptrdiff_t>(g.begin),
                             a.begin() + static_cast<std::ptrdiff_t>(g.end), isDigit);
    };
    for (std::size_t g = 0; g + 3 < gs.size(); ++g) {
        if ((g > 0 && joined(g - 1)) || joined(g + 3))
            continue;
        bool printed = true;
        for (std::size_t k = g; k < g + 4 && printed; ++k)
            printed = size(gs[k]) == 4 && digits(gs[k]) >= 3 && (k == g + 3 || joined(k));
        if (printed)
            out.push_back({Kind::card, gs[g].begin, gs[g + 3].end, -1});
    }
}

// Twelve digits alone, or 4-4-4 with nothing joined on either side: three
// groups of a card number are none.
void findMyNumbers(const std::string& a, const std::vector<Group>& gs, std::vector<Span>& out) {
    for (std::size_t g = 0; g < gs.size(); ++g) {
        if (size(gs[g]) == 12 && myNumberValid(digitsOf(a, gs, g, 1)))
            out.push_back({Kind::myNumber, gs[g].begin, gs[g].end, -1});
        else if (g + 2 < gs.size() && size(gs[g]) == 4 && size(gs[g + 1]) == 4 &&
                 size(gs[g + 2]) == 4 && tightlyJoined(a, gs, g) && tightlyJoined(a, gs, g + 1) &&
                 !(g > 0 && tightlyJoined(a, gs, g - 1)) && !tightlyJoined(a, gs, g + 2) &&
                 myNumberValid(digitsOf(a, gs, g, 3)))
            out.push_back({Kind::myNumber, gs[g].begin, gs[g + 2].end, -1});
    }
}

// Of finds of one kind that overlap (a card's later groups pass Luhn by
// chance one time in ten), the longest, then the first.
void keepLongest(std::vector<Span>& spans) {
    std::stable_sort(spans.begin(), spans.end(), [](const Span& x, const Span& y) {
        return x.end - x.begin > y.end - y.begin;
    });
    std::vector<Span> kept;
    for (const Span& s : spans) {
        const bool overlaps = std::any_of(kept.begin(), kept.end(), [&](const Span& k) {
            return k.kind == s.kind && k.begin < s.end && s.begin < k.end;
        });
        if (!overlaps)
            kept.push_back(s);
    }
    spans.swap(kept);
}

// ---- the user's patterns

struct Token {
    enum class Type { literal, digit, any } type;
    std::string text;  // a literal's character, folded
};

// The pattern's tokens; false, with the reason in `why`, as validPattern.
bool compile(const std::string& pattern, std::vector<Token>& tokens, const char*& why) {
    text_fold::Options options;
    options.dashesToHyphen = true;
    const std::string p = text_fold::fold(pattern, options);
    tokens.clear();
    bool onlyAny = true;
    for (std::size_t i = 0; i < p.size();) {
        std::size_t length = cp932::charLength(p.data(), p.size(), i);
        Token t{Token::Type::literal, std::string()};
        if (length == 1 && p[i] == '\\') {
            if (i + 1 >= p.size()) {
                why = "最後の \\ の後に文字がありません";
                return false;
            }
            ++i;
            length = cp932::charLength(p.data(), p.size(), i);
        } else if (length == 1 && p[i] == '#') {
            t.type = Token::Type::digit;
        } else if (length == 1 && p[i] == '?') {
            t.type = Token::Type::any;
        }
        if (t.type == Token::Type::literal)
            t.text.assign(p, i, length);
        onlyAny = onlyAny && t.type == Token::Type::any;
        tokens.push_back(std::move(t));
        i += length;
    }
    if (tokens.empty())
        why = "パターンが空です";
    else if (tokens.size() > kPatternMaximum)
        why = "パターンが長すぎます (64 文字まで)";
    else if (onlyAny)
        why = "? だけのパターンはどの文字にも当たります";
    else
        return true;
    return false;
}

bool tokenMatches(const Token& t, const std::string& folded, std::size_t at, std::size_t length) {
    switch (t.type) {
        case Token::Type::digit:
            return length == 1 && isDigit(folded[at]);
        case Token::Type::any:
            return true;
        case Token::Type::literal:
            break;
    }
    return t.text.size() == length && folded.compare(at, length, t.text) == 0;
}

// Leftmost matches that do not overlap, character by character.
void findPattern(const std::string& folded, const std::vector<Token>& tokens, int index,
                 std::vector<Span>& out) {
    std::vector<std::size_t> starts;  // of the characters, then the end
    for (std::size_t i = 0; i < folded.size(); i += cp932::charLength(folded.data(), folded.size(), i))
        starts.push_back(i);
    starts.push_back(folded.size());
    const std::size_t chars = starts.size() - 1;
    for (std::size_t c = 0; c + tokens.size() <= chars;) {
        std::size_t k = 0;
        while (k < tokens.size() &&
               tokenMatches(tokens[k], folded, starts[c + k], starts[c + k + 1] - starts[c + k]))
            ++k;
        if (k < tokens.size()) {
            ++c;
            continue;
        }
        out.push_back({Kind::userPattern, starts[c], starts[c + k], index});
        c += k;
    }
}

// The hit of a find: its bytes in the line's text and its share of the box.
Hit hitOf(const Span& s, const Scan& scan, const OcrLine& line) {
    const std::size_t begin = scan.origins[s.begin], end = scan.origins[s.end];
    const std::size_t bytes = std::max<std::size_t>(line.text.size(), 1);
    const int64_t width = static_cast<int64_t>(line.right) - line.left;
    const int64_t left = line.left + width * static_cast<int64_t>(begin) / static_cast<int64_t>(bytes);
    const int64_t right = line.left + (width * static_cast<int64_t>(end) + static_cast<int64_t>(bytes) - 1) /
                                          static_cast<int64_t>(bytes);
    return {s.kind, begin, end, static_cast<int>(left), line.top, static_cast<int>(right), line.bottom,
            s.pattern};
}

}  // namespace

const char* kindName(Kind kind) {
    switch (kind) {
        case Kind::email:
            return "メールアドレス";
        case Kind::phone:
            return "電話番号";
        case Kind::card:
            return "カード番号";
        case Kind::myNumber:
            return "マイナンバー";
        case Kind::userPattern:
            break;
    }
    return "登録したパターン";
}

bool validPattern(const std::string& pattern, const char*& why) {
    std::vector<Token> tokens;
    return compile(pattern, tokens, why);
}

std::vector<Hit> find(const OcrLine& line, const std::vector<std::string>& patterns,
                      bool lookAlikes) {
    const Scan scan = scanOf(line.text);
    const std::vector<Group> groups = digitGroups(scan.ascii);
    std::vector<Span> spans;
    findEmails(scan, lookAlikes, spans);
    findPhones(scan.ascii, groups, spans);
    findCards(scan.ascii, groups, spans);
    if (lookAlikes)
        findPrintedCards(scan.ascii, spans);
    findMyNumbers(scan.ascii, groups, spans);
    keepLongest(spans);
    std::vector<Token> tokens;
    for (std::size_t i = 0; i < patterns.size(); ++i) {
        const char* why = nullptr;
        if (compile(patterns[i], tokens, why))
            findPattern(scan.folded, tokens, static_cast<int>(i), spans);
    }
    std::stable_sort(spans.begin(), spans.end(), [](const Span& x, const Span& y) {
        return x.begin != y.begin ? x.begin < y.begin : x.kind < y.kind;
    });
    std::vector<Hit> hits;
    for (const Span& s : spans)
        hits.push_back(hitOf(s, scan, line));
    return hits;
}

bool luhnValid(std::string_view digits) {
    if (digits.empty())
        return false;
    int sum = 0;
    bool twice = false;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (!isDigit(*it))
            return false;
        int d = *it - '0';
        if (twice && (d *= 2) > 9)
            d -= 9;
        sum += d;
        twice = !twice;
    }
    return sum % 10 == 0;
}

// Check digit = 11 - (Σ Pn × Qn mod 11), 0 when the remainder is 0 or 1;
// Pn is the n-th digit from the right before the check digit, Qn is n + 1
// for n of 1 to 6 and n - 5 for 7 to 11.
bool myNumberValid(std::string_view digits) {
    if (digits.size() != 12 || !std::all_of(digits.begin(), digits.end(), isDigit))
        return false;
    int sum = 0;
    for (int n = 1; n <= 11; ++n)
        sum += (digits[11 - n] - '0') * (n <= 6 ? n + 1 : n - 5);
    const int remainder = sum % 11;
    return digits[11] - '0' == (remainder <= 1 ? 0 : 11 - remainder);
}

}  // namespace personal_data

#include "history/case_file.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "base/cp932.h"

namespace casefile {

const char kVersionLine[] = "ZCASE\t1";

namespace {

using testcase::Field;

constexpr int kFieldsPerLine = 11;
constexpr int kKeyFields = 3;
const char kVersionTag[] = "ZCASE\t";
const char kHex[] = "0123456789ABCDEF";

// The name of field `index` (from 0) of a line, for the messages.
const char* fieldName(int index) {
    static const char* const kKeyNames[kKeyFields] = {"画像ファイル名", "日時", "番号"};
    return index < kKeyFields ? kKeyNames[index]
                              : testcase::fieldHeading(static_cast<Field>(index - kKeyFields));
}

void appendEscaped(std::string& out, const std::string& text) {
    const char* s = text.data();
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        const std::size_t length = cp932::charLength(s, n, i);
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (length == 2) {
            out.append(s + i, 2);
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20 || c == 0x7F || cp932::isLeadByte(c)) {
            // A lone lead byte standing in the file would take the next
            // byte, the backslash of an escape say, for its trail byte.
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
        i += length;
    }
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// One field's text without its escapes; false, with the reason in `why`,
// for a byte the writer never leaves standing or an escape it never writes.
bool unescape(const char* s, std::size_t n, std::string& out, const char*& why) {
    out.clear();
    for (std::size_t i = 0; i < n;) {
        const std::size_t length = cp932::charLength(s, n, i);
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (length == 2) {
            out.append(s + i, 2);
            i += 2;
            continue;
        }
        if (c < 0x20 || c == 0x7F) {
            why = "制御文字がそのまま入っています";
            return false;
        }
        if (cp932::isLeadByte(c)) {
            why = "2 バイト文字が途中で切れています";
            return false;
        }
        if (c != '\\') {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        const char next = i + 1 < n ? s[i + 1] : '\0';
        std::size_t used = 2;
        switch (next) {
            case '\\':
                out += '\\';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case 'n':
                out += '\n';
                break;
            case 'x': {
                const int high = i + 2 < n ? hexValue(s[i + 2]) : -1;
                const int low = i + 3 < n ? hexValue(s[i + 3]) : -1;
                if (high < 0 || low < 0) {
                    why = "\\x の後に 16 進 2 桁がありません";
                    return false;
                }
                out += static_cast<char>(high * 16 + low);
                used = 4;
                break;
            }
            default:
                why = "\\ の後が \\\\ \\t \\r \\n \\x のどれでもありません";
                return false;
        }
        i += used;
    }
    return true;
}

bool parseOrdinal(const std::string& text, int& out) {
    if (text.empty() || text.size() > 3 || (text.size() > 1 && text[0] == '0'))
        return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    out = value;
    return value <= kOrdinalMaximum;
}

bool parseVerdict(const std::string& text, testcase::Verdict& out) {
    using testcase::Verdict;
    for (Verdict v : {Verdict::none, Verdict::ok, Verdict::ng, Verdict::hold})
        if (text == testcase::verdictText(v)) {
            out = v;
            return true;
        }
    return false;
}

class Parser {
  public:
    explicit Parser(ReadResult& result) : result_(result) {}

    // False once the file is refused.
    bool line(int number, const char* s, std::size_t n);

  private:
    bool fail(int number, const std::string& text) {
        char head[32];
        std::snprintf(head, sizeof head, "%d 行目: ", number);
        result_.error = head + text;
        result_.errorLine = number;
        return false;
    }
    bool versionLine(int number, const std::string& text);
    bool entryLine(int number, const char* s, std::size_t n);

    ReadResult& result_;
};

bool Parser::line(int number, const char* s, std::size_t n) {
    if (number == 1)
        return versionLine(number, std::string(s, n));
    if (n == 0)
        return fail(number, "空の行です");
    return entryLine(number, s, n);
}

bool Parser::versionLine(int number, const std::string& text) {
    if (text == kVersionLine)
        return true;
    const std::size_t tagLength = sizeof kVersionTag - 1;
    if (text.compare(0, tagLength, kVersionTag) == 0 && text.size() > tagLength &&
        text.size() <= tagLength + 4 &&
        text.find_first_not_of("0123456789", tagLength) == std::string::npos)
        return fail(number, "版 " + text.substr(tagLength) +
                                " のファイルです。この Zelcap が読めるのは版 1 までです");
    return fail(number, "テストケースのファイルではありません (先頭に ZCASE の版の行がありません)");
}

bool Parser::entryLine(int number, const char* s, std::size_t n) {
    // A tab is never a trail byte, and every tab inside a text is written
    // "\t": each one that stands is a field's end.
    std::string fields[kFieldsPerLine];
    int count = 0;
    std::size_t from = 0;
    for (;;) {
        const void* tab = std::memchr(s + from, '\t', n - from);
        const std::size_t end =
            tab ? static_cast<std::size_t>(static_cast<const char*>(tab) - s) : n;
        if (count < kFieldsPerLine) {
            const char* why = nullptr;
            if (!unescape(s + from, end - from, fields[count], why))
                return fail(number, std::string(fieldName(count)) + "の欄: " + why);
        }
        ++count;
        if (!tab)
            break;
        from = end + 1;
    }
    if (count != kFieldsPerLine) {
        char text[96];
        std::snprintf(text, sizeof text, "欄が %d 個あります (%d 個のはずです)", count,
                      kFieldsPerLine);
        return fail(number, text);
    }
    Entry entry;
    entry.key.name = fields[0];
    entry.key.dateTime = fields[1];
    if (entry.key.name.empty())
        return fail(number, "画像ファイル名がありません");
    if (!parseOrdinal(fields[2], entry.key.ordinal))
        return fail(number, "番号の欄が 0 から 999 までの数ではありません");
    testcase::TestCase& c = entry.testCase;
    if (!parseVerdict(fields[kKeyFields + static_cast<int>(Field::verdict)], c.verdict))
        return fail(number, "判定が 未判定 / OK / NG / 保留 のどれでもありません");
    for (int i = 0; i < testcase::kFieldCount; ++i)
        if (std::string* text = c.text(static_cast<Field>(i)))
            *text = std::move(fields[kKeyFields + i]);
    std::vector<Field> cut = testcase::cutToLimits(c);
    if (!cut.empty())
        result_.cuts.push_back({number, std::move(cut)});
    result_.entries.push_back(std::move(entry));
    return true;
}

}  // namespace

ReadResult parse(const char* data, std::size_t size) {
    ReadResult result;
    Parser parser(result);
    if (size == 0) {
        result.error = "1 行目: 空のファイルです (ZCASE の版の行がありません)";
        result.errorLine = 1;
        return result;
    }
    // CR and LF are never trail bytes, and the writer escapes both inside a
    // text: an LF that stands ends a line, a CR right before it goes with it.
    int number = 0;
    for (std::size_t from = 0; from < size;) {
        const void* lf = std::memchr(data + from, '\n', size - from);
        const std::size_t end =
            lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - data) : size;
        std::size_t length = end - from;
        if (length > 0 && data[from + length - 1] == '\r')
            --length;
        if (!parser.line(++number, data + from, length)) {
            result.entries.clear();
            result.cuts.clear();
            return result;
        }
        from = end + 1;
    }
    result.ok = true;
    return result;
}

std::string write(const std::vector<Entry>& entries) {
    std::string out = kVersionLine;
    out += "\r\n";
    for (const Entry& e : entries) {
        appendEscaped(out, e.key.name);
        out += '\t';
        appendEscaped(out, e.key.dateTime);
        out += '\t';
        out += std::to_string(e.key.ordinal);
        for (int i = 0; i < testcase::kFieldCount; ++i) {
            out += '\t';
            const Field field = static_cast<Field>(i);
            if (const std::string* text = e.testCase.text(field))
                appendEscaped(out, *text);
            else
                out += testcase::verdictText(e.testCase.verdict);
        }
        out += "\r\n";
    }
    return out;
}

}  // namespace casefile

#include "base/tab_file.h"

#include <cstdio>
#include <cstring>

#include "base/cp932.h"
#include "base/hex.h"

namespace tabfile {

namespace {

const char kHex[] = "0123456789ABCDEF";

}  // namespace

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
                const int high = i + 2 < n ? hexDigitValue(s[i + 2]) : -1;
                const int low = i + 3 < n ? hexDigitValue(s[i + 3]) : -1;
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

namespace {

std::string lineError(int number, const std::string& text) {
    char head[32];
    std::snprintf(head, sizeof head, "%d 行目: ", number);
    return head + text;
}

// Why the first line is not `versionLine`, or "".
std::string versionError(const std::string& text, const std::string& versionLine,
                         const char* kind) {
    if (text == versionLine)
        return std::string();
    const std::size_t tagLength = versionLine.find('\t') + 1;
    const std::string tag = versionLine.substr(0, tagLength);
    if (text.compare(0, tagLength, tag) == 0 && text.size() > tagLength &&
        text.size() <= tagLength + 4 &&
        text.find_first_not_of("0123456789", tagLength) == std::string::npos)
        return "版 " + text.substr(tagLength) + " のファイルです。この Zelcap が読めるのは版 " +
               versionLine.substr(tagLength) + " までです";
    return std::string(kind) + "のファイルではありません (先頭に " + tag.substr(0, tagLength - 1) +
           " の版の行がありません)";
}

}  // namespace

bool readLines(const char* data, std::size_t size, const char* versionLine, const char* kind,
               const std::function<std::string(int number, const char* s, std::size_t n)>& line,
               std::string& error, int& errorLine) {
    const std::string version = versionLine;
    if (size == 0) {
        error = lineError(1, "空のファイルです (" + version.substr(0, version.find('\t')) +
                                 " の版の行がありません)");
        errorLine = 1;
        return false;
    }
    int number = 0;
    for (std::size_t from = 0; from < size;) {
        const void* lf = std::memchr(data + from, '\n', size - from);
        const std::size_t end =
            lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - data) : size;
        std::size_t length = end - from;
        if (length > 0 && data[from + length - 1] == '\r')
            --length;
        ++number;
        const std::string why = number == 1 ? versionError(std::string(data + from, length), version, kind)
                                : length == 0 ? std::string("空の行です")
                                              : line(number, data + from, length);
        if (!why.empty()) {
            error = lineError(number, why);
            errorLine = number;
            return false;
        }
        from = end + 1;
    }
    return true;
}

int splitLine(const char* s, std::size_t n, std::string* fields, int capacity, int& bad,
              const char*& why) {
    int count = 0;
    std::size_t from = 0;
    for (;;) {
        const void* tab = std::memchr(s + from, '\t', n - from);
        const std::size_t end =
            tab ? static_cast<std::size_t>(static_cast<const char*>(tab) - s) : n;
        if (count < capacity && !unescape(s + from, end - from, fields[count], why)) {
            bad = count;
            return -1;
        }
        ++count;
        if (!tab)
            return count;
        from = end + 1;
    }
}

std::string fieldCountError(int count, int expected) {
    char text[96];
    std::snprintf(text, sizeof text, "欄が %d 個あります (%d 個のはずです)", count, expected);
    return text;
}

bool parseNumber(const std::string& text, int maximum, int& out) {
    if (text.empty() || text.size() > 9 || (text.size() > 1 && text[0] == '0'))
        return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    out = value;
    return value <= maximum;
}

}  // namespace tabfile

#include "ocr/ocr_file.h"

#include <algorithm>
#include <utility>

#include "base/tab_file.h"

namespace ocrfile {

const char kVersionLine[] = "ZOCR\t1";

namespace {

constexpr int kFieldsPerLine = 5;

const char* const kFieldNames[kFieldsPerLine] = {"左", "上", "右", "下", "文字"};

constexpr char kUnreadableMark[] = "!\t";

// Why the line that marks a picture unreadable is refused, or "".
std::string unreadableLine(const char* s, std::size_t n, ReadResult& read) {
    const char* why = nullptr;
    if (!tabfile::unescape(s + 2, n - 2, read.reason, why))
        return std::string("理由の欄: ") + why;
    read.unreadable = true;
    return std::string();
}

// Why a text line is refused, or "" with it kept.
std::string textLine(const char* s, std::size_t n, OcrResult& result) {
    std::string fields[kFieldsPerLine];
    int bad = 0;
    const char* why = nullptr;
    const int count = tabfile::splitLine(s, n, fields, kFieldsPerLine, bad, why);
    if (count < 0)
        return std::string(kFieldNames[bad]) + "の欄: " + why;
    if (count != kFieldsPerLine)
        return tabfile::fieldCountError(count, kFieldsPerLine);
    OcrLine line{0, 0, 0, 0, std::move(fields[4])};
    int* const box[] = {&line.left, &line.top, &line.right, &line.bottom};
    for (int i = 0; i < 4; ++i)
        if (!tabfile::parseNumber(fields[i], kCoordinateMaximum, *box[i]))
            return std::string(kFieldNames[i]) + "の欄が 0 から 1000000 までの数ではありません";
    if (line.right < line.left || line.bottom < line.top)
        return "枠の右が左より前か、下が上より前にあります";
    result.lines.push_back(std::move(line));
    return std::string();
}

}  // namespace

std::string sidecarPath(const std::string& picturePath) {
    return picturePath + ".ocr";
}

ReadResult parse(const char* data, std::size_t size) {
    ReadResult read;
    read.ok = tabfile::readLines(
        data, size, kVersionLine, "読み取った文字",
        [&](int line, const char* s, std::size_t n) {
            if (read.unreadable)
                return std::string("読み取れなかった画像の印のあとに行があります");
            if (n >= 2 && s[0] == kUnreadableMark[0] && s[1] == kUnreadableMark[1])
                return line == 2 ? unreadableLine(s, n, read)
                                 : std::string("読み取れなかった画像の印が文字の行のあとにあります");
            return textLine(s, n, read.result);
        },
        read.error, read.errorLine);
    if (!read.ok) {
        read.result.lines.clear();
        read.unreadable = false;
        read.reason.clear();
    }
    return read;
}

std::string writeUnreadable(const std::string& reason) {
    std::string out = kVersionLine;
    out += "\r\n";
    out += kUnreadableMark;
    tabfile::appendEscaped(out, reason);
    out += "\r\n";
    return out;
}

std::string write(const OcrResult& result) {
    std::string out = kVersionLine;
    out += "\r\n";
    for (const OcrLine& line : result.lines) {
        const auto clamp = [](int v, int low) { return std::min(std::max(v, low), kCoordinateMaximum); };
        const int left = clamp(line.left, 0), top = clamp(line.top, 0);
        const int box[] = {left, top, clamp(line.right, left), clamp(line.bottom, top)};
        for (int v : box) {
            out += std::to_string(v);
            out += '\t';
        }
        tabfile::appendEscaped(out, line.text);
        out += "\r\n";
    }
    return out;
}

}  // namespace ocrfile

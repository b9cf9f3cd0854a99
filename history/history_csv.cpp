#include "history/history_csv.h"

#include <algorithm>
#include <cstring>

#include "base/cp932.h"
#include "history/history_paths.h"

const char kHistoryCsvHeader[] = "日時,コメント,ファイルパス,テキスト情報\r\n";
static_assert(sizeof kHistoryCsvHeader == kHistoryCsvHeaderLength + 1,
              "the header must be 41 bytes of CP932");

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// A quote inside a field needs no quoting: the reader only looks for a quoted
// field where one begins. The last field is treated alike even though it takes
// the rest of the line, so that spreadsheets see four columns.
//
// A CR or LF, which only a damaged or crafted file can have put into a
// field, would split the record when the file is read again; it goes out as
// a blank. Neither is ever a trail byte, and neither is a blank, so this
// moves no character boundary.
void appendField(std::string& out, const char* field) {
    std::string blanked;
    const char* text = field;
    std::size_t length = std::strlen(field);
    if (std::strpbrk(field, "\r\n") != nullptr) {
        blanked.assign(field, length);
        std::replace_if(
            blanked.begin(), blanked.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
        text = blanked.c_str();
    }
    const bool quoted = (length > 0 && text[0] == '"') || cp932::find(text, length, ',') < length;
    if (!quoted) {
        out.append(text, length);
        return;
    }
    out += '"';
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = from + cp932::find(text + from, length - from, '"');
        if (at >= length) {
            out.append(text + from, length - from);
            break;
        }
        out.append(text + from, at + 1 - from);
        out += '"';
        from = at + 1;
    }
    out += '"';
}

// When line[from] opens a quoted field, the index just past its closing
// quote; kNone when the field is no quoted field after all. Files written
// before quoting existed can hold a field that merely begins with a quote,
// and those must keep reading as they always did: only a closing quote
// followed by the field's end makes the field a quoted one. The last field
// ends only at the end of the line, since it takes the rest of it.
std::size_t quotedFieldEnd(const char* line, std::size_t from, std::size_t length, bool last) {
    std::size_t i = from + 1;
    for (;;) {
        const std::size_t quote = i + cp932::find(line + i, length - i, '"');
        if (quote >= length)
            return kNone;
        const std::size_t after = quote + 1;
        if (after < length && line[after] == '"') {
            i = after + 1;
            continue;
        }
        if (after == length || (!last && line[after] == ','))
            return after;
        return kNone;
    }
}

std::string unquoted(const char* text, std::size_t length) {
    std::string plain;
    plain.reserve(length);
    std::size_t from = 0;
    while (from < length) {
        const std::size_t quote = from + cp932::find(text + from, length - from, '"');
        if (quote >= length) {
            plain.append(text + from, length - from);
            break;
        }
        plain.append(text + from, quote + 1 - from);
        from = quote + 2;  // the second quote of the doubled pair
    }
    return plain;
}

// One field as the file holds it, before it is cut to its record field.
struct Field {
    std::string text;
    bool quoted = false;
};

// Reads the field at pos and moves pos past the comma after it. False when
// the line ended instead.
bool readField(const char* line, std::size_t length, std::size_t& pos, bool last, Field& out) {
    if (pos < length && line[pos] == '"') {
        const std::size_t end = quotedFieldEnd(line, pos, length, last);
        if (end != kNone) {
            out.text = unquoted(line + pos + 1, end - pos - 2);
            out.quoted = true;
            pos = end;
            if (pos == length)
                return false;
            ++pos;
            return true;
        }
    }
    const std::size_t end = last ? length : pos + cp932::find(line + pos, length - pos, ',');
    out.text.assign(line + pos, end - pos);
    if (end >= length) {
        pos = length;
        return false;
    }
    pos = end + 1;
    return true;
}

// The reader takes a stored path that begins with a single backslash for a
// file of the history folder. A full path of that form ("\captures\a.jpg",
// a folder on the current drive) would come back as relative and lose its
// folder at the next save, so the writer marks it: one quote put in front
// inside a quoted field ("""\captures\a.jpg"). No Windows path begins with
// a quote. A path that is such a text behind further quotes is marked too,
// so that the mark can always be taken off again.
bool needsRelativeMark(const char* path) {
    while (*path == '"')
        ++path;
    return isRelative(path);
}

}  // namespace

void appendHistoryLine(std::string& out, const HistoryRecord& record) {
    // A record of the history folder stores its file part; one whose path is
    // already relative keeps it whole, so no folder in it is lost.
    std::string stored = record.imagePath;
    if (record.relative == 1) {
        const char* part = filePart(record.imagePath);
        if (part != nullptr && !isRelative(record.imagePath))
            stored = part;
    } else if (needsRelativeMark(record.imagePath)) {
        stored.insert(0, 1, '"');
    }
    appendField(out, record.dateTime);
    out += ',';
    appendField(out, record.comment);
    out += ',';
    appendField(out, stored.c_str());
    out += ',';
    appendField(out, record.textFile);
    out += "\r\n";
}

std::string formatHistoryCsv(const History& current) {
    std::string out(kHistoryCsvHeader, kHistoryCsvHeaderLength);
    const int count = std::clamp(current.count, 0, kRecordMaximum);
    for (int i = 0; i < count; ++i)
        appendHistoryLine(out, current.records[i]);
    return out;
}

bool parseHistoryLine(const char* line, std::size_t length, HistoryRecord& out) {
    out = HistoryRecord{};
    if (length == 0)
        return false;
    Field fields[4];
    std::size_t pos = 0;
    for (int i = 0; i < 4 && readField(line, length, pos, i == 3, fields[i]); ++i) {
    }
    Field& path = fields[2];
    const bool marked = path.quoted && !path.text.empty() && path.text[0] == '"' &&
                        needsRelativeMark(&path.text[1]);
    if (marked)
        path.text.erase(0, 1);
    const auto take = [](const Field& field, char* to, std::size_t size) {
        cp932::copyText(to, size, field.text.data(), field.text.size());
    };
    take(fields[0], out.dateTime, sizeof out.dateTime);
    take(fields[1], out.comment, sizeof out.comment);
    take(path, out.imagePath, sizeof out.imagePath);
    take(fields[3], out.textFile, sizeof out.textFile);
    out.relative = !marked && isRelative(out.imagePath) ? 1 : 0;
    return true;
}

HistoryCsvReader::HistoryCsvReader(History& target) : history_(target) {
    history_.count = 0;
}

void HistoryCsvReader::feed(const char* piece, std::size_t n) {
    while (n > 0 && !stopped_) {
        const std::size_t take = std::min(n, kHistoryReadPieceSize - pieceFill_);
        std::memcpy(piece_ + pieceFill_, piece, take);
        pieceFill_ += take;
        received_ += take;
        piece += take;
        n -= take;
        if (pieceFill_ == kHistoryReadPieceSize)
            takePiece(false);
    }
}

void HistoryCsvReader::finish() {
    if (finished_)
        return;
    finished_ = true;
    if (!stopped_ && (pieceFill_ > 0 || piecesTaken_ > 0))
        takePiece(true);
    stopped_ = true;
}

void HistoryCsvReader::takePiece(bool atEnd) {
    unread_.append(piece_, pieceFill_);
    pieceFill_ = 0;
    const bool first = piecesTaken_++ == 0;
    cutLines(atEnd);
    if (first && !headerSeen_) {
        firstPieceHadNoLineEnd_ = true;
        stopped_ = true;
    }
}

void HistoryCsvReader::cutLines(bool atEnd) {
    const char* text = unread_.data();
    const std::size_t size = unread_.size();
    const auto search = [&](std::size_t from, char c) -> std::size_t {
        if (from >= size)
            return size;
        const void* hit = std::memchr(text + from, c, size - from);
        return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text) : size;
    };
    // CR and LF are never trail bytes, so a plain byte search finds only real
    // line ends; a torn character in front of one must not hide it.
    std::size_t start = 0;
    while (!stopped_) {
        std::size_t end = search(std::max(start, noCrBefore_), '\r');
        noCrBefore_ = end;
        if (end == size) {
            end = search(std::max(start, noLfBefore_), '\n');
            noLfBefore_ = end;
            if (end == size)
                break;
        }
        std::size_t next = end + 1;
        if (next == size && !atEnd)
            break;
        if (text[end] == '\r' && next < size && text[next] == '\n')
            ++next;
        takeLine(text + start, end - start);
        start = next;
    }
    unread_.erase(0, start);
    noCrBefore_ = noCrBefore_ > start ? noCrBefore_ - start : 0;
    noLfBefore_ = noLfBefore_ > start ? noLfBefore_ - start : 0;
}

void HistoryCsvReader::takeLine(const char* line, std::size_t length) {
    if (!headerSeen_) {
        headerSeen_ = true;
        return;
    }
    if (length == 0)
        return;
    if (history_.count >= kRecordMaximum) {
        limitExceeded_ = true;
        stopped_ = true;
        return;
    }
    HistoryRecord& r = history_.records[history_.count];
    parseHistoryLine(line, length, r);
    // The file has no ids: each record read gets one of this run, which its
    // case (history/case_placement.h) is then kept by.
    r.id = history_.newRecordId();
    ++history_.count;
}

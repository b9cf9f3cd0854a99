// The CSV history file: a header line, then one line per record, every line
// ending in CR LF, all CP932. Platform-free: the Win32 side only moves bytes.
//
// Fields are written as they stand, except that a field holding a comma or
// beginning with a double quote is put in double quotes with its quotes
// doubled, as spreadsheets expect. Without that, a comma typed into a heading
// moved every later field when the file was read back. Files whose fields
// need no quoting are the same bytes as before quoting existed.
//
// A CR or LF inside a field is written as a blank, and a full path that would
// read back as relative (one beginning with a single backslash) is written
// with a mark; see appendHistoryLine.
#pragma once

#include <cstddef>
#include <string>

#include "history/history.h"

// "日時,コメント,ファイルパス,テキスト情報" and CR LF.
extern const char kHistoryCsvHeader[];
constexpr std::size_t kHistoryCsvHeaderLength = 41;

// The reader looks at the file in pieces of this size: the header's line end
// must be found in the first one.
constexpr std::size_t kHistoryReadPieceSize = 128;

// One record's line with its CR LF. A record of the history folder
// (relative 1) stores only the file part of its image path, so the folder can
// move with the file; a path without a backslash, or one that is relative
// already, is stored whole. Any other record whose path begins with a single
// backslash ("\captures\a.jpg" on the current drive) is stored in quotes
// behind one more quote, """\captures\a.jpg", which the reader takes for a
// full path and removes again.
void appendHistoryLine(std::string& out, const HistoryRecord& record);
// The whole file: header and records 0 to count - 1.
std::string formatHistoryCsv(const History& current);

// Splits one line (without its line end) into out, which is emptied first.
// The fields are taken in order up to the first three commas, the last one
// keeping every further comma; a line that ends early leaves the remaining
// fields empty, so a line of one or two fields still yields a record. Every
// text is cut to its field without splitting a character, and relative is
// derived from the image path unless the path carries the writer's mark.
// False for an empty line, which is no record.
bool parseHistoryLine(const char* line, std::size_t length, HistoryRecord& out);

// Reads a history file pushed in pieces of any size into a History, as if the
// file were read kHistoryReadPieceSize bytes at a time.
//
// Line ends: a line ends at the first CR in the unread text, an LF right after
// it going with it; only while the unread text holds no CR does an LF end a
// line. A line end that is the last byte read so far waits for the next piece,
// so that a CR LF split between pieces stays one line end. At finish() that
// wait is over: a CR or LF that is the very last byte of the file does end a
// line, while text after the last line end is ignored.
//
// The first line is the header and is dropped whatever it holds. When the
// first piece has no line end that can be cut, the file is no history file:
// nothing is stored and the rest is ignored. For a file shorter than one
// piece that is only known at finish(). After 1000 records, the next
// non-empty line stops the reading.
//
// The caller empties the records beforehand and sets the file flags after.
class HistoryCsvReader {
  public:
    // Sets target.count to 0.
    explicit HistoryCsvReader(History& target);
    HistoryCsvReader(const HistoryCsvReader&) = delete;
    HistoryCsvReader& operator=(const HistoryCsvReader&) = delete;

    void feed(const char* piece, std::size_t n);
    // The file is exhausted. Further feed() and finish() calls do nothing.
    void finish();

    // False once the rest of the file would be ignored anyway.
    bool wantsMore() const { return !stopped_; }
    // Nothing was fed: an empty file, which opens as an empty history.
    bool receivedNothing() const { return received_ == 0; }
    bool headerSeen() const { return headerSeen_; }
    bool firstPieceHadNoLineEnd() const { return firstPieceHadNoLineEnd_; }
    // A non-empty line came after the 1000th record; the first 1000 stay.
    bool limitExceeded() const { return limitExceeded_; }

  private:
    void takePiece(bool atEnd);
    void cutLines(bool atEnd);
    void takeLine(const char* line, std::size_t length);

    History& history_;
    char piece_[kHistoryReadPieceSize];
    std::size_t pieceFill_ = 0;
    std::size_t received_ = 0;
    std::size_t piecesTaken_ = 0;
    // Unread text, and how far from its start it is known to hold no CR or no
    // LF, so that a long line is not searched again for every piece.
    std::string unread_;
    std::size_t noCrBefore_ = 0;
    std::size_t noLfBefore_ = 0;
    bool stopped_ = false;
    bool finished_ = false;
    bool headerSeen_ = false;
    bool firstPieceHadNoLineEnd_ = false;
    bool limitExceeded_ = false;
};

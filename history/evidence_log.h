// The chained log, "<history stem>.zlog" beside the history CSV: one line per
// event, each carrying the SHA-256 of the line before it, so that a line
// removed, inserted, moved or edited breaks the chain where it happened.
// Platform-free: the line hashes come from the caller's Sha256Function.
//
// A line, CP932, ended by CR LF, fields separated by one TAB (no Windows
// path can hold a TAB):
//   yyyy/mm/dd hh:mm:ss TAB event TAB record TAB path TAB file hash TAB previous
// - event: capture, import, delete, move, annotate, save.
// - record: the record's number from 1 at the moment of the event (for a
//   move, the number it moved to); 0 for save, which is no record's.
// - path: the file as the manifest beside the log names it
//   (evidence_manifest.h): relative to the history's folder with '/' (and
//   "../" on the same drive), or absolute; CP932 like the rest of the line.
//   Each line is spelled for the folder of the log it is first written
//   into, so that a history captured in one folder and saved in another
//   names its files as its manifest does.
// - file hash: the file's SHA-256 in lower-case hex; all zeros where there is
//   no file to hash (a delete of a picture that is already gone).
// - previous: the SHA-256 of the previous line's bytes without its CR LF; the
//   first line's previous is 64 zeros (kLogFirstPrevious).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/sha256.h"

enum class LogEvent { capture, import, deletion, move, annotate, save };

// "capture", "import", "delete", "move", "annotate", "save".
const char* logEventName(LogEvent event);

struct LogEntry {
    std::string time;  // "yyyy/mm/dd hh:mm:ss"
    LogEvent event = LogEvent::capture;
    int record = 0;
    std::string path;
    Sha256Digest file;
    Sha256Digest previous;
};

// What the first line names as its previous line.
const Sha256Digest kLogFirstPrevious{};

// One line of a log as read. A damaged line keeps its text, so that the
// chain check can still hash it for the line after it.
struct LogLine {
    int number = 0;    // from 1
    std::string text;  // without the line end
    bool valid = false;
    LogEntry entry;  // when valid
};

struct EvidenceLog {
    std::vector<LogLine> lines;
    std::vector<int> damagedLines() const;
};

// Each LF ends a line, with a CR before it dropped; a last line without a
// line end counts. Never fails: a line it cannot read is kept as damaged.
// A log this module wrote is read back into lines that write the same bytes.
EvidenceLog parseEvidenceLog(const char* data, std::size_t size);

// The line's text without its line end; empty when the entry cannot be
// written as one line (a time not of the form above, a record outside
// 0..1000, an empty path or one with a TAB or a line end).
std::string logLineText(const LogEntry& entry);

// Appends entry to log as a new line after the line whose hash is *last, sets
// entry.previous from it and moves *last on. False, with nothing changed,
// when the entry cannot be written (see logLineText).
bool appendLogLine(std::string& log, Sha256Digest& last, LogEntry entry,
                   const Sha256Function& hashLine);

// An event not yet written to any log: its file as a full Windows path,
// which becomes a manifest path only when the log is saved and its folder
// known (an untitled history's captures are in the caller's folder, its
// log goes wherever the history is saved).
struct UnwrittenEvent {
    std::string time;  // "yyyy/mm/dd hh:mm:ss"
    LogEvent event = LogEvent::capture;
    int record = 0;
    std::string windowsPath;
    Sha256Digest file;
};

// Appends the events as lines of a log beside a history in `folder`, each
// path named as that history's manifest names it (a path the manifest
// cannot name stays as it is). An event that cannot be written as a line is
// left out.
void appendLogEvents(std::string& log, Sha256Digest& last,
                     const std::vector<UnwrittenEvent>& events, const std::string& folder,
                     const Sha256Function& hashLine);

// The hash that the line after the last line of log must carry, for
// appending to a log read from disk: kLogFirstPrevious for an empty log.
Sha256Digest lastLineHash(const EvidenceLog& log, const Sha256Function& hashLine);

// The first line whose previous hash is not the hash of the line before it
// (or not kLogFirstPrevious, for line 1), or that is damaged; 0 when the
// chain holds. An edit of line k shows at k + 1, where the link to it fails;
// a line removed, inserted or moved shows where the chain first runs through
// a line that was not there before it. Nothing after the last line can pin
// that line; the log file listed in the manifest pins it.
int firstBrokenLine(const EvidenceLog& log, const Sha256Function& hashLine);

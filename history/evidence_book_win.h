// The evidence kept with the history: the SHA-256 of every capture, taken
// from the bytes written, and the chained log of what happened to the
// records. Written beside the history CSV at each save as "<stem>.sha256"
// (history/evidence_manifest.h) and "<stem>.zlog" (history/evidence_log.h);
// an untitled history keeps them in memory until its first save.
#pragma once

#include <windows.h>

#include <future>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/sha256.h"
#include "history/evidence_log.h"
#include "history/history.h"

class EvidenceBook {
  public:
    // A new history: nothing known, no log.
    void reset();
    // A history just read: the digests of the manifest beside it (the files
    // as they were pinned, not as they are now) and its log to go on.
    void load(const History& current);

    // A capture written to `path` (full Windows path) as record `record`
    // (from 1), with the digest of the bytes written.
    void captured(int record, const std::string& path, const Sha256Digest& digest);
    // The same with the digest still being taken on another thread (false
    // when it could not be). It is waited for before the next event, the
    // next save and flush().
    void capturedLater(int record, const std::string& path,
                       std::future<std::pair<bool, Sha256Digest>> digest);
    // Waits for a digest still being taken and records it.
    void flush();
    // Any other event on a record's picture; its digest is the one known, or
    // the file's as it is now.
    void event(LogEvent what, int record, const std::string& path);

    // Writes the log (with a save line) and the manifest beside csvPath, each
    // to a temporary file then moved. False, after a message owned by
    // `owner`, when either cannot be written.
    bool save(const History& current, HWND owner);

    // The digest of a file as pinned at its capture or import, or read with
    // the manifest; false when it was never pinned (the file is not read).
    bool pinned(const std::string& path, Sha256Digest& out);
    // The digest of a record's picture as pinned (known), else of the file
    // now; false when there is neither.
    bool digestOf(const std::string& path, Sha256Digest& out);

  private:
    std::map<std::string, Sha256Digest> known_;  // by the name as Windows compares it
    std::string log_;  // the lines already in a log on disk (or read from one)
    Sha256Digest last_{};
    // The events since, spelled only at the save, for the folder the log
    // then goes to.
    std::vector<UnwrittenEvent> unwritten_;
    std::string folder_;  // the history's, which the manifest read is relative to

    struct Pending {
        int record = 0;
        std::string path;
        std::future<std::pair<bool, Sha256Digest>> digest;
    };
    std::optional<Pending> pending_;

    void append(LogEvent what, int record, const std::string& path, const Sha256Digest& digest);
};

extern EvidenceBook evidenceBook;

// The SHA-256 of a file read in pieces; false when it cannot be read.
bool HashFile(const std::string& path, Sha256Digest& out);

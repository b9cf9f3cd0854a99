// What the verify command finds: every record's files against the manifest,
// the log's chain, and the records' order against the log. Platform-free:
// the files are hashed by the caller's function, and only the files the
// records name are ever hashed, never one that a manifest line names, so a
// hand-edited manifest cannot make the command open anything.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/sha256.h"
#include "history/evidence_log.h"
#include "history/evidence_manifest.h"

// reencoded: a picture that a PDF pack holds re-compressed, whose file bytes
// are no longer there to check.
enum class FileState { match, changed, missing, unlisted, reencoded };

// "一致", "変更あり", "見つかりません", "未登録", "PDF内で再圧縮: 照合できません".
const char* fileStateText(FileState state);

// A record's files as full Windows paths (history_paths.h resolves them).
struct EvidenceRecord {
    std::string picture;
    std::string description;          // empty for none
    std::vector<std::string> others;  // e.g. an annotated copy of the picture
};

// False when the file is not there or cannot be read.
using FileHashFunction = std::function<bool(const std::string& windowsPath, Sha256Digest& out)>;

struct VerifyInput {
    std::string manifestFolder;  // the history's folder
    // Folders besides manifestFolder and the folders of the records' files
    // that a manifest line may name (the capture folder).
    std::vector<std::string> allowedFolders;
    std::vector<EvidenceRecord> records;
    const Manifest* manifest = nullptr;  // nullptr: the history has none
    const EvidenceLog* log = nullptr;    // nullptr: the history has none
    std::string logPath;                 // the log file, when the manifest lists it
    FileHashFunction hashFile;
    Sha256Function hashLine;
};

enum class FileRole { picture, description, other, log };

struct VerifiedFile {
    int record = 0;  // from 1; 0 for the log file
    FileRole role = FileRole::picture;
    std::string path;  // as the manifest names it, or the Windows path when it cannot
    FileState state = FileState::unlisted;
    bool afterwards = false;  // its manifest entry was made afterwards
};

enum class ManifestIssue { damaged, refused, notInHistory };

struct ManifestNote {
    int line = 0;
    ManifestIssue issue = ManifestIssue::damaged;
    PlaceCheck place = PlaceCheck::ok;  // for refused
    std::string path;                   // for refused and notInHistory
};

// A record whose picture the log places at another number (logRecord, 0 when
// the log never names it), or with record 0, a picture the log has at
// logRecord that no record has.
struct OrderNote {
    int record = 0;
    int logRecord = 0;
    std::string path;
};

struct VerifyResult {
    bool hasManifest = false;
    bool hasLog = false;
    std::vector<VerifiedFile> files;
    std::vector<ManifestNote> manifestNotes;  // by line
    int chainBrokenAt = 0;                    // 0: intact
    std::vector<int> logDamagedLines;         // ascending; a line cut short is one
    std::vector<OrderNote> order;
};

VerifyResult verifyEvidence(const VerifyInput& input);

// True when nothing was found: a manifest and a log, every file 一致, no
// line of either unread or refused, the chain intact, the order the log's.
bool verifyClean(const VerifyResult& result);

// The list as the command shows it and saves it: CP932 lines ended by CR LF.
std::string verifyReportText(const VerifyResult& result);

// A manifest made from the files as they are now, each entry marked as made
// afterwards. A file that is missing or cannot be named in a manifest is
// left out and its Windows path added to leftOut.
std::vector<ManifestEntry> manifestFromFiles(const std::string& manifestFolder,
                                             const std::vector<EvidenceRecord>& records,
                                             const FileHashFunction& hashFile,
                                             std::vector<std::string>& leftOut);

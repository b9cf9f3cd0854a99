// Which file of a record a report or a workbook shows: its picture, the
// flattened picture of its annotations, or none at all when only the
// unmasked original is there. One rule for both outputs. Platform-free:
// the file system is asked through PictureFiles.
#pragma once

#include <functional>
#include <string>

#include "base/sha256.h"
#include "picture/annotation_file.h"

struct PictureFiles {
    // A file (not a folder) at the CP932 path.
    std::function<bool(const std::string& path)> exists;
    // Its bytes; false when it cannot be read.
    std::function<bool(const std::string& path, std::string& bytes)> read;
};

struct ExportPicture {
    annotation::ExportChoice choice = annotation::ExportChoice::original;
    // The file to show: the record's picture, or its flattened picture;
    // empty when withheld, so that nothing reads the original by mistake.
    std::string path;
};

// For the record's resolved picture path. A record whose file is no
// picture (a text record), or files without `exists`, goes as it is.
ExportPicture exportPicture(const std::string& picturePath, const PictureFiles& files);

// What stands in place of a withheld picture (CP932).
extern const char* const kWithheldPictureNote;

// The SHA-256 of what goes out, for the report and the workbook. The shell,
// which keeps the evidence, hands in the digests pinned when the pictures
// were captured or imported; a file never pinned is hashed as it is now. The
// manifest's own digest pins the whole set on a printed cover.
struct ExportDigests {
    // The digest pinned for a file; false when it was never pinned.
    std::function<bool(const std::string& path, Sha256Digest& out)> pinned;
    // The digest of the file as it is now; false when it cannot be read.
    std::function<bool(const std::string& path, Sha256Digest& out)> ofFile;
    std::string manifestName;  // CP932 name of the manifest beside the history; empty: none
    Sha256Digest manifest{};
    bool unsavedChanges = false;  // the history has changes the manifest does not hold
};

// The digest shown for the file a record shows, as 64 hex digits: the one
// pinned for an original picture, else the file's as it is now (a flattened
// picture is the editor's, made again at each edit); empty when unknown.
std::string exportDigestHex(const ExportDigests& digests, const ExportPicture& picture);

// The cover's line on the manifest (CP932), e.g.
// "マニフェスト a.sha256  SHA-256: <64 hex>".
std::string manifestCoverLine(const ExportDigests& digests);

// What stands in place of a record's digest that cannot be taken (CP932).
extern const char* const kDigestUnknown;

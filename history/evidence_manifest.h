// The evidence manifest, "<history stem>.sha256" beside the history CSV: one
// line per file in the text format of sha256sum, so that `sha256sum -c`
// (Git Bash, WSL, Linux) and a PowerShell loop over Get-FileHash check the
// files without Zelcap. Platform-free.
//
// The file, as written:
// - "<64 lower-case hex>  <path>" (two spaces: sha256sum's text mode), LF
//   line ends, as sha256sum itself writes them. The paths are UTF-8, as
//   those tools take a name on every system that runs them (Zelcap's other
//   texts are CP932); a path whose CP932 bytes would not come back from
//   UTF-8 unchanged keeps its bytes. Manifests written before were CP932
//   throughout and read as they are: a name that is not well-formed UTF-8
//   is taken as CP932.
// - <path> is relative to the manifest's folder with '/' separators when the
//   file is on the same drive (or share), "../" for each folder it climbs
//   ("../caps/a000001.bmp"), so that the history's folder and its pictures
//   can move together; a file on another drive is absolute: "D:/caps/
//   a000001.bmp" for a drive, "//server/share/a.bmp" for a share (the form
//   Git Bash opens). Older manifests named every file outside the folder
//   absolutely; those read as they are.
// - A file whose hash was taken afterwards (the verify command's "make one
//   from the files as they are now") has the comment line kAfterwardsMark
//   right before its entry. sha256sum skips lines that start with '#', also
//   with --strict, so the mark costs the standard tools nothing.
//
// Read leniently where that cannot mislead: upper-case hex, sha256sum's
// binary mark ("<hex> *<path>"), its escaped form (a line starting with '\'
// whose name has "\\", "\n" and "\r"), CR LF line ends. Other comments are
// skipped and are not written back. Anything else is a damaged line, named by
// its line number; the lines around it still count.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/sha256.h"

constexpr char kAfterwardsMark[] = "# zelcap: made afterwards";

struct ManifestEntry {
    Sha256Digest digest;
    std::string path;         // as in the file (see above), unescaped
    bool binary = false;      // written "<hex> *<path>"
    bool afterwards = false;  // preceded by kAfterwardsMark
    int line = 0;             // where it was read, from 1; 0 for a new entry
};

struct Manifest {
    std::vector<ManifestEntry> entries;
    std::vector<int> damagedLines;  // ascending
};

Manifest parseManifest(const char* data, std::size_t size);

// The file's bytes. A path with a line end in it is written in sha256sum's
// escaped form, so every entry survives; the path rules below never make one.
// A manifest this writes parses back to the same entries and writes again to
// the same bytes; a hand-made one may differ only in the lenient forms above.
std::string writeManifest(const std::vector<ManifestEntry>& entries);

// The manifest path of a file (CP932, as in the entries). manifestFolder
// and windowsPath are full Windows paths ("C:\hist", "\\server\share\caps\a.bmp";
// '/' counts as a separator too); a folder's trailing separator is allowed.
// Folder names compare with ASCII letters folded: a full-width letter that
// differs only in case makes the path climb where it need not, which names
// the same file all the same.
// False when the path cannot stand in a manifest that the verify command
// would accept back: not a full path, an empty, "." or ".." part, a part
// ending in a dot or a space, a character Windows forbids in names (control
// characters, < > : " | ? *), a device name. The caller then leaves the file
// out and says so; the verify command lists it as 未登録.
bool manifestPathFor(const std::string& manifestFolder, const std::string& windowsPath,
                     std::string& out);

// Appends the entry for a file and its digest; false, with nothing added,
// when manifestPathFor refuses the path.
bool addManifestEntry(std::vector<ManifestEntry>& entries, const std::string& manifestFolder,
                      const std::string& windowsPath, const Sha256Digest& digest, bool afterwards);

enum class PlaceCheck {
    ok,
    malformed,   // empty part, forbidden character, drive-relative or rootless
    climbs,      // relative, but out of every allowed folder (or above the root)
    device,      // CON, NUL, COM1 ... anywhere in the path
    notAllowed,  // absolute, but in none of the allowed folders
    tooLong,     // longer than a history path can be
};

// The Windows path that a manifest path names, for files the verify command
// may open: relative or absolute, it must land inside manifestFolder or one
// of allowedFolders (full Windows paths: the folders the history uses), each
// folder with everything below it. "." parts are dropped and ".." parts
// taken back; where they lead matters, not the way there. A share named in a manifest is refused unless it is allowed,
// so that a hand-edited line cannot make the program reach for another
// machine. out is set only for ok.
PlaceCheck windowsPathFor(const std::string& manifestFolder, const std::string& manifestPath,
                          const std::vector<std::string>& allowedFolders, std::string& out);

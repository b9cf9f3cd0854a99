#include "history/evidence_manifest.h"

#include <cstring>

#include "base/cp932.h"
#include "base/text_encoding.h"
#include "settings/settings.h"

namespace {

// ---- the file format --------------------------------------------------------

// The path as the file spells it. UTF-8 is what sha256sum and its kin take
// a name as on every system that runs them; a path whose CP932 bytes would
// not come back from its UTF-8 unchanged (a character Windows writes two
// ways, a torn lead byte of a hand-made line) keeps its bytes, so that a
// manifest read and written again stays the same file.
std::string spelledInFile(const std::string& path) {
    std::string utf8 = text_encoding::cp932ToUtf8(path);
    std::string back;
    return text_encoding::utf8ToCp932(utf8, back) && back == path ? utf8 : path;
}

// The CP932 path of a name as the file spells it: UTF-8 as Zelcap writes
// it now, or CP932 as it wrote it before, which is seldom well-formed UTF-8
// (a lead byte 0x81-0x9F never starts a UTF-8 character).
std::string spelledInMemory(const std::string& name) {
    std::string cp932;
    return text_encoding::isUtf8(name) && text_encoding::utf8ToCp932(name, cp932) ? cp932 : name;
}

bool parseEntry(const char* s, std::size_t n, ManifestEntry& entry) {
    bool escaped = false;
    if (n > 0 && s[0] == '\\') {
        escaped = true;
        ++s;
        --n;
    }
    if (n < kSha256HexLength + 3 || !parseSha256Hex(s, kSha256HexLength, entry.digest) ||
        s[kSha256HexLength] != ' ' ||
        (s[kSha256HexLength + 1] != ' ' && s[kSha256HexLength + 1] != '*'))
        return false;
    entry.binary = s[kSha256HexLength + 1] == '*';
    const char* name = s + kSha256HexLength + 2;
    const std::size_t nameLength = n - kSha256HexLength - 2;
    if (!escaped) {
        entry.path = spelledInMemory(std::string(name, nameLength));
        return true;
    }
    // sha256sum escapes byte by byte, trail bytes included, so this is
    // undone byte by byte as well.
    entry.path.clear();
    for (std::size_t i = 0; i < nameLength; ++i) {
        if (name[i] != '\\') {
            entry.path += name[i];
            continue;
        }
        if (++i == nameLength)
            return false;
        switch (name[i]) {
            case '\\':
                entry.path += '\\';
                break;
            case 'n':
                entry.path += '\n';
                break;
            case 'r':
                entry.path += '\r';
                break;
            default:
                return false;
        }
    }
    entry.path = spelledInMemory(entry.path);
    return true;
}

bool needsEscape(const std::string& path) {
    return path.find_first_of("\r\n") != std::string::npos;
}

// ---- paths ------------------------------------------------------------------

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

bool isDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The parts between separators from text[from], as written (empty ones too).
// Only a separator at a character boundary counts.
std::vector<std::string> splitParts(const std::string& text, std::size_t from) {
    std::vector<std::string> parts(1);
    for (std::size_t i = from; i < text.size();) {
        const std::size_t n = cp932::charLength(text.data(), text.size(), i);
        if (n == 1 && isSeparator(text[i]))
            parts.emplace_back();
        else
            parts.back().append(text, i, n);
        i += n;
    }
    return parts;
}

enum class Part { name, empty, dot, dotDot, device, bad };

bool isDeviceName(const std::string& part) {
    // Windows opens the device for "nul.txt" and "COM1 .bmp" as well.
    std::size_t end = part.find('.');
    if (end == std::string::npos)
        end = part.size();
    while (end > 0 && part[end - 1] == ' ')
        --end;
    std::string base;
    for (std::size_t i = 0; i < end; ++i)
        base += part[i] >= 'a' && part[i] <= 'z' ? static_cast<char>(part[i] - 32) : part[i];
    static const char* const fixed[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* name : fixed)
        if (base == name)
            return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '0' && base[3] <= '9';
}

Part classify(const std::string& part) {
    if (part.empty())
        return Part::empty;
    if (part == ".")
        return Part::dot;
    if (part == "..")
        return Part::dotDot;
    // Windows drops trailing dots and spaces: ".. " would climb, "a.bmp."
    // would open another file than sha256sum does.
    if (part.back() == '.' || part.back() == ' ')
        return part.find_first_not_of(". ") == std::string::npos &&
                       part.find("..") != std::string::npos
                   ? Part::dotDot
                   : Part::bad;
    for (std::size_t i = 0; i < part.size();) {
        const std::size_t n = cp932::charLength(part.data(), part.size(), i);
        const unsigned char c = static_cast<unsigned char>(part[i]);
        if (n == 1 && (c < 0x20 || c == 0x7F || std::strchr("<>:\"|?*", c) != nullptr))
            return Part::bad;
        i += n;
    }
    return isDeviceName(part) ? Part::device : Part::name;
}

// A full path as root ("C:" or "//server/share", as the manifest spells it)
// and its parts below the root.
struct FullPath {
    std::string root;
    std::vector<std::string> parts;
};

// Where the parts of a full path start, with its root; npos when the text
// does not begin with a drive and separator or with a share.
std::size_t splitRoot(const std::string& text, std::string& root) {
    if (text.size() >= 3 && isDriveLetter(text[0]) && text[1] == ':' && isSeparator(text[2])) {
        root = text.substr(0, 2);
        return 3;
    }
    if (text.size() < 2 || !isSeparator(text[0]) || !isSeparator(text[1]))
        return std::string::npos;
    const std::vector<std::string> parts = splitParts(text, 2);
    if (parts.size() < 2 || classify(parts[0]) != Part::name || classify(parts[1]) != Part::name)
        return std::string::npos;
    root = "//" + parts[0] + "/" + parts[1];
    return 2 + parts[0].size() + 1 + parts[1].size() + 1;
}

// A full path whose every part is a plain name; a folder may end in one
// separator.
bool parseFull(const std::string& text, bool folder, FullPath& out) {
    const std::size_t from = splitRoot(text, out.root);
    if (from == std::string::npos)
        return false;
    out.parts.clear();
    if (from >= text.size())
        return folder;  // "C:\" or "\\server\share\"
    out.parts = splitParts(text, from);
    if (folder && out.parts.back().empty())
        out.parts.pop_back();
    for (const std::string& part : out.parts)
        if (classify(part) != Part::name)
            return false;
    return !out.parts.empty() || folder;
}

bool samePart(const std::string& a, const std::string& b) {
    return cp932::equalFoldingAscii(a.data(), a.size(), b.data(), b.size());
}

// file lies in folder or below it.
bool isInside(const FullPath& folder, const FullPath& file) {
    if (!samePart(folder.root, file.root) || file.parts.size() <= folder.parts.size())
        return false;
    for (std::size_t i = 0; i < folder.parts.size(); ++i)
        if (!samePart(folder.parts[i], file.parts[i]))
            return false;
    return true;
}

std::string joined(const std::vector<std::string>& parts, std::size_t from, char separator) {
    std::string text;
    for (std::size_t i = from; i < parts.size(); ++i) {
        if (i > from)
            text += separator;
        text += parts[i];
    }
    return text;
}

std::string windowsText(const FullPath& path) {
    std::string text = path.root;
    for (char& c : text)
        if (c == '/')
            c = '\\';
    return text + '\\' + joined(path.parts, 0, '\\');
}

}  // namespace

Manifest parseManifest(const char* data, std::size_t size) {
    Manifest manifest;
    bool marked = false;
    int line = 0;
    for (std::size_t start = 0; start < size;) {
        ++line;
        const std::size_t end = cp932::find(data + start, size - start, '\n') + start;
        std::size_t n = end - start;
        if (n > 0 && data[start + n - 1] == '\r')
            --n;
        const char* s = data + start;
        start = end + 1;
        const bool mark =
            n == std::strlen(kAfterwardsMark) && std::memcmp(s, kAfterwardsMark, n) == 0;
        if (n > 0 && s[0] == '#') {
            marked = mark;
            continue;
        }
        ManifestEntry entry;
        if (parseEntry(s, n, entry)) {
            entry.afterwards = marked;
            entry.line = line;
            manifest.entries.push_back(std::move(entry));
        } else {
            manifest.damagedLines.push_back(line);
        }
        marked = false;
    }
    return manifest;
}

std::string writeManifest(const std::vector<ManifestEntry>& entries) {
    std::string text;
    for (const ManifestEntry& entry : entries) {
        if (entry.afterwards) {
            text += kAfterwardsMark;
            text += '\n';
        }
        const std::string path = spelledInFile(entry.path);
        const bool escape = needsEscape(path);
        if (escape)
            text += '\\';
        text += sha256Hex(entry.digest);
        text += entry.binary ? " *" : "  ";
        if (!escape) {
            text += path;
        } else {
            for (char c : path)
                text += c == '\\'   ? "\\\\"
                        : c == '\n' ? "\\n"
                        : c == '\r' ? "\\r"
                                    : std::string(1, c);
        }
        text += '\n';
    }
    return text;
}

bool manifestPathFor(const std::string& manifestFolder, const std::string& windowsPath,
                     std::string& out) {
    FullPath file;
    if (!parseFull(windowsPath, false, file))
        return false;
    FullPath folder;
    if (!parseFull(manifestFolder, true, folder) || !samePart(folder.root, file.root)) {
        out = file.root + "/" + joined(file.parts, 0, '/');
        return true;
    }
    // Below the parts both share, "../" for each of the folder's own.
    std::size_t common = 0;
    while (common < folder.parts.size() && common + 1 < file.parts.size() &&
           samePart(folder.parts[common], file.parts[common]))
        ++common;
    out.clear();
    for (std::size_t i = common; i < folder.parts.size(); ++i)
        out += "../";
    out += joined(file.parts, common, '/');
    return true;
}

bool addManifestEntry(std::vector<ManifestEntry>& entries, const std::string& manifestFolder,
                      const std::string& windowsPath, const Sha256Digest& digest, bool afterwards) {
    ManifestEntry entry;
    if (!manifestPathFor(manifestFolder, windowsPath, entry.path))
        return false;
    entry.digest = digest;
    entry.afterwards = afterwards;
    entries.push_back(std::move(entry));
    return true;
}

PlaceCheck windowsPathFor(const std::string& manifestFolder, const std::string& manifestPath,
                          const std::vector<std::string>& allowedFolders, std::string& out) {
    FullPath folder;
    if (!parseFull(manifestFolder, true, folder))
        return PlaceCheck::notAllowed;
    FullPath file;
    std::size_t from = splitRoot(manifestPath, file.root);
    const bool absolute = from != std::string::npos;
    if (!absolute) {
        // "C:a.bmp" is relative to that drive's current folder, "\a.bmp" to
        // the current drive's root: neither names a fixed place.
        if (manifestPath.empty() || isSeparator(manifestPath[0]) ||
            (manifestPath.size() >= 2 && isDriveLetter(manifestPath[0]) && manifestPath[1] == ':'))
            return PlaceCheck::malformed;
        file = folder;
        from = 0;
    }
    if (from >= manifestPath.size())
        return PlaceCheck::malformed;
    // Every part is judged before any is used, so that a device name is
    // refused even behind a part that climbs.
    const std::vector<std::string> parts = splitParts(manifestPath, from);
    PlaceCheck worst = PlaceCheck::ok;
    for (const std::string& part : parts) {
        const Part kind = classify(part);
        if (kind == Part::device)
            return PlaceCheck::device;
        if (kind == Part::empty || kind == Part::bad)
            worst = PlaceCheck::malformed;
    }
    if (worst != PlaceCheck::ok)
        return worst;
    for (const std::string& part : parts) {
        const Part kind = classify(part);
        if (kind == Part::dot)
            continue;
        if (kind == Part::dotDot) {
            if (file.parts.empty())
                return PlaceCheck::climbs;
            file.parts.pop_back();
            continue;
        }
        file.parts.push_back(part);
    }
    if (file.parts.empty() || parts.back() == "." || parts.back() == "..")
        return PlaceCheck::malformed;  // names a folder, not a file
    bool allowed = isInside(folder, file);
    for (std::size_t i = 0; !allowed && i < allowedFolders.size(); ++i) {
        FullPath place;
        allowed = parseFull(allowedFolders[i], true, place) && isInside(place, file);
    }
    if (!allowed)
        return absolute ? PlaceCheck::notAllowed : PlaceCheck::climbs;
    std::string text = windowsText(file);
    if (text.size() > static_cast<std::size_t>(kPathSize - 1))
        return PlaceCheck::tooLong;
    out = std::move(text);
    return PlaceCheck::ok;
}

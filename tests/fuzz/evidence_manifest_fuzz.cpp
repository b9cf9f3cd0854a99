// The evidence manifest's parser and writer, and the path rule on every path
// a manifest can hold. Properties:
// - what the parser reads, the writer writes so that it reads back to the
//   same entries and writes again to the same bytes;
// - a path the rule lets through is inside the manifest's folder or an
//   allowed one, climbs nowhere, fits a history path, and names itself
//   again after a trip through manifestPathFor.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "history/evidence_manifest.h"
#include "settings/settings.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

const std::string kFolder = "C:\\hist";
const std::vector<std::string> kAllowed = {"D:\\caps", "\\\\srv\\share"};

bool sameEntries(const std::vector<ManifestEntry>& a, const std::vector<ManifestEntry>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].digest != b[i].digest || a[i].path != b[i].path || a[i].binary != b[i].binary ||
            a[i].afterwards != b[i].afterwards)
            return false;
    return true;
}

// The parts of a Windows path between real backslashes.
std::vector<std::string> parts(const std::string& path) {
    std::vector<std::string> out(1);
    for (std::size_t i = 0; i < path.size();) {
        const std::size_t n = cp932::charLength(path.data(), path.size(), i);
        if (n == 1 && path[i] == '\\')
            out.emplace_back();
        else
            out.back().append(path, i, n);
        i += n;
    }
    return out;
}

bool startsWithFolded(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() + 1 && path[folder.size()] == '\\' &&
           cp932::equalFoldingAscii(path.data(), folder.size(), folder.data(), folder.size());
}

void checkPath(const std::string& manifestPath) {
    std::string windowsPath;
    if (windowsPathFor(kFolder, manifestPath, kAllowed, windowsPath) != PlaceCheck::ok)
        return;
    FUZZ_CHECK(windowsPath.size() <= static_cast<std::size_t>(kPathSize - 1));
    FUZZ_CHECK(startsWithFolded(windowsPath, kFolder) ||
               startsWithFolded(windowsPath, kAllowed[0]) ||
               startsWithFolded(windowsPath, kAllowed[1]));
    const std::vector<std::string> split = parts(windowsPath);
    for (std::size_t i = windowsPath[0] == '\\' ? 2 : 0; i < split.size(); ++i)
        FUZZ_CHECK(!split[i].empty() && split[i] != "." && split[i] != "..");
    std::string again;
    FUZZ_CHECK(manifestPathFor(kFolder, windowsPath, again));
    std::string back;
    FUZZ_CHECK(windowsPathFor(kFolder, again, kAllowed, back) == PlaceCheck::ok);
    FUZZ_CHECK(
        back == windowsPath ||
        cp932::equalFoldingAscii(back.data(), back.size(), windowsPath.data(), windowsPath.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const Manifest manifest = parseManifest(input.data(), input.size());
    int previous = 0;
    for (const ManifestEntry& entry : manifest.entries) {
        FUZZ_CHECK(entry.line > previous && !entry.path.empty());
        previous = entry.line;
        checkPath(entry.path);
    }
    const std::string written = writeManifest(manifest.entries);
    const Manifest again = parseManifest(written.data(), written.size());
    FUZZ_CHECK(again.damagedLines.empty());
    FUZZ_CHECK(sameEntries(again.entries, manifest.entries));
    FUZZ_CHECK(writeManifest(again.entries) == written);
    // The whole input as one path too: the rule sees any bytes.
    checkPath(input);
    return 0;
}

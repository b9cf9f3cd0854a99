// The manifest's path rule both ways, its parser and writer, and what GNU
// sha256sum -c makes of a manifest the writer wrote.
#include "history/evidence_manifest.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "tests/native/openssl_sha256.h"

namespace {

const std::string kFolder = "C:\\hist";
const std::vector<std::string> kAllowed = {"D:\\caps", "\\\\srv\\share\\caps"};

TEST(EvidenceManifest, PathOfAFileAndBack) {
    struct Case {
        const char* windowsPath;
        const char* manifestPath;  // nullptr: cannot be named
    };
    const Case cases[] = {
        {"C:\\hist\\a000001.bmp", "a000001.bmp"},
        {"c:\\HIST\\sub\\a.jpg", "sub/a.jpg"},
        {"C:/hist/b.png", "b.png"},
        // The trail byte 0x5C of 表 and ソ is no separator.
        {"C:\\hist\\表\\ソ.bmp", "表/ソ.bmp"},
        // The same drive climbs, so that sha256sum finds the file from
        // the manifest's folder wherever the drive is mounted.
        {"C:\\histories\\a.bmp", "../histories/a.bmp"},
        {"C:\\caps\\表\\a.bmp", "../caps/表/a.bmp"},
        {"C:\\a.bmp", "../a.bmp"},
        {"D:\\caps\\表.bmp", "D:/caps/表.bmp"},
        {"\\\\srv\\share\\caps\\a.bmp", "//srv/share/caps/a.bmp"},
        {"a.bmp", nullptr},
        {"C:a.bmp", nullptr},
        {"\\a.bmp", nullptr},
        {"C:\\hist\\..\\a.bmp", nullptr},
        {"C:\\hist\\.\\a.bmp", nullptr},
        {"C:\\hist\\\\a.bmp", nullptr},
        {"C:\\hist\\CON.txt", nullptr},
        {"C:\\hist\\lpt1", nullptr},
        {"C:\\hist\\a?.bmp", nullptr},
        {"C:\\hist\\a.bmp:x", nullptr},
        {"C:\\hist\\a.bmp.", nullptr},
        {"C:\\hist\\a\nb.bmp", nullptr},
        {"C:\\hist\\", nullptr},
    };
    std::vector<std::string> allowed = kAllowed;
    allowed.push_back("C:\\caps");
    allowed.push_back("C:\\histories");
    allowed.push_back("C:\\");
    for (const Case& c : cases) {
        std::string path = "unset";
        const bool named = manifestPathFor(kFolder, c.windowsPath, path);
        ASSERT_EQ(named, c.manifestPath != nullptr) << c.windowsPath;
        if (!named)
            continue;
        EXPECT_EQ(path, c.manifestPath);
        // Whatever the writer names, the verify command takes back.
        std::string back;
        EXPECT_EQ(windowsPathFor(kFolder, path, allowed, back), PlaceCheck::ok) << path;
        std::string again;
        EXPECT_TRUE(manifestPathFor(kFolder, back, again));
        EXPECT_EQ(again, path);
    }
}

TEST(EvidenceManifest, OnlyAllowedPlacesAreNamed) {
    struct Case {
        const char* manifestPath;
        PlaceCheck check;
        const char* windowsPath;
    };
    const Case cases[] = {
        {"a.bmp", PlaceCheck::ok, "C:\\hist\\a.bmp"},
        {"表/a.bmp", PlaceCheck::ok, "C:\\hist\\表\\a.bmp"},
        {"./sub/../b.bmp", PlaceCheck::ok, "C:\\hist\\b.bmp"},
        {"D:/caps/x/a.bmp", PlaceCheck::ok, "D:\\caps\\x\\a.bmp"},
        {"d:\\CAPS\\a.bmp", PlaceCheck::ok, "d:\\CAPS\\a.bmp"},
        {"C:/hist/a.bmp", PlaceCheck::ok, "C:\\hist\\a.bmp"},
        {"//srv/share/caps/a.bmp", PlaceCheck::ok, "\\\\srv\\share\\caps\\a.bmp"},
        {"../a.bmp", PlaceCheck::climbs, nullptr},
        {"../../../a.bmp", PlaceCheck::climbs, nullptr},
        {"sub/../../a.bmp", PlaceCheck::climbs, nullptr},
        {"..\\Windows\\win.ini", PlaceCheck::climbs, nullptr},
        {".. /a.bmp", PlaceCheck::climbs, nullptr},
        {"D:/caps/../Windows/win.ini", PlaceCheck::notAllowed, nullptr},
        {"D:/capsule/a.bmp", PlaceCheck::notAllowed, nullptr},
        {"E:/a.bmp", PlaceCheck::notAllowed, nullptr},
        {"//evil/share/a.bmp", PlaceCheck::notAllowed, nullptr},
        {"//srv/share/a.bmp", PlaceCheck::notAllowed, nullptr},
        {"nul", PlaceCheck::device, nullptr},
        {"sub/com1.txt", PlaceCheck::device, nullptr},
        {"../CON", PlaceCheck::device, nullptr},
        {"//./pipe/x", PlaceCheck::malformed, nullptr},
        {"//?/C:/hist/a.bmp", PlaceCheck::malformed, nullptr},
        {"/etc/passwd", PlaceCheck::malformed, nullptr},
        {"C:a.bmp", PlaceCheck::malformed, nullptr},
        {"a.bmp:stream", PlaceCheck::malformed, nullptr},
        {"a//b.bmp", PlaceCheck::malformed, nullptr},
        {"sub/", PlaceCheck::malformed, nullptr},
        {"sub/..", PlaceCheck::malformed, nullptr},
        {"", PlaceCheck::malformed, nullptr},
        {"a\tb.bmp", PlaceCheck::malformed, nullptr},
    };
    for (const Case& c : cases) {
        std::string out = "unset";
        EXPECT_EQ(windowsPathFor(kFolder, c.manifestPath, kAllowed, out), c.check)
            << c.manifestPath;
        EXPECT_EQ(out, c.windowsPath != nullptr ? c.windowsPath : "unset") << c.manifestPath;
    }
    std::string out;
    EXPECT_EQ(windowsPathFor(kFolder, std::string(260, 'a'), kAllowed, out), PlaceCheck::tooLong);
}

// A climb is judged by where it lands: into a folder the history uses it
// opens, anywhere else it does not.
TEST(EvidenceManifest, AClimbLandsInAnAllowedFolderOrNowhere) {
    const std::vector<std::string> allowed = {"C:\\caps", "C:\\写真\\表"};
    struct Case {
        const char* manifestPath;
        PlaceCheck check;
        const char* windowsPath;
    };
    const Case cases[] = {
        {"../caps/a.bmp", PlaceCheck::ok, "C:\\caps\\a.bmp"},
        {"../写真/表/ソ.bmp", PlaceCheck::ok, "C:\\写真\\表\\ソ.bmp"},
        {"../hist/../caps/sub/a.bmp", PlaceCheck::ok, "C:\\caps\\sub\\a.bmp"},
        {"../写真/a.bmp", PlaceCheck::climbs, nullptr},
        {"../capsule/a.bmp", PlaceCheck::climbs, nullptr},
        {"../caps/../Windows/win.ini", PlaceCheck::climbs, nullptr},
        // The old form named every file outside the folder absolutely.
        {"C:/caps/a.bmp", PlaceCheck::ok, "C:\\caps\\a.bmp"},
    };
    for (const Case& c : cases) {
        std::string out = "unset";
        EXPECT_EQ(windowsPathFor(kFolder, c.manifestPath, allowed, out), c.check)
            << c.manifestPath;
        EXPECT_EQ(out, c.windowsPath != nullptr ? c.windowsPath : "unset") << c.manifestPath;
    }
}

// The file holds UTF-8 names; the entries, like every text of the program,
// CP932. Manifests written before held CP932 names and read the same.
TEST(EvidenceManifest, NamesAreUtf8InTheFileAndOldCp932OnesStillRead) {
    const std::string hex(64, 'a');
    const std::string cp932Name = "../写真/表.bmp";  // CP932 bytes, as compiled
    const std::string utf8Name = "../\xE5\x86\x99\xE7\x9C\x9F/\xE8\xA1\xA8.bmp";
    ManifestEntry entry;
    entry.path = cp932Name;
    ASSERT_TRUE(parseSha256Hex(hex.data(), hex.size(), entry.digest));
    const std::string written = writeManifest({entry});
    EXPECT_EQ(written, hex + "  " + utf8Name + "\n");

    struct Case {
        std::string line;
        std::string path;
    };
    const Case cases[] = {
        {hex + "  " + utf8Name, cp932Name},
        {hex + "  C:/写真/表.bmp", "C:/写真/表.bmp"},  // an old manifest's CP932 line
        {"\\" + hex + "  " + utf8Name + "\\n", cp932Name + "\n"},
        // UTF-8 that CP932 cannot hold stays as it is: the file it names is
        // no record's, and the verify command lists the line so.
        {hex + "  \xF0\x9F\x98\x80.bmp", "\xF0\x9F\x98\x80.bmp"},
    };
    for (const Case& c : cases) {
        const std::string text = c.line + "\n";
        const Manifest m = parseManifest(text.data(), text.size());
        ASSERT_EQ(m.entries.size(), 1u) << c.line;
        EXPECT_EQ(m.entries[0].path, c.path) << c.line;
        EXPECT_TRUE(m.damagedLines.empty());
    }
}

std::string hexOf(const std::string& message) {
    return sha256Hex(opensslSha256(message));
}

TEST(EvidenceManifest, ReadsEachLineOrNamesIt) {
    const std::string abc = hexOf("abc");
    std::string upper = abc;
    for (char& c : upper)
        c = static_cast<char>(c >= 'a' ? c - 32 : c);
    const std::string text = abc + "  a.bmp\n" +                    // 1
                             upper + " *表.bmp\r\n" +               // 2
                             "# a comment\n" +                      // 3
                             std::string(kAfterwardsMark) + "\n" +  // 4
                             abc + "  sub/b c.bmp\n" +              // 5
                             "\\" + abc + "  x\\\\y\\nz\n" +        // 6
                             abc + " a.bmp\n" +                     // 7
                             abc + "  \n" +                         // 8
                             abc.substr(1) + "  a.bmp\n" +          // 9
                             "SHA256 (a.bmp) = " + abc + "\n" +     // 10
                             "\n" +                                 // 11
                             "\\" + abc + "  bad\\q\n" +            // 12
                             abc + "  last";                        // 13
    const Manifest m = parseManifest(text.data(), text.size());
    struct Expected {
        int line;
        const char* path;
        bool binary;
        bool afterwards;
    };
    const Expected expected[] = {{1, "a.bmp", false, false},
                                 {2, "表.bmp", true, false},
                                 {5, "sub/b c.bmp", false, true},
                                 {6, "x\\y\nz", false, false},
                                 {13, "last", false, false}};
    ASSERT_EQ(m.entries.size(), std::size(expected));
    for (std::size_t i = 0; i < m.entries.size(); ++i) {
        EXPECT_EQ(m.entries[i].line, expected[i].line);
        EXPECT_EQ(m.entries[i].path, expected[i].path);
        EXPECT_EQ(m.entries[i].binary, expected[i].binary);
        EXPECT_EQ(m.entries[i].afterwards, expected[i].afterwards);
        EXPECT_EQ(sha256Hex(m.entries[i].digest), abc);
    }
    EXPECT_EQ(m.damagedLines, (std::vector<int>{7, 8, 9, 10, 11, 12}));

    // Written back in the writer's own form (the names UTF-8, line 2 read
    // as an old manifest's CP932), which reads to the same entries and
    // writes to the same bytes.
    const std::string written = writeManifest(m.entries);
    EXPECT_EQ(written, abc + "  a.bmp\n" + abc + " *" + text_encoding::cp932ToUtf8("表.bmp") +
                           "\n" + kAfterwardsMark + "\n" + abc +
                           "  sub/b c.bmp\n\\" + abc + "  x\\\\y\\nz\n" + abc + "  last\n");
    const Manifest again = parseManifest(written.data(), written.size());
    EXPECT_TRUE(again.damagedLines.empty());
    EXPECT_EQ(writeManifest(again.entries), written);
}

// sha256sum -c from the manifest's folder, as a user would run it; its exit
// status.
int sha256sumCheck(const std::filesystem::path& folder, const char* options) {
    const std::string command = "cd '" + folder.string() + "' && sha256sum -c " + options +
                                " zelcap.sha256 >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(EvidenceManifest, Sha256sumChecksWhatTheWriterWrote) {
    namespace fs = std::filesystem;
    if (std::system("sha256sum --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no sha256sum";
    const fs::path folder =
        fs::temp_directory_path() /
        ("zelcap-manifest-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::remove_all(folder);
    // The names on disk are UTF-8, as on every system sha256sum runs on; the
    // program's are CP932, the trail byte 0x5C of ソ and 表 included.
    fs::create_directories(folder / text_encoding::cp932ToUtf8("ソ"));
    struct File {
        const char* windowsPart;
        std::string posixPart;
        std::string bytes;
        bool afterwards;
    };
    const File files[] = {{"a000001.bmp", "a000001.bmp", "BM one", false},
                          {"表.png", "表.png", std::string("\x89PNG\0two", 8), false},
                          {"ソ\\メモ.txt", "ソ/メモ.txt", "three", true}};
    std::vector<ManifestEntry> entries;
    for (const File& f : files) {
        std::ofstream(folder / text_encoding::cp932ToUtf8(f.posixPart), std::ios::binary) << f.bytes;
        ASSERT_TRUE(addManifestEntry(entries, "C:\\hist", std::string("C:\\hist\\") + f.windowsPart,
                                     opensslSha256(f.bytes), f.afterwards));
    }
    std::ofstream(folder / "zelcap.sha256", std::ios::binary) << writeManifest(entries);
    EXPECT_EQ(sha256sumCheck(folder, "--strict"), 0);

    std::ofstream(folder / text_encoding::cp932ToUtf8("表.png"), std::ios::binary)
        << std::string("\x89PNG\0twO", 8);
    EXPECT_EQ(sha256sumCheck(folder, ""), 1);
    fs::remove_all(folder);
}

}  // namespace

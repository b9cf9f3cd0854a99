// The evidence kept with the history, on real files in a folder named in
// Japanese: a capture's digest stays the one of the bytes written whatever
// the list tells the book and whatever becomes of the file; the log and the
// manifest go beside the CSV and come back with it; a new history forgets
// them; the verify command finds a picture changed since.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "base/sha256.h"
#include "base/sha256_win.h"
#include "history/evidence_book_win.h"
#include "history/evidence_log.h"
#include "history/evidence_manifest.h"
#include "history/evidence_verify.h"
#include "history/evidence_verify_win.h"
#include "history/history.h"
#include "history/history_file_win.h"
#include "tests/win32/support/capture_fixture.h"

using testsupport::DialogAnswerer;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace {

const char kVerifyProgress[] = "証跡を確かめています";

Sha256Digest DigestOf(const std::string& bytes) {
    Sha256Digest d{};
    EXPECT_TRUE(win::sha256(bytes.data(), bytes.size(), d));
    return d;
}

class EvidenceBookTest : public testsupport::CaptureFixture {
  protected:
    void SetUp() override {
        CaptureFixture::SetUp();
        // ソ and 表 end in 0x5C, which a byte-wise search takes for a backslash.
        folder = InFolder("証跡ソ表");
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
        std::snprintf(history.folder, kPathSize, "%s", folder.c_str());
        evidenceBook.reset();
    }
    void TearDown() override {
        evidenceBook.reset();
        history.reset();
        CaptureFixture::TearDown();
    }
    // A capture as the road records it: the file, its record, its digest.
    std::string Capture(const char* name, const std::string& bytes) {
        const std::string path = folder + "\\" + name;
        EXPECT_TRUE(WriteFileBytes(path, bytes));
        history.appendCapture(path.c_str(), "見出し", "2026/12/10 12:00:00", 0);
        evidenceBook.captured(history.count, path, DigestOf(bytes));
        return path;
    }
    bool Pinned(const std::string& path, const Sha256Digest& expected) {
        Sha256Digest d{};
        return evidenceBook.pinned(path, d) && d == expected;
    }
    std::string CsvPath() const { return folder + "\\履歴ソ.csv"; }

    std::string folder;
};

// A pinned digest is the bytes the capture wrote: the list's imports,
// deletions and moves neither read the file again nor change it, and the
// log's line for a moved picture carries it too, even after the file was
// changed behind the book and named in another case.
TEST_F(EvidenceBookTest, PinnedDigestsSurviveTheListsNotifications) {
    const std::string first = Capture("画像表1.bmp", "the bytes written");
    const std::string imported = folder + "\\取込ソ.bmp";
    ASSERT_TRUE(WriteFileBytes(imported, "imported bytes"));
    ASSERT_TRUE(WriteFileBytes(first, "changed afterwards"));

    evidenceBook.event(LogEvent::import, 2, imported);
    ASSERT_TRUE(WriteFileBytes(imported, "imported, then changed"));
    evidenceBook.event(LogEvent::deletion, 2, imported);
    std::string upper = first;
    upper.replace(upper.size() - 3, 3, "BMP");
    evidenceBook.event(LogEvent::move, 1, upper);

    EXPECT_TRUE(Pinned(first, DigestOf("the bytes written")));
    EXPECT_TRUE(Pinned(upper, DigestOf("the bytes written")));
    EXPECT_TRUE(Pinned(imported, DigestOf("imported bytes")));

    ASSERT_TRUE(historyfile::SaveAsPath(history, CsvPath().c_str(), owner_));
    const std::string log = ReadFileBytes(folder + "\\履歴ソ.zlog");
    const EvidenceLog read = parseEvidenceLog(log.data(), log.size());
    ASSERT_EQ(read.lines.size(), 5u) << log;  // capture, import, delete, move, save
    EXPECT_EQ(firstBrokenLine(read, win::sha256OrZero), 0);
    const LogEntry& moved = read.lines[3].entry;
    EXPECT_EQ(moved.event, LogEvent::move);
    EXPECT_EQ(moved.file, DigestOf("the bytes written"));
    EXPECT_EQ(read.lines[2].entry.file, DigestOf("imported bytes"));
}

// The save writes "<stem>.zlog" and "<stem>.sha256" beside the CSV; a new
// history forgets every pin; reading the CSV again brings the pins back
// from the manifest (not from the files as they are now) and the log goes
// on from its last line; the verify command then finds the changed picture.
TEST_F(EvidenceBookTest, TheEvidenceGoesWithTheCsvAndFindsAChangedFile) {
    const std::string first = Capture("画像表1.bmp", "first picture");
    const std::string second = Capture("画像表2.bmp", "second picture");
    ASSERT_TRUE(historyfile::SaveAsPath(history, CsvPath().c_str(), owner_));
    const std::string manifestBytes = ReadFileBytes(folder + "\\履歴ソ.sha256");
    const Manifest manifest = parseManifest(manifestBytes.data(), manifestBytes.size());
    ASSERT_EQ(manifest.entries.size(), 3u) << manifestBytes;  // two pictures and the log
    EXPECT_EQ(manifest.entries[0].path, "画像表1.bmp");
    EXPECT_EQ(manifest.entries[0].digest, DigestOf("first picture"));
    EXPECT_EQ(manifest.entries[2].path, "履歴ソ.zlog");
    EXPECT_EQ(manifest.entries[2].digest, DigestOf(ReadFileBytes(folder + "\\履歴ソ.zlog")));

    VerifyFindings findings;
    {
        DialogAnswerer answers;
        answers.letRun(kVerifyProgress);
        ASSERT_TRUE(RunEvidenceVerify(owner_, &findings));
        EXPECT_EQ(answers.unexpected(), 0);
    }
    EXPECT_TRUE(verifyClean(findings.result)) << findings.text;

    ASSERT_TRUE(WriteFileBytes(second, "second picture, edited"));
    historyfile::NewHistory(history, owner_, false);
    EXPECT_FALSE(Pinned(first, DigestOf("first picture")));
    Sha256Digest none{};
    EXPECT_FALSE(evidenceBook.pinned(second, none));

    // Opened again as the open command does: the book first, then the rows.
    history.clearRecords();
    std::snprintf(history.filePath, kPathSize, "%s", CsvPath().c_str());
    std::snprintf(history.fileName, kFileNameSize, "履歴ソ.csv");
    std::snprintf(history.folder, kPathSize, "%s", folder.c_str());
    evidenceBook.load(history);
    ASSERT_EQ(historyfile::Read(history, owner_), 1);
    ASSERT_EQ(history.count, 2);
    EXPECT_TRUE(Pinned(first, DigestOf("first picture")));
    EXPECT_TRUE(Pinned(second, DigestOf("second picture")));

    ASSERT_TRUE(historyfile::Write(history, owner_));
    const std::string log = ReadFileBytes(folder + "\\履歴ソ.zlog");
    const EvidenceLog read = parseEvidenceLog(log.data(), log.size());
    ASSERT_EQ(read.lines.size(), 4u) << log;  // two captures, two saves
    EXPECT_EQ(firstBrokenLine(read, win::sha256OrZero), 0);

    {
        DialogAnswerer answers;
        answers.letRun(kVerifyProgress);
        ASSERT_TRUE(RunEvidenceVerify(owner_, &findings));
    }
    const std::size_t changed = findings.text.find(fileStateText(FileState::changed));
    ASSERT_NE(changed, std::string::npos) << findings.text;
    EXPECT_EQ(findings.text.find(fileStateText(FileState::changed), changed + 1), std::string::npos)
        << findings.text;  // the first picture still matches
}

}  // namespace

// The verify command's findings on a history of three records whose files,
// manifest, log and order are tampered with one way at a time.
#include "history/evidence_verify.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "tests/native/openssl_sha256.h"

namespace {

const Sha256Function kHash = [](const void* data, std::size_t size) {
    return opensslSha256(data, size);
};

struct Evidence {
    std::map<std::string, std::string> files;  // Windows path -> bytes
    std::vector<EvidenceRecord> records;
    std::string manifest;
    std::string log;
    std::vector<std::string> opened;

    Evidence() {
        files = {{"C:\\hist\\a000001.bmp", "one"},
                 {"C:\\hist\\a000002.bmp", "two"},
                 {"D:\\caps\\表.bmp", "three"},
                 {"C:\\hist\\memo.txt", "text"},
                 {"C:\\hist\\hist.zlog", ""}};
        records = {{"C:\\hist\\a000001.bmp", "", {}},
                   {"C:\\hist\\a000002.bmp", "C:\\hist\\memo.txt", {}},
                   {"D:\\caps\\表.bmp", "", {}}};
        std::vector<ManifestEntry> entries;
        Sha256Digest last = kLogFirstPrevious;
        int number = 0;
        for (const EvidenceRecord& r : records) {
            ++number;
            for (const std::string& path : {r.picture, r.description}) {
                if (path.empty())
                    continue;
                addManifestEntry(entries, "C:\\hist", path, opensslSha256(files[path]), false);
                LogEntry e;
                e.time = "2024/05/01 10:00:00";
                e.event = path == r.picture ? LogEvent::capture : LogEvent::annotate;
                e.record = number;
                e.path = entries.back().path;
                e.file = entries.back().digest;
                appendLogLine(log, last, e, kHash);
            }
        }
        manifest = writeManifest(entries);
    }

    VerifyResult verify() {
        const Manifest m = parseManifest(manifest.data(), manifest.size());
        const EvidenceLog l = parseEvidenceLog(log.data(), log.size());
        VerifyInput input;
        input.manifestFolder = "C:\\hist";
        input.allowedFolders = {"D:\\caps"};  // the capture folder
        input.records = records;
        input.manifest = &m;
        input.log = &l;
        input.logPath = "C:\\hist\\hist.zlog";
        input.hashFile = [this](const std::string& path, Sha256Digest& out) {
            opened.push_back(path);
            const auto found = files.find(path);
            if (found == files.end())
                return false;
            out = opensslSha256(found->second);
            return true;
        };
        input.hashLine = kHash;
        return verifyEvidence(input);
    }
};

// Each finding other than 一致, as one line of the saved list.
std::vector<std::string> findings(const VerifyResult& result) {
    std::vector<std::string> lines;
    const std::string text = verifyReportText(result);
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find("\r\n", start);
        const std::string line = text.substr(start, end - start);
        if (line.rfind("一致\t", 0) != 0)
            lines.push_back(line);
        start = end + 2;
    }
    return lines;
}

TEST(EvidenceVerify, NamesExactlyWhatWasTamperedWith) {
    struct Case {
        const char* what;
        void (*tamper)(Evidence&);
        std::vector<std::string> findings;
    };
    const std::string intact = "ログの連鎖: 正常";
    const Case cases[] = {
        {"nothing", [](Evidence&) {}, {intact}},
        {"a picture altered",
         [](Evidence& e) { e.files["C:\\hist\\a000002.bmp"] = "twO"; },
         {"変更あり\t2\t画像\ta000002.bmp", intact}},
        {"a picture deleted",
         [](Evidence& e) { e.files.erase("D:\\caps\\表.bmp"); },
         {"見つかりません\t3\t画像\tD:/caps/表.bmp", intact}},
        {"records 1 and 2 swapped in the history",
         [](Evidence& e) { std::swap(e.records[0], e.records[1]); },
         {"記録 1: ログでは 2 番目の記録です: a000002.bmp",
          "記録 2: ログでは 1 番目の記録です: a000001.bmp", intact}},
        {"a record the log never saw",
         [](Evidence& e) {
             e.files["C:\\hist\\new.bmp"] = "new";
             e.records.push_back({"C:\\hist\\new.bmp", "", {}});
         },
         {"未登録\t4\t画像\tnew.bmp", "記録 4: ログにない記録です: new.bmp", intact}},
        {"a record removed from the history",
         [](Evidence& e) { e.records.pop_back(); },
         {"マニフェスト 4 行目: 履歴にないファイルです: D:/caps/表.bmp",
          "ログの 3 番目の記録が履歴にありません: D:/caps/表.bmp", intact}},
        {"the manifest hand-edited",
         [](Evidence& e) {
             e.manifest = "garbage\n" + e.manifest + std::string(64, '0') +
                          "  ../../Windows/win.ini\n" + std::string(64, '0') + "  //evil/s/x.bmp\n";
         },
         {"マニフェスト 1 行目: 読めない行です",
          "マニフェスト 6 行目: 履歴のフォルダーの外を指しています（開きません）: "
          "../../Windows/win.ini",
          "マニフェスト 7 行目: 履歴が使うフォルダーの外です（開きません）: //evil/s/x.bmp",
          intact}},
        {"a log line removed",
         [](Evidence& e) { e.log.erase(0, e.log.find("\r\n") + 2); },
         {"記録 1: ログにない記録です: a000001.bmp",
          "記録 2: ログでは 1 番目の記録です: a000002.bmp",
          "記録 3: ログでは 2 番目の記録です: D:/caps/表.bmp", "ログの連鎖: 1 行目で切れています"}},
    };
    for (const Case& c : cases) {
        Evidence evidence;
        c.tamper(evidence);
        const VerifyResult result = evidence.verify();
        EXPECT_EQ(findings(result), c.findings) << c.what;
        // A script's "ok" is this: true only where nothing was found.
        EXPECT_EQ(verifyClean(result), c.findings == std::vector<std::string>{intact}) << c.what;
        for (const std::string& path : evidence.opened)
            EXPECT_TRUE(path.find("evil") == std::string::npos &&
                        path.find("Windows") == std::string::npos)
                << path;
    }
}

// A log cut short anywhere inside its last line (a full disk, a copy that
// stopped) names that line, whatever the chain says of the lines before.
TEST(EvidenceVerify, ALogCutInALineNamesThatLine) {
    const Evidence whole;
    const std::size_t lastStart = whole.log.rfind("\r\n", whole.log.size() - 3) + 2;
    // The line without its last hex digit is the last cut that a reader can
    // tell from a whole line.
    for (std::size_t cut = lastStart + 1; cut < whole.log.size() - 2; ++cut) {
        Evidence evidence;
        evidence.log.resize(cut);
        const VerifyResult result = evidence.verify();
        EXPECT_EQ(result.logDamagedLines, std::vector<int>{4}) << cut;
        EXPECT_EQ(result.chainBrokenAt, 4) << cut;
        EXPECT_FALSE(verifyClean(result));
        const std::vector<std::string> lines = findings(result);
        EXPECT_NE(std::find(lines.begin(), lines.end(), "ログ 4 行目: 読めない行です"), lines.end())
            << cut;
    }
}

// Captures of an untitled history in the caller's folder, the history then
// saved into a folder of its own: the log's lines are spelled at the save,
// for the folder the log goes to, so they name each picture as the
// manifest beside them does and the untouched history verifies clean.
TEST(EvidenceVerify, AHistorySavedAwayFromItsCapturesVerifiesClean) {
    const std::string caller = "C:\\作業";
    const std::string folder = caller + "\\履歴";
    const std::vector<std::string> pictures = {caller + "\\a000001.bmp", caller + "\\表.bmp"};
    std::vector<UnwrittenEvent> events;
    std::vector<ManifestEntry> entries;
    std::vector<EvidenceRecord> records;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const Sha256Digest digest = opensslSha256(pictures[i]);
        events.push_back({"2024/05/01 10:00:00", LogEvent::capture, static_cast<int>(i) + 1,
                          pictures[i], digest});
        ASSERT_TRUE(addManifestEntry(entries, folder, pictures[i], digest, false));
        records.push_back({pictures[i], "", {}});
    }
    events.push_back({"2024/05/01 10:01:00", LogEvent::save, 0, folder + "\\h.csv", {}});
    std::string logText;
    Sha256Digest last = kLogFirstPrevious;
    appendLogEvents(logText, last, events, folder, kHash);
    EXPECT_NE(logText.find("\tcapture\t2\t../表.bmp\t"), std::string::npos) << logText;
    EXPECT_EQ(entries[1].path, "../表.bmp");

    const std::string manifestText = writeManifest(entries);
    const Manifest manifest = parseManifest(manifestText.data(), manifestText.size());
    const EvidenceLog log = parseEvidenceLog(logText.data(), logText.size());
    VerifyInput input;
    input.manifestFolder = folder;
    input.records = records;
    input.manifest = &manifest;
    input.log = &log;
    input.hashFile = [](const std::string& path, Sha256Digest& out) {
        out = opensslSha256(path);
        return true;
    };
    input.hashLine = kHash;
    const VerifyResult result = verifyEvidence(input);
    EXPECT_TRUE(verifyClean(result)) << verifyReportText(result);
}

TEST(EvidenceVerify, ManifestMadeAfterwardsFromTheFilesAsTheyAre) {
    Evidence evidence;
    evidence.files.erase("C:\\hist\\memo.txt");
    evidence.records[2].others.push_back("C:\\hist\\a?.bmp");
    evidence.files["C:\\hist\\a?.bmp"] = "named badly";
    std::vector<std::string> leftOut;
    const std::vector<ManifestEntry> entries = manifestFromFiles(
        "C:\\hist", evidence.records,
        [&](const std::string& path, Sha256Digest& out) {
            const auto found = evidence.files.find(path);
            if (found == evidence.files.end())
                return false;
            out = opensslSha256(found->second);
            return true;
        },
        leftOut);
    EXPECT_EQ(leftOut, (std::vector<std::string>{"C:\\hist\\memo.txt", "C:\\hist\\a?.bmp"}));
    ASSERT_EQ(entries.size(), 3u);
    for (const ManifestEntry& e : entries)
        EXPECT_TRUE(e.afterwards) << e.path;
    evidence.manifest = writeManifest(entries);
    const VerifyResult result = evidence.verify();
    EXPECT_EQ(findings(result), (std::vector<std::string>{"見つかりません\t2\t説明\tmemo.txt",
                                                          "未登録\t3\tその他\tC:\\hist\\a?.bmp",
                                                          "ログの連鎖: 正常"}));
    EXPECT_TRUE(result.files[0].afterwards);
    EXPECT_EQ(verifyReportText(result).rfind("一致\t1\t画像\ta000001.bmp\t（後から作成）\r\n", 0),
              0u);
}

TEST(EvidenceVerify, WithoutManifestOrLogSaysSo) {
    VerifyInput input;
    input.manifestFolder = "C:\\hist";
    input.records = {{"C:\\hist\\a.bmp", "", {}}};
    input.hashFile = [](const std::string&, Sha256Digest&) { return true; };
    input.hashLine = kHash;
    EXPECT_EQ(verifyReportText(verifyEvidence(input)),
              "マニフェストがありません\r\n未登録\t1\t画像\ta.bmp\r\nログがありません\r\n");
}

}  // namespace

// The chained log: what it writes, what it reads, and where a tampered log's
// chain breaks.
#include "history/evidence_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/native/openssl_sha256.h"

namespace {

const Sha256Function kHash = [](const void* data, std::size_t size) {
    return opensslSha256(data, size);
};

LogEntry event(LogEvent kind, int record, const std::string& path) {
    LogEntry e;
    e.time = "2024/05/0" + std::to_string(record % 10) + " 12:34:56";
    e.event = kind;
    e.record = record;
    e.path = path;
    e.file = opensslSha256(path);
    return e;
}

std::vector<std::string> sampleLines() {
    std::string log;
    Sha256Digest last = kLogFirstPrevious;
    const LogEntry events[] = {
        event(LogEvent::capture, 1, "a000001.bmp"),  event(LogEvent::capture, 2, "表/a000002.bmp"),
        event(LogEvent::import, 3, "D:/caps/x.png"), event(LogEvent::move, 1, "D:/caps/x.png"),
        event(LogEvent::annotate, 2, "a000001.bmp"), event(LogEvent::deletion, 3, "表/a000002.bmp"),
        event(LogEvent::save, 0, "hist.csv")};
    for (const LogEntry& e : events)
        EXPECT_TRUE(appendLogLine(log, last, e, kHash));
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < log.size();) {
        const std::size_t end = log.find("\r\n", start);
        lines.push_back(log.substr(start, end + 2 - start));
        start = end + 2;
    }
    return lines;
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line;
    return text;
}

TEST(EvidenceLog, WritesReadsAndChains) {
    const std::vector<std::string> lines = sampleLines();
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "2024/05/01 12:34:56\tcapture\t1\ta000001.bmp\t" +
                            sha256Hex(opensslSha256(std::string("a000001.bmp"))) + "\t" +
                            std::string(64, '0') + "\r\n");
    const std::string text = joinLines(lines);
    const EvidenceLog log = parseEvidenceLog(text.data(), text.size());
    ASSERT_EQ(log.lines.size(), 7u);
    EXPECT_TRUE(log.damagedLines().empty());
    EXPECT_EQ(firstBrokenLine(log, kHash), 0);
    EXPECT_EQ(log.lines[5].entry.event, LogEvent::deletion);
    EXPECT_EQ(log.lines[5].entry.path, "表/a000002.bmp");
    EXPECT_EQ(log.lines[6].entry.record, 0);
    std::string rewritten;
    for (const LogLine& line : log.lines)
        rewritten += logLineText(line.entry) + "\r\n";
    EXPECT_EQ(rewritten, text);

    // Appending to the log as read continues the same chain.
    std::string more = text;
    Sha256Digest last = lastLineHash(log, kHash);
    ASSERT_TRUE(appendLogLine(more, last, event(LogEvent::capture, 3, "a000003.bmp"), kHash));
    EXPECT_EQ(firstBrokenLine(parseEvidenceLog(more.data(), more.size()), kHash), 0);
}

TEST(EvidenceLog, TamperingBreaksTheChainWhereItHappened) {
    struct Case {
        const char* what;
        void (*tamper)(std::vector<std::string>&);
        int broken;
    };
    const Case cases[] = {
        {"line 3 removed", [](std::vector<std::string>& l) { l.erase(l.begin() + 2); }, 3},
        {"line 1 removed", [](std::vector<std::string>& l) { l.erase(l.begin()); }, 1},
        {"line 2 copied in front of line 4",
         [](std::vector<std::string>& l) { l.insert(l.begin() + 3, l[1]); }, 4},
        {"lines 2 and 3 swapped", [](std::vector<std::string>& l) { std::swap(l[1], l[2]); }, 2},
        {"record number of line 2 edited", [](std::vector<std::string>& l) { l[1][28] = '7'; }, 3},
        {"line 5 cut short",
         [](std::vector<std::string>& l) { l[4] = l[4].substr(0, 40) + "\r\n"; }, 5},
        {"an empty line after line 6",
         [](std::vector<std::string>& l) { l.insert(l.begin() + 6, "\r\n"); }, 7},
        {"LF line ends",
         [](std::vector<std::string>& l) {
             for (std::string& s : l)
                 s.erase(s.size() - 2, 1);
         },
         0},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines = sampleLines();
        c.tamper(lines);
        const std::string text = joinLines(lines);
        EXPECT_EQ(firstBrokenLine(parseEvidenceLog(text.data(), text.size()), kHash), c.broken)
            << c.what;
    }
}

TEST(EvidenceLog, DamagedLinesAreNamedNotRead) {
    const std::string good = sampleLines()[0];
    const std::string hash = sha256Hex(kLogFirstPrevious);
    std::string upper = good;
    upper[upper.size() - 3] = 'A';
    const std::string bad[] = {
        "",
        "2024/05/01 12:34:56\tcapture\t1\ta.bmp\t" + hash,
        "2024/05/01 12:34:56\tcapture\t1\ta.bmp\t" + hash + "\t" + hash + "\tx",
        "2024-05-01 12:34:56\tcapture\t1\ta.bmp\t" + hash + "\t" + hash,
        "2024/05/01 12:34:56\tshot\t1\ta.bmp\t" + hash + "\t" + hash,
        "2024/05/01 12:34:56\tcapture\t1001\ta.bmp\t" + hash + "\t" + hash,
        "2024/05/01 12:34:56\tcapture\t01\ta.bmp\t" + hash + "\t" + hash,
        "2024/05/01 12:34:56\tcapture\t-1\ta.bmp\t" + hash + "\t" + hash,
        "2024/05/01 12:34:56\tcapture\t1\t\t" + hash + "\t" + hash,
        "2024/05/01 12:34:56\tcapture\t1\ta.bmp\t" + hash.substr(1) + "\t" + hash,
        upper.substr(0, upper.size() - 2),
    };
    for (const std::string& line : bad) {
        const std::string text = good + line + "\r\n" + good;
        const EvidenceLog log = parseEvidenceLog(text.data(), text.size());
        ASSERT_EQ(log.lines.size(), 3u);
        EXPECT_EQ(log.damagedLines(), std::vector<int>{2}) << line;
        EXPECT_EQ(firstBrokenLine(log, kHash), 2) << line;
    }
}

TEST(EvidenceLog, RefusesEntriesThatCannotBeOneLine) {
    const LogEntry bad[] = {
        event(LogEvent::capture, 1, "a\tb.bmp"), event(LogEvent::capture, 1, "a\r\n.bmp"),
        event(LogEvent::capture, 1, ""), event(LogEvent::capture, 1001, "a.bmp"),
        event(LogEvent::capture, -1, "a.bmp")};
    for (LogEntry e : bad) {
        std::string log = "kept";
        Sha256Digest last = kLogFirstPrevious;
        EXPECT_FALSE(appendLogLine(log, last, e, kHash)) << e.path;
        EXPECT_EQ(log, "kept");
        EXPECT_EQ(last, kLogFirstPrevious);
    }
    LogEntry e = event(LogEvent::capture, 1, "a.bmp");
    e.time = "2024/05/01 12:34";
    EXPECT_EQ(logLineText(e), "");
}

}  // namespace

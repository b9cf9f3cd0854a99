// Which record a case of the case file goes to: by the picture's file name
// (as Windows compares names) and the record's time, whatever the records'
// order, their folders or the rows deleted since; two records of the same
// picture and time by their order among themselves. An entry no record
// takes is kept aside and written back, never given to another record.
#include "history/case_placement.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "history/case_file.h"

namespace {

using casefile::Entry;
using testcase::TestCase;

struct Row {
    const char* path;
    const char* time;
};

std::unique_ptr<History> historyOf(const std::vector<Row>& rows) {
    auto h = std::make_unique<History>("C:\\start");
    for (const Row& r : rows)
        h->appendCapture(r.path, "見出し", r.time, 0);
    return h;
}

TestCase caseNamed(const std::string& id) {
    TestCase c;
    c.testId = id;
    c.verdict = testcase::Verdict::ok;
    return c;
}

// The test ID of each record's case, "" for none.
std::vector<std::string> idsOf(const History& h) {
    std::vector<std::string> ids;
    for (int i = 0; i < h.count; ++i) {
        const TestCase* c = h.cases.find(h.records[i].id);
        ids.push_back(c ? c->testId : "");
    }
    return ids;
}

// Saves the cases as the save does and reads them onto `into`.
std::size_t saveAndOpen(const History& from, History& into) {
    const std::string bytes = casefile::write(caseplace::entriesToWrite(from));
    casefile::ReadResult read = casefile::parse(bytes.data(), bytes.size());
    EXPECT_TRUE(read.ok) << read.error;
    return caseplace::place(std::move(read.entries), into);
}

const std::vector<Row> kThree = {{"C:\\試験\\表a.bmp", "2026/12/10 10:00:00"},
                                 {"C:\\試験\\表b.bmp", "2026/12/10 10:00:01"},
                                 {"C:\\試験\\表c.bmp", "2026/12/10 10:00:02"}};

std::unique_ptr<History> threeWithCases() {
    auto h = historyOf(kThree);
    for (int i = 0; i < 3; ++i)
        h->cases.set(h->records[i].id, caseNamed("TC-" + std::to_string(i + 1)));
    return h;
}

// Each case reaches its record after the rows were reordered, after one was
// deleted (its entry is kept aside, said, and written back), and after the
// history and its pictures moved to another folder, where the records name
// them by their file names alone or in capitals.
TEST(CasePlacementTest, CasesFollowTheirRecordsThroughReorderDeleteAndMove) {
    const auto saved = threeWithCases();
    struct Case {
        std::vector<Row> opened;
        std::vector<std::string> ids;
        std::size_t aside;
    };
    const Case cases[] = {
        {{kThree[2], kThree[0], kThree[1]}, {"TC-3", "TC-1", "TC-2"}, 0},
        {{kThree[0], kThree[2]}, {"TC-1", "TC-3"}, 1},
        {{{"D:\\移動先\\表c.bmp", "2026/12/10 10:00:02"},
          {"\\表a.bmp", "2026/12/10 10:00:00"},
          {"\\\\srv\\share\\表B.BMP", "2026/12/10 10:00:01"}},
         {"TC-3", "TC-1", "TC-2"},
         0},
        // The same name at another time is another record.
        {{{"C:\\試験\\表a.bmp", "2026/12/10 10:00:09"}}, {""}, 3},
    };
    for (const Case& c : cases) {
        auto opened = historyOf(c.opened);
        EXPECT_EQ(saveAndOpen(*saved, *opened), c.aside);
        EXPECT_EQ(idsOf(*opened), c.ids);
        ASSERT_EQ(opened->casesAside.size(), c.aside);
        // Saved and opened again, an entry kept aside is still there and
        // still on no record.
        auto again = historyOf(c.opened);
        EXPECT_EQ(saveAndOpen(*opened, *again), c.aside);
        EXPECT_EQ(idsOf(*again), c.ids);
    }
}

TEST(CasePlacementTest, TheEntryOfADeletedRecordIsSaidOnceWithItsKey) {
    const auto saved = threeWithCases();
    auto opened = historyOf({kThree[0], kThree[2]});
    ASSERT_EQ(saveAndOpen(*saved, *opened), 1u);
    EXPECT_EQ(opened->casesAside[0].testCase.testId, "TC-2");
    const std::string message = caseplace::asideMessage(opened->casesAside);
    EXPECT_NE(message.find("1 件"), std::string::npos) << message;
    EXPECT_NE(message.find("表b.bmp  2026/12/10 10:00:01"), std::string::npos) << message;
    EXPECT_TRUE(caseplace::asideMessage({}).empty());
}

// Names compare with ASCII letters folded and double-byte characters exact:
// ド (0x83 0x68) is not the character whose trail byte is 'H'.
TEST(CasePlacementTest, NamesFoldOnlySingleByteLetters) {
    auto saved = historyOf({{"C:\\x\\\x83\x68.bmp", "t"}, {"C:\\x\\Abc.bmp", "t"}});
    saved->cases.set(saved->records[0].id, caseNamed("do"));
    saved->cases.set(saved->records[1].id, caseNamed("abc"));
    auto opened = historyOf({{"C:\\x\\\x83\x48.BMP", "t"}, {"C:\\y\\aBC.bmp", "t"}});
    EXPECT_EQ(saveAndOpen(*saved, *opened), 1u);
    EXPECT_EQ(idsOf(*opened), (std::vector<std::string>{"", "abc"}));
}

// Two records of one picture and time are told apart by their order among
// themselves; a record deleted between them moves the later one's number,
// and the save writes it under its number of now.
TEST(CasePlacementTest, TwoRecordsOfTheSamePictureAndTime) {
    const Row same = {"C:\\試験\\同じ.bmp", "2026/12/10 10:00:00"};
    const Row other = {"C:\\試験\\別.bmp", "2026/12/10 10:00:00"};
    auto h = historyOf({same, other, same});
    h->cases.set(h->records[0].id, caseNamed("first"));
    h->cases.set(h->records[2].id, caseNamed("second"));
    const std::vector<casefile::Key> keys = caseplace::recordKeys(*h);
    EXPECT_EQ(keys[0].ordinal, 0);
    EXPECT_EQ(keys[1].ordinal, 0);
    EXPECT_EQ(keys[2].ordinal, 1);
    auto opened = historyOf({same, other, same});
    EXPECT_EQ(saveAndOpen(*h, *opened), 0u);
    EXPECT_EQ(idsOf(*opened), (std::vector<std::string>{"first", "", "second"}));

    // The first deleted: the list rebuilds the records and drops its case.
    opened->records[0] = opened->records[2];
    opened->count = 2;
    caseplace::dropCasesOfGoneRecords(*opened);
    EXPECT_EQ(opened->cases.all().size(), 1u);
    auto reopened = historyOf({other, same});
    EXPECT_EQ(saveAndOpen(*opened, *reopened), 0u);
    EXPECT_EQ(idsOf(*reopened), (std::vector<std::string>{"", "second"}));
}

// A hand-copied line: the first of two entries with one key is placed, the
// second kept aside. A record without a case that has the key of an entry
// kept aside (a picture of that name taken in that second) is written with
// an empty entry ahead of it, so that the entry stays aside at the next open.
TEST(CasePlacementTest, AKeyTwiceAndAnEntryKeptAsideNeverMoveToAnotherRecord) {
    Entry first{{"a.bmp", "t", 0}, caseNamed("first")};
    Entry copy{{"A.BMP", "t", 0}, caseNamed("copy")};
    auto h = historyOf({{"C:\\a.bmp", "t"}});
    EXPECT_EQ(caseplace::place({first, copy}, *h), 1u);
    EXPECT_EQ(idsOf(*h), std::vector<std::string>{"first"});

    h->cases.clear();  // the user emptied the case
    EXPECT_TRUE(caseplace::hasCaseData(*h));
    auto reopened = historyOf({{"C:\\a.bmp", "t"}});
    EXPECT_EQ(saveAndOpen(*h, *reopened), 1u);
    EXPECT_EQ(idsOf(*reopened), std::vector<std::string>{""});
    EXPECT_EQ(reopened->casesAside[0].testCase.testId, "copy");
}

TEST(CasePlacementTest, CaseDataIsACaseOnARecordOrAnEntryKeptAside) {
    auto h = historyOf(kThree);
    EXPECT_FALSE(caseplace::hasCaseData(*h));
    EXPECT_TRUE(caseplace::entriesToWrite(*h).empty());
    h->cases.set(h->records[1].id, caseNamed("x"));
    EXPECT_TRUE(caseplace::hasCaseData(*h));
    h->count = 1;  // the record with the case deleted
    caseplace::dropCasesOfGoneRecords(*h);
    EXPECT_FALSE(caseplace::hasCaseData(*h));
}

}  // namespace

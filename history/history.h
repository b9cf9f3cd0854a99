// The history: up to 1000 capture records and the state of the CSV file they
// are kept in. Platform-free.
#pragma once

#include <cstdint>
#include <vector>

#include "history/case_file.h"
#include "history/test_case.h"
#include "settings/settings.h"

constexpr int kDateTimeSize = 20;
constexpr int kFileNameSize = 64;
constexpr int kRecordMaximum = 1000;

// "yyyy/mm/dd hh:mm:ss" from the parts of a local time. Values outside their
// usual widths are printed in full and the text is cut to 19 bytes.
void formatTimestamp(int year, int month, int day, int hour, int minute, int second,
                     char (&out)[kDateTimeSize]);

struct HistoryRecord {
    char dateTime[kDateTimeSize];
    char comment[kCommentSize];
    char imagePath[kPathSize];
    char textFile[kPathSize];
    int32_t relative;
    // Zelcap's own handle on the record while the history is open, never
    // written: the test cases are kept by it, so that moving, deleting and
    // editing rows never gives a case to another record. 0: none yet.
    uint32_t id;
};

class History {
  public:
    // currentDirectory becomes startFolder and the first history folder.
    explicit History(const char* currentDirectory);
    History(const History&) = delete;
    History& operator=(const History&) = delete;

    // Back to the construction state: empty, untitled, named "新規".
    void reset();
    void clearRecords();

    // Appends the record of a finished capture: the full image path, the
    // comment (cut to 128 bytes), the capture time and relative =
    // folderOption, the "保存先オプション" of this moment. A full history takes
    // nothing. Leaves modified to the list view, which sets it when it shows
    // the row. Returns 1.
    int appendCapture(const char* imagePath, const char* comment, const char* timestamp,
                      int32_t folderOption);

    // A new record's id, never given before in this run.
    uint32_t newRecordId() { return ++lastRecordId_; }

    HistoryRecord records[kRecordMaximum]{};
    // The records' test cases, by their ids; cleared with the records.
    testcase::CaseBook cases;
    // The case file's entries that no record took when the history was read
    // (history/case_placement.h): written back at each save, never given to
    // another record; cleared with the records.
    std::vector<casefile::Entry> casesAside;
    // The earlier history this one is re-tested against, kept in the case
    // file; cleared with the records.
    casefile::Baseline baseline;
    int32_t count = 0;
    int32_t modified = 0;
    int32_t untitled = 1;
    char filePath[kPathSize]{};
    char fileName[kFileNameSize]{};
    char folder[kPathSize]{};
    char startFolder[kPathSize]{};
    char previousFolder[kPathSize]{};

  private:
    uint32_t lastRecordId_ = 0;
};

// The program's one history, defined with the other long-lived objects.
extern History history;

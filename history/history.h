// The history: up to 1000 capture records and the state of the CSV file they
// are kept in. Platform-free.
#pragma once

#include <cstdint>

#include "settings/settings.h"

constexpr int kDateTimeSize = 20;
constexpr int kFileNameSize = 64;
constexpr int kRecordMaximum = 1000;

struct HistoryRecord {
    char dateTime[kDateTimeSize];
    char comment[kCommentSize];
    char imagePath[kPathSize];
    char textFile[kPathSize];
    int32_t relative;
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

    HistoryRecord records[kRecordMaximum]{};
    int32_t count = 0;
    int32_t modified = 0;
    int32_t untitled = 1;
    char filePath[kPathSize]{};
    char fileName[kFileNameSize]{};
    char folder[kPathSize]{};
    char startFolder[kPathSize]{};
    char previousFolder[kPathSize]{};
};

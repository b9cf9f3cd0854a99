#include "history/history.h"

#include <cstdio>
#include <cstring>

#include "app/cp932.h"

namespace {
const char kNewName[] = "新規";
}

History::History(const char* currentDirectory) {
    cp932::copyText(startFolder, currentDirectory);
    reset();
}

void History::reset() {
    clearRecords();
    modified = 0;
    untitled = 1;
    char path[kPathSize * 2];
    std::snprintf(path, sizeof path, "%s\\%s", startFolder, kNewName);
    cp932::copyText(filePath, path);
    cp932::copyText(fileName, kNewName);
    cp932::copyText(folder, startFolder);
    previousFolder[0] = '\0';
}

void History::clearRecords() {
    std::memset(records, 0, sizeof records);
    count = 0;
}

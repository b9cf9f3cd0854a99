#include "history/history.h"

#include <cstdio>
#include <cstring>

#include "base/cp932.h"

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
    cases.clear();
    casesAside.clear();
    baseline = {};
}

int History::appendCapture(const char* imagePath, const char* comment, const char* timestamp,
                           int32_t folderOption) {
    if (count < 0 || count >= kRecordMaximum)
        return 1;
    HistoryRecord& r = records[count];
    cp932::copyText(r.dateTime, timestamp);
    cp932::copyText(r.comment, comment);
    cp932::copyText(r.imagePath, imagePath);
    r.textFile[0] = '\0';
    r.relative = folderOption;
    r.id = newRecordId();
    ++count;
    return 1;
}

void formatTimestamp(int year, int month, int day, int hour, int minute, int second,
                     char (&out)[kDateTimeSize]) {
    // Room for six full-width ints and their separators, so that an odd
    // value is cut below and never truncated mid-way by snprintf.
    char text[96];
    std::size_t length = 0;
    const auto number = [&](char separator, int width, int value) {
        if (separator != '\0')
            text[length++] = separator;
        const int n = std::snprintf(text + length, sizeof text - length, "%0*d", width, value);
        if (n > 0)
            length += static_cast<std::size_t>(n);
    };
    number('\0', 4, year);
    number('/', 2, month);
    number('/', 2, day);
    number(' ', 2, hour);
    number(':', 2, minute);
    number(':', 2, second);
    cp932::copyText(out, sizeof out, text, length);
}

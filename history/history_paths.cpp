#include "history/history_paths.h"

#include <cstring>

#include "base/cp932.h"
#include "history/open_records.h"

bool isRelative(const char* path) {
    return cp932::findChar(path, '\\') == path && path[1] != '\\';
}

bool isFullPath(const char* path) {
    const bool drive = ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
                       path[1] == ':';
    return drive || (path[0] == '\\' && path[1] == '\\');
}

const char* filePart(const char* path) {
    return cp932::findLastChar(path, '\\');
}

void resolvedImagePath(const HistoryRecord& record, const char* historyFolder,
                       char (&out)[kPathSize]) {
    if (record.relative != 1) {
        cp932::copyText(out, record.imagePath);
        return;
    }
    // Both halves are whole texts, so joining them in full and cutting once
    // is what keeps a double-byte character from being split at the end.
    char joined[kPathSize * 2 + 1];
    std::size_t length = 0;
    const auto append = [&](const char* text) {
        const std::size_t n = cp932::cutLength(text, std::strlen(text), kPathSize - 1);
        std::memcpy(joined + length, text, n);
        length += n;
    };
    append(historyFolder);
    const char* part = filePart(record.imagePath);
    if (part == nullptr) {
        joined[length++] = '\\';
        part = record.imagePath;
    }
    append(part);
    cp932::copyText(out, sizeof out, joined, length);
}

void resolvedTextPath(const char* textFile, const char* historyFolder, char (&out)[kPathSize]) {
    out[0] = '\0';
    if (textFile[0] == '\0')
        return;
    if (isFullPath(textFile))
        cp932::copyText(out, textFile);
    else
        rowTextPath(textFile, historyFolder, out);
}

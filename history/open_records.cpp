#include "history/open_records.h"

#include <cstring>
#include <initializer_list>

#include "base/cp932.h"
#include "history/history_paths.h"

namespace {

bool endsWithOneOf(const char* path, std::initializer_list<const char*> extensions) {
    const std::size_t length = std::strlen(path);
    if (length < 4)
        return false;
    for (const char* extension : extensions) {
        if (std::memcmp(path + length - 4, extension, 4) == 0)
            return true;
    }
    return false;
}

// All of head, separator and tail, or an empty text when they do not fit.
void joinWhole(char (&out)[kPathSize], const char* head, const char* separator, const char* tail) {
    const std::size_t h = std::strlen(head);
    const std::size_t s = std::strlen(separator);
    if (!cp932::copyText(out, head) || !cp932::copyText(out + h, sizeof out - h, separator) ||
        !cp932::copyText(out + h + s, sizeof out - h - s, tail))
        out[0] = '\0';
}

}  // namespace

bool isImageFileName(const char* path) {
    return endsWithOneOf(path, {".jpg", ".JPG", ".bmp", ".BMP", ".png", ".PNG", ".gif", ".GIF"});
}

bool isTextFileName(const char* path) {
    return endsWithOneOf(path, {".txt", ".TXT"});
}

void rowImagePath(const char* imageText, const char* historyFolder, char (&out)[kPathSize]) {
    if (isRelative(imageText))
        joinWhole(out, historyFolder, "", imageText);
    else
        joinWhole(out, imageText, "", "");
}

void rowTextPath(const char* textColumn, const char* historyFolder, char (&out)[kPathSize]) {
    joinWhole(out, historyFolder, "\\", textColumn);
}

void splitAtLastBackslash(const char* path, char (&folder)[kPathSize], char (&name)[kPathSize]) {
    const char* backslash = cp932::findLastChar(path, '\\');
    bool whole;
    if (backslash == nullptr) {
        folder[0] = '\0';
        whole = cp932::copyText(name, path);
    } else {
        whole = cp932::copyText(folder, sizeof folder, path,
                                static_cast<std::size_t>(backslash - path)) &&
                cp932::copyText(name, backslash + 1);
    }
    if (!whole) {
        folder[0] = '\0';
        name[0] = '\0';
    }
}

#include "view/image_names.h"

#include <cstring>

#include "base/cp932.h"

namespace {

// The first occurrence of `needle` (ASCII) in `text`, starting only at
// character boundaries; nullptr when none.
const char* FindText(const char* text, const char* needle) {
    const std::size_t n = std::strlen(needle);
    const std::size_t length = std::strlen(text);
    for (std::size_t i = 0; i < length; i += cp932::charLength(text, length, i)) {
        if (std::strncmp(text + i, needle, n) == 0)
            return text + i;
    }
    return nullptr;
}

bool EndsWithFirst(const char* path, const char* extension) {
    const char* at = FindText(path, extension);
    return at && at[std::strlen(extension)] == '\0';
}

}  // namespace

bool isJpegName(const char* path) {
    return EndsWithFirst(path, ".jpg") || EndsWithFirst(path, ".JPG");
}

bool isBmpName(const char* path) {
    return EndsWithFirst(path, ".bmp") || EndsWithFirst(path, ".BMP");
}

bool isPngName(const char* path) {
    return EndsWithFirst(path, ".png") || EndsWithFirst(path, ".PNG");
}

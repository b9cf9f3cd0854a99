#include "view/image_names.h"

#include <cstring>

#include "base/cp932.h"

namespace {

// The first occurrence of `needle` (ASCII) in `text`, starting only at
// character boundaries; nullptr when none.
const char* FindText(const char* text, const char* needle) {
    const std::size_t n = std::strlen(needle);
    for (const char* p = text; *p != '\0';) {
        if (std::strncmp(p, needle, n) == 0)
            return p;
        p += cp932::isLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0' ? 2 : 1;
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

#include "base/cp932.h"

#include <cstring>

namespace cp932 {

std::size_t find(const char* s, std::size_t len, char c) {
    for (std::size_t i = 0; i < len; ++i) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        if (isLeadByte(b)) {
            ++i;  // the trail byte can never be the character looked for
            continue;
        }
        if (s[i] == c)
            return i;
    }
    return len;
}

const char* findChar(const char* s, char c) {
    const std::size_t len = std::strlen(s);
    const std::size_t at = find(s, len, c);
    return at < len ? s + at : nullptr;
}

const char* findLastChar(const char* s, char c) {
    const char* last = nullptr;
    for (std::size_t i = 0; s[i] != '\0'; ++i) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        if (isLeadByte(b)) {
            if (s[i + 1] == '\0')
                break;
            ++i;
            continue;
        }
        if (s[i] == c)
            last = s + i;
    }
    return last;
}

std::size_t cutLength(const char* s, std::size_t len, std::size_t maxLen) {
    if (len <= maxLen)
        return len;
    std::size_t i = 0;
    while (i < maxLen) {
        const std::size_t step = isLeadByte(static_cast<unsigned char>(s[i])) ? 2 : 1;
        if (i + step > maxLen)
            break;
        i += step;
    }
    return i;
}

bool copyText(char* dst, std::size_t dstSize, const char* src, std::size_t srcLen) {
    const std::size_t n = cutLength(src, srcLen, dstSize - 1);
    std::memmove(dst, src, n);
    dst[n] = '\0';
    return n == srcLen;
}

bool copyText(char* dst, std::size_t dstSize, const char* src) {
    return copyText(dst, dstSize, src, std::strlen(src));
}

}  // namespace cp932

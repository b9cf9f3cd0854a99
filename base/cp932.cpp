#include "base/cp932.h"

#include <cstring>

namespace cp932 {

NameParts nameParts(const char* s, std::size_t len) {
    std::size_t nameStart = 0, dot = len;
    for (std::size_t i = 0; i < len;) {
        const std::size_t n = charLength(s, len, i);
        if (n == 1 && (s[i] == '\\' || s[i] == '/')) {
            nameStart = i + 1;
            dot = len;
        } else if (n == 1 && s[i] == '.') {
            dot = i;
        }
        i += n;
    }
    return {nameStart, dot};
}

std::size_t find(const char* s, std::size_t len, char c) {
    for (std::size_t i = 0; i < len;) {
        const std::size_t n = charLength(s, len, i);
        if (n == 1 && s[i] == c)
            return i;
        i += n;
    }
    return len;
}

const char* findChar(const char* s, char c) {
    const std::size_t len = std::strlen(s);
    const std::size_t at = find(s, len, c);
    return at < len ? s + at : nullptr;
}

const char* findLastChar(const char* s, char c) {
    const std::size_t len = std::strlen(s);
    const char* last = nullptr;
    for (std::size_t i = 0; i < len;) {
        const std::size_t n = charLength(s, len, i);
        if (n == 1 && s[i] == c)
            last = s + i;
        i += n;
    }
    return last;
}

std::size_t cutLength(const char* s, std::size_t len, std::size_t maxLen) {
    if (len <= maxLen)
        return len;
    std::size_t i = 0;
    for (;;) {
        const std::size_t n = charLength(s, len, i);
        if (i + n > maxLen)
            return i;
        i += n;
    }
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

bool equalFoldingAscii(const char* a, std::size_t aLen, const char* b, std::size_t bLen) {
    if (aLen != bLen)
        return false;
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    for (std::size_t i = 0; i < aLen;) {
        const std::size_t n = charLength(a, aLen, i);
        if (n != charLength(b, bLen, i))
            return false;
        if (n == 2 ? (a[i] != b[i] || a[i + 1] != b[i + 1]) : fold(a[i]) != fold(b[i]))
            return false;
        i += n;
    }
    return true;
}

}  // namespace cp932

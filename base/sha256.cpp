#include "base/sha256.h"

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string sha256Hex(const Sha256Digest& digest) {
    static const char digits[] = "0123456789abcdef";
    std::string text(kSha256HexLength, '0');
    for (std::size_t i = 0; i < kSha256Size; ++i) {
        text[2 * i] = digits[digest.bytes[i] >> 4];
        text[2 * i + 1] = digits[digest.bytes[i] & 0x0F];
    }
    return text;
}

bool parseSha256Hex(const char* text, std::size_t length, Sha256Digest& out) {
    if (length != kSha256HexLength)
        return false;
    Sha256Digest digest;
    for (std::size_t i = 0; i < kSha256Size; ++i) {
        const int high = hexValue(text[2 * i]);
        const int low = hexValue(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        digest.bytes[i] = static_cast<unsigned char>(high << 4 | low);
    }
    out = digest;
    return true;
}

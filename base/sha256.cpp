#include "base/sha256.h"

#include "base/hex.h"

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
        const int high = hexDigitValue(text[2 * i]);
        const int low = hexDigitValue(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        digest.bytes[i] = static_cast<unsigned char>(high << 4 | low);
    }
    out = digest;
    return true;
}

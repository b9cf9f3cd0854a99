// Hexadecimal digits as the digests, the tab files' escapes and PDF's hex
// strings write them.
#pragma once

// The value of one hexadecimal digit of either case; -1 for any other byte.
constexpr int hexDigitValue(char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                  : -1;
}

// A SHA-256 digest as a value, and its hex text. Platform-free: the digest
// itself is computed by the program's own code for files (base/sha256_hash.h),
// by Windows' CNG for blocks (base/sha256_win.h) and by whatever the caller
// hands in elsewhere, so that the code that writes and checks evidence never
// depends on where the hashing came from.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>

constexpr std::size_t kSha256Size = 32;
constexpr std::size_t kSha256HexLength = 64;

struct Sha256Digest {
    std::array<unsigned char, kSha256Size> bytes{};

    friend bool operator==(const Sha256Digest& a, const Sha256Digest& b) {
        return a.bytes == b.bytes;
    }
    friend bool operator!=(const Sha256Digest& a, const Sha256Digest& b) { return !(a == b); }
};

// 64 lower-case hex digits, the form sha256sum writes.
std::string sha256Hex(const Sha256Digest& digest);

// Exactly 64 hex digits of either case (PowerShell's Get-FileHash prints
// upper case); anything else leaves out as it was and returns false.
bool parseSha256Hex(const char* text, std::size_t length, Sha256Digest& out);

// The digest of a block of bytes. The program passes CNG, the native tests
// OpenSSL.
using Sha256Function = std::function<Sha256Digest(const void* data, std::size_t size)>;

#include "base/sha256_win.h"

#include "base/sha256_hash.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace win {

Sha256::Sha256() {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (!BCRYPT_SUCCESS(
            BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
        return;
    algorithm_.reset(algorithm);
    DWORD objectSize = 0;
    ULONG written = 0;
    if (!BCRYPT_SUCCESS(BCryptGetProperty(algorithm, BCRYPT_OBJECT_LENGTH,
                                          reinterpret_cast<PUCHAR>(&objectSize), sizeof objectSize,
                                          &written, 0)))
        return;
    object_.resize(objectSize);
    begin();
}

bool Sha256::begin() {
    hash_.reset();
    failed_ = false;
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (!algorithm_ ||
        !BCRYPT_SUCCESS(BCryptCreateHash(algorithm_.get(), &hash, object_.data(),
                                         static_cast<ULONG>(object_.size()), nullptr, 0, 0)))
        return false;
    hash_.reset(hash);
    return true;
}

bool Sha256::update(const void* data, std::size_t size) {
    if (!hash_ || failed_)
        return false;
    // BCryptHashData takes a ULONG length; a 64-bit block goes in pieces.
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ULONG piece = static_cast<ULONG>(std::min<std::size_t>(size, ULONG_MAX / 2 + 1));
        if (!BCRYPT_SUCCESS(BCryptHashData(hash_.get(), const_cast<PUCHAR>(bytes), piece, 0))) {
            failed_ = true;
            return false;
        }
        bytes += piece;
        size -= piece;
    }
    return true;
}

bool Sha256::finish(Sha256Digest& out) {
    Sha256Digest digest;
    const bool done = hash_ && !failed_ &&
                      BCRYPT_SUCCESS(BCryptFinishHash(hash_.get(), digest.bytes.data(),
                                                      static_cast<ULONG>(digest.bytes.size()), 0));
    begin();
    if (done)
        out = digest;
    return done;
}

bool sha256(const void* data, std::size_t size, Sha256Digest& out) {
    Sha256 hash;
    return hash.update(data, size) && hash.finish(out);
}

Sha256Digest sha256OrZero(const void* data, std::size_t size) {
    Sha256Digest digest;
    sha256(data, size, digest);
    return digest;
}

bool sha256File(const std::string& path, Sha256Digest& out) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file)
        return false;
    // Kept per thread: under Wine a fresh megabyte each time cost a file
    // more than hashing a picture of a few hundred kilobytes. The program's
    // own SHA-256, not CNG's: Wine's ran at a sixth of its speed.
    thread_local Sha256Hash hash;
    thread_local std::vector<unsigned char> piece(1 << 20);
    hash.begin();  // a file given up half-way leaves its state behind
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), piece.data(), static_cast<DWORD>(piece.size()), &got, nullptr))
            return false;
        if (got == 0)
            break;
        hash.update(piece.data(), got);
    }
    out = hash.finish();
    return true;
}

}  // namespace win

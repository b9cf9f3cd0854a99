// SHA-256 through Windows' CNG (bcrypt.dll), fed in pieces so that a large
// file can be hashed without holding it whole.
#pragma once

#include <windows.h>
#include <bcrypt.h>

#include <cstddef>
#include <string>
#include <vector>

#include "base/sha256.h"
#include "base/win_handles_win.h"

namespace win {

struct AlgorithmProviderTraits {
    static BCRYPT_ALG_HANDLE none() { return nullptr; }
    static void close(BCRYPT_ALG_HANDLE h) { BCryptCloseAlgorithmProvider(h, 0); }
};
struct HashHandleTraits {
    static BCRYPT_HASH_HANDLE none() { return nullptr; }
    static void close(BCRYPT_HASH_HANDLE h) { BCryptDestroyHash(h); }
};
using AlgorithmProvider = Owned<BCRYPT_ALG_HANDLE, AlgorithmProviderTraits>;
using HashHandle = Owned<BCRYPT_HASH_HANDLE, HashHandleTraits>;

// One digest at a time: update() with the pieces in order, then finish(),
// which also makes the object ready for the next digest. A failure of CNG
// (ok() false, or a false return) leaves no digest; the caller says so rather
// than recording a made-up one.
class Sha256 {
  public:
    Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    bool ok() const { return static_cast<bool>(hash_); }
    bool update(const void* data, std::size_t size);
    bool finish(Sha256Digest& out);
    // Drops what was hashed so far: a digest given up half-way.
    bool begin();

  private:

    AlgorithmProvider algorithm_;
    // Vista's CNG wants the caller to hold the hash object's memory; it must
    // outlive hash_, so it is declared first.
    std::vector<unsigned char> object_;
    HashHandle hash_;
    bool failed_ = false;
};

// The digest of one block; false when CNG failed.
bool sha256(const void* data, std::size_t size, Sha256Digest& out);

// sha256() in the shape of Sha256Function, for the log's line hashes. A CNG
// failure gives the all-zero digest, so a chain check then fails instead of
// passing.
Sha256Digest sha256OrZero(const void* data, std::size_t size);

// The digest of a file read in pieces; false when it cannot be read.
bool sha256File(const std::string& path, Sha256Digest& out);

}  // namespace win

// The native tests' SHA-256: OpenSSL's libcrypto, in the program's shape.
#pragma once

#include <openssl/evp.h>

#include <cstddef>
#include <string>

#include "base/sha256.h"

inline Sha256Digest opensslSha256(const void* data, std::size_t size) {
    Sha256Digest digest;
    unsigned int length = 0;
    EVP_Digest(data, size, digest.bytes.data(), &length, EVP_sha256(), nullptr);
    return digest;
}

inline Sha256Digest opensslSha256(const std::string& text) {
    return opensslSha256(text.data(), text.size());
}

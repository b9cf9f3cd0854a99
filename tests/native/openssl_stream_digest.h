// OpenSSL's SHA-256 over pieces, in the pack checker's shape; the native
// tests and the fuzzer share it.
#pragma once

#include <openssl/evp.h>

#include <memory>

#include "pack/pack_verify.h"

inline pack::StreamDigest opensslStreamDigest() {
    auto context = std::shared_ptr<EVP_MD_CTX>(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    return {[context] { EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr); },
            [context](const void* data, std::size_t size) {
                EVP_DigestUpdate(context.get(), data, size);
            },
            [context] {
                Sha256Digest digest;
                unsigned int length = 0;
                EVP_DigestFinal_ex(context.get(), digest.bytes.data(), &length);
                return digest;
            }};
}

// SHA-256 computed in the program itself, fed in pieces. Under Wine, CNG's
// SHA-256 ran at about 40 MB/s, the largest part of exporting a history whose
// pictures were never pinned; this one uses the processor's SHA instructions
// where there are any (x86 SHA-NI) and portable code elsewhere.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/sha256.h"

enum class Sha256Engine {
    best,      // the SHA instructions when the processor has them
    portable,  // plain C++ everywhere (the tests check the two agree)
};

// One digest at a time: update() with the pieces in order, then finish(),
// which also starts the next digest afresh.
class Sha256Hash {
  public:
    explicit Sha256Hash(Sha256Engine engine = Sha256Engine::best);

    void update(const void* data, std::size_t size);
    Sha256Digest finish();
    // Drops what was hashed so far.
    void begin();

    // Whether `best` means the SHA instructions on this processor.
    static bool hardwareAvailable();

  private:
    using Compress = void (*)(uint32_t state[8], const unsigned char* blocks, std::size_t count);

    Compress compress_;
    uint32_t state_[8];
    unsigned char pending_[64];
    std::size_t pendingSize_ = 0;
    uint64_t length_ = 0;  // bytes hashed so far
};

// The digest of one block, in the shape of Sha256Function.
Sha256Digest sha256Of(const void* data, std::size_t size);

// Reading a whole file at an ANSI (CP932) path into memory.
#pragma once

#include <cstdint>
#include <string>

namespace win {

// False, with `bytes` empty, when the file cannot be opened or read or is
// larger than `limit` bytes. Others may read and write the file meanwhile.
bool ReadWholeFile(const char* path, std::string& bytes, int64_t limit);

}  // namespace win

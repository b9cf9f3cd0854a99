// The check of a pack's PDF as the pack's writer makes it: the cross-
// reference table read from the file's end, then the attached files (the
// manifest and the log, inflated when compressed) and each record's picture
// found by the record and name the writer put in its image dictionary. A
// JPEG is there as its file's bytes and is hashed as they are read; any
// other picture went in re-compressed and is reported so. The file is read
// at offsets through the caller's function, a piece at a time, so a pack of
// a thousand pictures is never held whole. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "pack/pack_verify.h"

namespace pack {

// `size` bytes at `offset` into `out` (fewer at the file's end); false when
// they cannot be read.
using PdfReadAt = std::function<bool(uint64_t offset, std::size_t size, std::string& out)>;

// True when the bytes open as a PDF does ("%PDF-").
bool looksLikePdf(const char* data, std::size_t size);

// What the pack's PDF of `fileSize` bytes holds; a file that is not one, or
// is cut short, gives what could be found (nothing without its table).
// `progress`, when given, hears the bytes read so far.
PackContents readPackPdf(uint64_t fileSize, const PdfReadAt& readAt, const StreamDigest& digest,
                         const std::function<void(uint64_t done)>& progress = nullptr);

}  // namespace pack

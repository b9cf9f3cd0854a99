// JPEG compression of a captured picture through libjpeg. Platform-free.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

// Writes a baseline JFIF JPEG of a bottom-up 24-bit BGR block (rows of
// `stride` bytes, as GetDIBits returns them) to the open stream `file`:
// libjpeg defaults, RGB input, the given quality with baseline forced (values
// outside 1..100 go to libjpeg as they are; it clamps them) and the fast
// integer DCT. Rows are fed top row first, and blue and red are swapped in
// place in each row just before it is passed, so the block comes back as
// RGB. The stream is flushed but stays open.
// Returns false when the picture is empty or the block too small for it, when
// libjpeg reports an error, or when the stream shows a write failure; the
// stream's contents are then incomplete.
bool encodeJpegStream(FILE* file, int32_t width, int32_t height, int quality, uint8_t* bottomUpBgr,
                      uint32_t stride);

// The same encoding into memory: `out` becomes exactly the bytes
// encodeJpegStream would write (its earlier contents are replaced), so a
// file can be written with one write and its picture shown without reading
// it back. False in the same cases, except that there is no stream to fail;
// `out` is then empty.
bool encodeJpegBytes(int32_t width, int32_t height, int quality, uint8_t* bottomUpBgr,
                     uint32_t stride, std::vector<uint8_t>& out);

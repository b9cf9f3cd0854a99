// The annotation sidecar "<picture>.zan", and which picture leaves Zelcap
// for an annotated record. Platform-free.
//
// The sidecar is CP932 text, every line ending in CR LF:
//   ZAN 1
//   rect <x1> <y1> <x2> <y2> <RRGGBB> <width>
//   arrow <x1> <y1> <x2> <y2> <RRGGBB> <width>
//   mark <x> <y> <RRGGBB> <radius>
//   highlight <x1> <y1> <x2> <y2> <RRGGBB>
//   mask <x1> <y1> <x2> <y2> <RRGGBB>
//   crop <x1> <y1> <x2> <y2>
//   text <x1> <y1> <x2> <y2> <RRGGBB> <height> <balloon 0|1> <face>\t<text>
//   stamp <x1> <y1> <x2> <y2> <text RRGGBB> <background RRGGBB> <height> <face>\t<text>
// one object per line in z-order. Numbers are decimal without leading zeros
// or plus ("-0" is not a number), colours six upper-case hex digits. In the
// faces and the texts, '%', TAB, CR and LF are written %25, %09, %0D and %0A,
// and no other byte is escaped; both are valid CP932. The ranges are those
// of view/annotation.h. A file is read only when writing its objects back
// gives the same bytes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "picture/annotation.h"

namespace annotation {

struct SidecarRead {
    bool ok = false;
    // When not ok: the line (1-based) that could not be read, 0 when the
    // file as a whole is wrong (empty, no version line, a last line without
    // CR LF, a version other than 1).
    std::size_t line = 0;
    std::vector<Object> objects;
};

SidecarRead parseSidecar(const std::string& bytes);
std::string writeSidecar(const std::vector<Object>& objects);

// "<picture>.zan" beside the picture, and its backup "<picture>.zan.bak".
std::string sidecarPath(const std::string& picturePath);
std::string sidecarBackupPath(const std::string& picturePath);
// "<stem>_ann.png" beside the picture: the stem is the file name without
// its last extension (a dot in a folder's name is not an extension; the
// walk is CP932-aware).
std::string flattenedPath(const std::string& picturePath);

// Which picture a report or a workbook takes for a record's picture.
enum class ExportChoice {
    original,   // no sidecar: the picture itself
    flattened,  // the flattened picture
    withheld,   // a sidecar that has (or may have) a mask, but no flattened
                // picture: never the unmasked original
};

// `sidecar`: whether "<picture>.zan" exists, and its bytes when it does;
// `flattenedExists`: whether "<stem>_ann.png" exists. Without a sidecar the
// picture has no annotations (a flattened picture left alone is not one).
// With one, the flattened picture is taken when it exists; without it, a
// sidecar that holds a mask, or that cannot be read, withholds the picture,
// and one without a mask leaves the original.
ExportChoice choosePicture(bool sidecarExists, const std::string& sidecarBytes,
                           bool flattenedExists);

}  // namespace annotation

// The text read from a picture, kept beside it as "<picture>.ocr" (the
// picture's whole file name with ".ocr" after it). Platform-free; the Win32
// side only moves the bytes, and replaces the file whole as the test cases'
// file is saved.
//
// The file, all CP932:
// - the version line "ZOCR<TAB>1", then one line per text line, each line
//   ending in CR LF (an LF alone is read too);
// - a text line is five fields between tabs: left, top, right and bottom of
//   its box in the picture's pixels (right and bottom exclusive; decimal,
//   0 to kCoordinateMaximum, no sign and no leading zero, left <= right,
//   top <= bottom), then its text, escaped as base/tab_file.h says, so
//   that any text comes back byte for byte.
//
// A file with the version line alone is a picture that was read and shows
// no text; a picture with no file was not read yet. A picture the engine
// could not read (too small, too large, a broken file) has the version line
// and one line "!<TAB>" + the reason, escaped, so that it is not read again
// at every open and says why. Whether a picture is being read is the
// worker's to know, not the file's. A file that does not keep to this is
// refused whole, naming the line: the picture is then read again.
#pragma once

#include <cstddef>
#include <string>

#include "ocr/ocr_text.h"

namespace ocrfile {

// Without its line end.
extern const char kVersionLine[];

// "<picture>.ocr" beside the picture.
std::string sidecarPath(const std::string& picturePath);

// Far beyond any picture Zelcap opens; a larger number is damage.
constexpr int kCoordinateMaximum = 1000000;

struct ReadResult {
    bool ok = false;
    // "N 行目: ..." when !ok; N is the line the file went wrong at, from 1.
    std::string error;
    int errorLine = 0;
    OcrResult result;
    bool unreadable = false;  // the engine could not read the picture
    std::string reason;       // why, when unreadable
};

ReadResult parse(const char* data, std::size_t size);

// The whole file, the version line first. A box outside 0 to
// kCoordinateMaximum is clamped into it, and a right or bottom before its
// left or top is moved onto it, so that what this writes, parse reads back.
std::string write(const OcrResult& result);

// The file of a picture that could not be read, saying why.
std::string writeUnreadable(const std::string& reason);

}  // namespace ocrfile

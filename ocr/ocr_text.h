// What the reading of one picture found: its text lines, each with its box
// in the picture's pixels (right and bottom exclusive, as a RECT) and its
// text in CP932, top to bottom as the engine gave them. Platform-free; the
// engine's worker fills it, the sidecar (ocr_file), the search
// (record_search) and the personal-data checks (personal_data) read it.
#pragma once

#include <string>
#include <vector>

struct OcrLine {
    int left, top, right, bottom;
    std::string text;  // CP932
};

struct OcrResult {
    std::vector<OcrLine> lines;
};

bool operator==(const OcrLine& a, const OcrLine& b);
bool operator==(const OcrResult& a, const OcrResult& b);

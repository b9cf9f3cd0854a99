#pragma once

#include <string>
#include <vector>

namespace ocr {

struct OcrLine { int left, top, right, bottom; std::string text; /* CP932 */ };
struct OcrResult { std::vector<OcrLine> lines; };

}  // namespace ocr

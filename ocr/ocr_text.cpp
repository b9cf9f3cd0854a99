#include "ocr/ocr_text.h"

bool operator==(const OcrLine& a, const OcrLine& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom &&
           a.text == b.text;
}

bool operator==(const OcrResult& a, const OcrResult& b) {
    return a.lines == b.lines;
}

#include "ocr/ocr_lines.h"

#include <algorithm>

namespace ocr_lines {

namespace {

bool IsKanaOrKanji(wchar_t c) {
    return (c >= 0x3040 && c <= 0x30FF)      // hiragana, katakana, ー
           || c == 0x3005                    // 々
           || (c >= 0x3400 && c <= 0x4DBF)   // kanji, extension A
           || (c >= 0x4E00 && c <= 0x9FFF)   // kanji
           || (c >= 0xF900 && c <= 0xFAFF)   // compatibility kanji
           || (c >= 0xFF66 && c <= 0xFF9F);  // half-width katakana
}

bool Blank(const std::wstring& text) {
    return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c == L' ' || c == L'\t'; });
}

bool AsciiAlphanumeric(wchar_t c) {
    return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

}  // namespace

bool strayBetweenAscii(const std::wstring& text, std::size_t i) {
    return i > 0 && i + 1 < text.size() && text[i] >= 0x80 && AsciiAlphanumeric(text[i - 1]) &&
           AsciiAlphanumeric(text[i + 1]);
}

bool hasKanaOrKanji(const std::wstring& text, bool strayAsAscii) {
    for (std::size_t i = 0; i < text.size(); ++i)
        if (IsKanaOrKanji(text[i]) && !(strayAsAscii && strayBetweenAscii(text, i)))
            return true;
    return false;
}

bool readAgain(const std::wstring& text, bool strayAsAscii) {
    return !Blank(text) && !hasKanaOrKanji(text, strayAsAscii);
}

bool secondStands(const Reading& first, const Reading& second, Choice choice) {
    if (Blank(second.text))
        return false;
    switch (choice) {
        case Choice::off:
            return false;
        case Choice::always:
            return true;
        case Choice::confidence:
            return second.meanConfidence() > first.meanConfidence();
        case Choice::fewestRejected:
            return second.rejected < first.rejected ||
                   (second.rejected == first.rejected && second.meanConfidence() > first.meanConfidence());
    }
    return false;
}

}  // namespace ocr_lines

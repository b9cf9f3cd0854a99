// The personal data a text line read from a picture may show, found so that
// a mask can be proposed over each: e-mail addresses, Japanese phone
// numbers, card numbers (Luhn), マイナンバー (its check digit) and the
// user's own patterns. Platform-free; the line is CP932 as the engine gave
// it, and full-width digits, letters and hyphens count as their ASCII forms
// (text_fold).
//
// The user's patterns are literal text in which '#' stands for any digit,
// '?' for any one character, and '\' makes the character after it literal
// ("\#", "\?", "\\"); letters compare folded as the search folds them. A
// pattern is matched character by character at every start, so a line is
// checked in time proportional to its length times the pattern's, which
// kPatternMaximum bounds: no pattern can make the check blow up.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "ocr/ocr_text.h"

namespace personal_data {

enum class Kind { email, phone, card, myNumber, userPattern };

// As the mask candidates' list names them (CP932).
const char* kindName(Kind kind);

struct Hit {
    Kind kind;
    std::size_t begin, end;  // bytes of the line's text
    // The line's box narrowed to the hit: approximate, see find().
    int left, top, right, bottom;
    int pattern;  // for userPattern, the index in the list; otherwise -1
};

// The characters a pattern may have at the most, after its escapes.
constexpr std::size_t kPatternMaximum = 64;

// False, with the reason (CP932) in `why`, for a pattern that cannot be
// used: empty, longer than kPatternMaximum, ending in a lone '\', or made of
// '?' alone (it would mask every text).
bool validPattern(const std::string& pattern, const char*& why);

// Every hit in the line, ordered by where it starts. Patterns that
// validPattern refuses are passed over. The box of a hit is the line's box
// with its left and right moved in proportion to the hit's bytes in the
// line's text: in CP932 a full-width character has two bytes and a
// half-width one one, so bytes go roughly with the width the text is drawn
// at. The box is rounded outwards, so that a mask over it covers the hit
// where the font is even; it is no measurement of the glyphs.
// With `lookAlikes`, what the engine may have misread in small text is a
// hit too: an e-mail address whose '@' or dots came out as look-alikes
// ('Q', '?', ロ or 口; ',' or 。, a blank after them), a card number in four
// groups of four digits that fails the Luhn check, has a digit read as a
// look-alike letter ('O', 'S', '$', 'L', 'I', 'B', 'Z') or a separator read
// as a character of its own.
std::vector<Hit> find(const OcrLine& line, const std::vector<std::string>& patterns,
                      bool lookAlikes = true);

// The checks themselves, over ASCII digits.
bool luhnValid(std::string_view digits);
bool myNumberValid(std::string_view digits);  // twelve digits, the last the check digit

}  // namespace personal_data

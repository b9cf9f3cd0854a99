// The Japanese font of the pack's PDF: one TrueType font, its glyphs looked
// up and measured as the pages are written, and only the glyphs used
// embedded at the end (a subset made by harfbuzz), as a Type0 font with
// Identity-H and a ToUnicode map, so that the text can be selected and
// searched. The glyph ids stay those of the whole font, so pages written
// before the subset is made refer to the right glyphs. Platform-free.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "pack/pdf_writer.h"

namespace pack::pdf {

class Font {
  public:
    Font();
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // The font file's bytes; false when they are no TrueType font with a
    // Unicode character map.
    bool load(std::string bytes);

    // The width of the text at `size` points.
    double width(const std::u32string& text, double size) const;
    double width(char32_t c, double size) const;
    // The text as the operand of Tj ("<0123...>"), every glyph marked used.
    // A character the font lacks shows as its "?" (never the .notdef glyph,
    // which PDF/A forbids in text).
    std::string show(const std::u32string& text);

    // Writes the font's objects as object `number` (the Type0 font the
    // pages name). False when the subset cannot be made.
    bool write(Writer& out, int number);

  private:
    uint32_t glyph(char32_t c) const;
    struct Face;
    std::unique_ptr<Face> face_;
    std::map<uint32_t, char32_t> used_;  // glyph id -> the character it shows
};

}  // namespace pack::pdf

// The glyphs of annotations, which the platform-free painter
// (view/annotation_raster.h) leaves to GDI: a text's, a mark's number and a
// stamp's text; and a picture flattened with all its objects, as the
// editor saves it and as a capture's stamp is written.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "picture/annotation.h"

class PackedDib;

namespace annotation_glyphs {

// Between a text's box and its glyphs, in pixels.
constexpr int32_t kTextPad = 4;

// Into `dc`, whose pixels are the picture's (one to one).
void DrawTextGlyphs(HDC dc, const annotation::Object& text);
void DrawNumberGlyphs(HDC dc, const annotation::Object& mark, int number);
void DrawStampGlyphs(HDC dc, const annotation::Object& stamp);

// The size of a stamp's glyphs in a font `fontHeight` pixels high.
SIZE MeasureStamp(HDC dc, int32_t fontHeight, const std::string& text);

// The kept area (annotation::keptArea) of `picture` with every object
// painted, as PNG bytes. False when GDI or the encoder fails.
bool FlattenedPng(const PackedDib& picture, const std::vector<annotation::Object>& objects,
                  std::vector<uint8_t>& png);

}  // namespace annotation_glyphs

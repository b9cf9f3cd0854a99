#include "view/annotation_glyphs_win.h"

#include <cstdio>
#include <cstring>

#include "base/cp932.h"
#include "base/win_handles_win.h"
#include "picture/png_encoder.h"
#include "view/annotation_raster.h"
#include "view/packed_dib.h"

namespace annotation_glyphs {

using annotation::Kind;
using annotation::Object;
using annotation::Rect;

namespace {

COLORREF ToColorRef(uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// The text kind's font: Shift-JIS, its face (empty: the system's choice),
// without anti-aliasing, so that the flattened picture is the same on
// every machine with the same fonts.
HFONT TextFont(int32_t height, const std::string& face) {
    LOGFONTA font{};
    font.lfHeight = height;
    font.lfCharSet = SHIFTJIS_CHARSET;
    font.lfQuality = NONANTIALIASED_QUALITY;
    cp932::copyText(font.lfFaceName, face.c_str());
    return CreateFontIndirectA(&font);
}

void DrawInBox(HDC dc, const Object& o, UINT format) {
    win::Font made(TextFont(o.fontHeight, o.face));
    win::SelectGuard selectFont(dc, made.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ToColorRef(o.colour));
    const Rect box = annotation::bounds(o);
    RECT r{box.left + kTextPad, box.top + kTextPad, box.right - kTextPad, box.bottom - kTextPad};
    DrawTextA(dc, o.text.c_str(), static_cast<int>(o.text.size()), &r, format);
}

}  // namespace

void DrawTextGlyphs(HDC dc, const Object& text) {
    DrawInBox(dc, text, DT_NOPREFIX | DT_LEFT | DT_TOP | DT_NOCLIP);
}

void DrawStampGlyphs(HDC dc, const Object& stamp) {
    DrawInBox(dc, stamp, DT_NOPREFIX | DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOCLIP);
}

void DrawNumberGlyphs(HDC dc, const Object& mark, int number) {
    LOGFONTA font{};
    font.lfHeight = mark.width * 3 / 2;
    font.lfWeight = FW_BOLD;
    font.lfQuality = NONANTIALIASED_QUALITY;
    win::Font made(CreateFontIndirectA(&font));
    win::SelectGuard selectFont(dc, made.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    char digits[16];
    std::snprintf(digits, sizeof digits, "%d", number);
    RECT r{mark.a.x - mark.width, mark.a.y - mark.width, mark.a.x + mark.width + 1,
           mark.a.y + mark.width + 1};
    DrawTextA(dc, digits, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
}

SIZE MeasureStamp(HDC dc, int32_t fontHeight, const std::string& text) {
    win::Font made(TextFont(fontHeight, std::string()));
    win::SelectGuard selectFont(dc, made.get());
    RECT r{0, 0, 0, 0};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | DT_NOPREFIX | DT_LEFT | DT_TOP | DT_SINGLELINE);
    return {r.right, r.bottom};
}

bool FlattenedPng(const PackedDib& picture, const std::vector<Object>& objects,
                  std::vector<uint8_t>& png) {
    if (picture.empty())
        return false;
    win::WindowDc screen(nullptr);
    win::MemoryDc memory(CreateCompatibleDC(screen.get()));
    void* pixels = nullptr;
    win::Bitmap section(CreateDIBSection(screen.get(),
                                         reinterpret_cast<const BITMAPINFO*>(picture.data()),
                                         DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (!memory || !section || !pixels)
        return false;
    win::SelectGuard selectBitmap(memory.get(), section.get());
    std::memcpy(pixels, picture.bits(), std::size_t{picture.stride()} * picture.height());
    annotation::Canvas canvas{static_cast<uint8_t*>(pixels), picture.width(), picture.height(),
                              picture.stride()};
    const Rect all{0, 0, picture.width(), picture.height()};
    for (const std::size_t i : annotation::paintOrder(objects)) {
        const Object& o = objects[i];
        GdiFlush();
        annotation::paintShape(o, canvas, all);
        if (o.kind == Kind::text)
            DrawTextGlyphs(memory.get(), o);
        else if (o.kind == Kind::stamp)
            DrawStampGlyphs(memory.get(), o);
        else if (o.kind == Kind::mark) {
            int number = 1;  // as Document::markNumber counts
            for (std::size_t k = 0; k < i; ++k)
                number += objects[k].kind == Kind::mark ? 1 : 0;
            DrawNumberGlyphs(memory.get(), o, number);
        }
    }
    GdiFlush();
    const Rect kept = annotation::keptArea(objects, picture.width(), picture.height());
    std::vector<uint8_t> area;
    uint32_t areaStride = 0;
    annotation::copyArea(canvas, kept, area, &areaStride);
    return encodePngBytes(kept.right - kept.left, kept.bottom - kept.top, area.data(), areaStride,
                          png);
}

}  // namespace annotation_glyphs

// The text reader's quality set: screen-like pictures drawn with GDI in the
// Japanese UI fonts this Wine has (menus, dialogs, forms, tables; 9 to 14
// pixel text, Japanese and English), each with the text it shows and the
// personal data planted in it, so the truth is known without reading it.
// Page n is the same every time it is drawn.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/win_handles_win.h"
#include "ocr/ocr_engine_win.h"
#include "ocr/personal_data.h"

namespace ocr_pages {

struct Planted {
    personal_data::Kind kind;
    std::string value;  // CP932, as drawn
};

// A 24-bit bottom-up DIB section with the page drawn on it.
class Page {
  public:
    Page(int width, int height);
    Page(const Page&) = delete;
    Page& operator=(const Page&) = delete;

    ocr::OcrPixels pixels() const;
    bool saveBmp(const std::string& path) const;
    HDC dc() const { return dc_.get(); }
    int width() const { return width_; }
    int height() const { return height_; }

    std::string name;        // what kind of screen, font and size
    std::string face;        // the face GDI took for the font asked for
    OcrResult truth;         // every text drawn, with the box it covers
    std::vector<Planted> planted;

  private:
    int width_, height_;
    int stride_;
    win::MemoryDc dc_;
    win::Bitmap bitmap_;
    void* bits_ = nullptr;
};

constexpr int kPageCount = 56;

// Draws page `index` (0 to kPageCount - 1).
std::unique_ptr<Page> DrawPage(int index);

// The processor time of this thread, which other programs on a busy machine
// do not stretch as they stretch the wall clock.
long long ThreadCpuMs();

}  // namespace ocr_pages

// The pages of the pack's PDF as they are filled: A4 portrait, text lines
// that wrap at the margin and run on to a new page, pictures fitted into a
// box, and the bookmarks. Each page goes to the file when the next one
// starts; what stays is its object number. Platform-free.
#pragma once

#include <string>
#include <vector>

#include "pack/pdf_font.h"
#include "pack/pdf_image.h"
#include "pack/pdf_writer.h"

namespace pack::pdf {

constexpr double kPageWidth = 595.28, kPageHeight = 841.89, kMargin = 42;
constexpr double kTop = kPageHeight - kMargin, kBottom = kMargin;
constexpr double kTextWidth = kPageWidth - 2 * kMargin;

// A text cut into lines no wider than `width` at `size` points: at its own
// line ends first, then between any two characters.
std::vector<std::u32string> wrapText(const Font& font, const std::u32string& text, double size,
                                     double width);

class Layout {
  public:
    Layout(Writer& out, Font& font);

    void newPage();
    // Ends the last page and writes the page tree and the outline; returns
    // the catalog's entries for them.
    std::string finish();

    // Writes the text's lines at the left margin + indent from the current
    // height down, starting a new page when one does not fit.
    void paragraph(const std::string& cp932, double size, double indent = 0);
    // One line at (x, baseline y), as it is.
    void textAt(double x, double y, const std::u32string& text, double size);
    // The image object, fitted into the box (left, bottom, width, height)
    // and centred at its top, never above 96 dots per inch.
    void image(int number, ImageSize size, double left, double bottom, double width, double height);
    // Raw drawing operators for the current page (lines, fills).
    void draw(const std::string& operators) { content_ += operators; }

    // A bookmark to the current height of the current page.
    void bookmark(const std::string& cp932);

    double y = kTop;  // the top of what is still free on the page
    bool onPage() const { return page_ != 0; }
    int pagesStarted() const { return started_; }
    Font& font() { return font_; }

  private:
    void endPage();
    Writer& out_;
    Font& font_;
    int pagesObject_, fontObject_;
    int page_ = 0, started_ = 0;
    std::string content_, images_;
    std::vector<int> pages_;
    struct Mark {
        std::string title;
        int page;
        double y;
    };
    std::vector<Mark> marks_;
};

}  // namespace pack::pdf

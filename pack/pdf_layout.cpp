#include "pack/pdf_layout.h"

#include <algorithm>

namespace pack::pdf {

std::vector<std::u32string> wrapText(const Font& font, const std::u32string& text, double size,
                                     double width) {
    std::vector<std::u32string> lines(1);
    double used = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            lines.emplace_back();
            used = 0;
            continue;
        }
        if (c == '\t')
            c = ' ';
        if (c < 0x20)
            continue;
        const double w = font.width(c, size);
        if (used + w > width && !lines.back().empty()) {
            lines.emplace_back();
            used = 0;
        }
        lines.back() += c;
        used += w;
    }
    return lines;
}

Layout::Layout(Writer& out, Font& font)
    : out_(out), font_(font), pagesObject_(out.reserve()), fontObject_(out.reserve()) {}

void Layout::endPage() {
    if (page_ == 0)
        return;
    const int contents = out_.reserve();
    out_.stream(contents, "/Filter /FlateDecode", deflate(content_));
    out_.begin(page_);
    out_.put("<</Type /Page /Parent " + std::to_string(pagesObject_) + " 0 R /MediaBox [0 0 " +
             num(kPageWidth) + " " + num(kPageHeight) + "] /Resources <</Font <</F1 " +
             std::to_string(fontObject_) + " 0 R>> /XObject <<" + images_ + ">>>> /Contents " +
             std::to_string(contents) + " 0 R>>");
    out_.end();
    pages_.push_back(page_);
    page_ = 0;
    content_.clear();
    images_.clear();
}

void Layout::newPage() {
    endPage();
    page_ = out_.reserve();
    ++started_;
    y = kTop;
}

void Layout::textAt(double x, double baseline, const std::u32string& text, double size) {
    if (text.empty())
        return;
    content_ += "BT /F1 " + num(size) + " Tf " + num(x) + " " + num(baseline) + " Td " +
                font_.show(text) + " Tj ET\n";
}

void Layout::paragraph(const std::string& cp932, double size, double indent) {
    const double leading = size * 1.4;
    for (const std::u32string& line :
         wrapText(font_, unicodeOf(cp932), size, kTextWidth - indent)) {
        if (!onPage() || y - leading < kBottom)
            newPage();
        y -= leading;
        textAt(kMargin + indent, y + size * 0.25, line, size);
    }
}

void Layout::image(int number, ImageSize size, double left, double bottom, double width,
                   double height) {
    if (size.width <= 0 || size.height <= 0 || width <= 0 || height <= 0)
        return;
    const double scale = std::min({width / size.width, height / size.height, 0.75});
    const double w = size.width * scale, h = size.height * scale;
    const double x = left + (width - w) / 2, top = bottom + height;
    const std::string name = "/Im" + std::to_string(number);
    images_ += name + " " + std::to_string(number) + " 0 R ";
    content_ += "q " + num(w) + " 0 0 " + num(h) + " " + num(x) + " " + num(top - h) + " cm " +
                name + " Do Q\n";
}

void Layout::bookmark(const std::string& cp932) {
    if (!onPage())
        newPage();
    marks_.push_back({cp932, page_, y});
}

std::string Layout::finish() {
    endPage();
    std::string kids;
    for (int p : pages_)
        kids += std::to_string(p) + " 0 R ";
    out_.begin(pagesObject_);
    out_.put("<</Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages_.size()) + ">>");
    out_.end();
    if (!font_.write(out_, fontObject_))
        return {};
    std::string entries = " /Pages " + std::to_string(pagesObject_) + " 0 R";
    if (marks_.empty())
        return entries;
    const int outline = out_.reserve();
    std::vector<int> items;
    for (std::size_t i = 0; i < marks_.size(); ++i)
        items.push_back(out_.reserve());
    for (std::size_t i = 0; i < marks_.size(); ++i) {
        std::string item = "<</Title " + textString(marks_[i].title) + " /Parent " +
                           std::to_string(outline) + " 0 R /Dest [" +
                           std::to_string(marks_[i].page) + " 0 R /XYZ 0 " +
                           num(std::min(marks_[i].y + 20, kPageHeight)) + " 0]";
        if (i > 0)
            item += " /Prev " + std::to_string(items[i - 1]) + " 0 R";
        if (i + 1 < items.size())
            item += " /Next " + std::to_string(items[i + 1]) + " 0 R";
        out_.begin(items[i]);
        out_.put(item + ">>");
        out_.end();
    }
    out_.begin(outline);
    out_.put("<</Type /Outlines /First " + std::to_string(items.front()) + " 0 R /Last " +
             std::to_string(items.back()) + " 0 R /Count " + std::to_string(items.size()) + ">>");
    out_.end();
    return entries + " /Outlines " + std::to_string(outline) + " 0 R /PageMode /UseOutlines";
}

}  // namespace pack::pdf

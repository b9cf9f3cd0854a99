// The pack's PDF writer below the page: its numbers, dates and strings, the
// cross-reference table, a refusing sink, pictures sorted by how they go in,
// line wrapping, and a cancelled pack. The whole file is read back with
// poppler and qpdf by tests/pack/pdf_check.sh.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "pack/pack_pdf.h"
#include "pack/pdf_font.h"
#include "pack/pdf_image.h"
#include "pack/pdf_layout.h"
#include "pack/pdf_writer.h"
#include "tests/pack/file_chunks.h"

namespace {

using namespace pack;

const char* const kFont = "/usr/share/fonts/opentype/ipaexfont-gothic/ipaexg.ttf";

const PackReader readFile = readFileChunks;

TEST(PackPdfText, NumbersDatesAndStrings) {
    struct {
        double value;
        const char* text;
    } numbers[] = {{0, "0"},      {1.5, "1.5"}, {595.276, "595.28"},
                   {-0.001, "0"}, {12.0, "12"}, {-3.456, "-3.46"}};
    for (const auto& n : numbers)
        EXPECT_EQ(pdf::num(n.value), n.text) << n.value;
    struct {
        const char* iso;
        const char* pdf;
    } dates[] = {{"2026-12-10T21:05:00+09:00", "D:20261210210500+09'00'"},
                 {"2026-01-02T03:04:05Z", "D:20260102030405Z"},
                 {"2026-01-02T03:04:05-05:30", "D:20260102030405-05'30'"},
                 {"2026-01-02T03:04:05", "D:20260102030405"}};
    for (const auto& d : dates)
        EXPECT_EQ(pdf::pdfDate(d.iso), d.pdf) << d.iso;
    EXPECT_EQ(pdf::textString("A表"), "<FEFF00418868>");  // 表: 0x95 0x5C in CP932
    EXPECT_EQ(pdf::literal("a(b)\\c"), "(a\\(b\\)\\\\c)");
}

TEST(PackPdfWriter, CrossReferenceNamesEachObjectsOffset) {
    std::string file;
    const PackSink sink = [&](const char* d, std::size_t n) {
        file.append(d, n);
        return true;
    };
    pdf::Writer out(sink);
    const int a = out.reserve(), b = out.reserve();
    out.beginStream(b, "");
    out.put("0123456789");
    out.endStream();
    out.begin(a);
    out.put("<</Type /Catalog>>");
    out.end();
    const int never = out.reserve();  // taken, then not written
    out.finish(a, a, "00");
    const std::size_t xref = file.find("xref\n0 ");
    ASSERT_NE(xref, std::string::npos);
    for (int number : {a, b, b + 1, never}) {
        const std::size_t entry = xref + 9 + 20 * static_cast<std::size_t>(number) + 1;
        const std::size_t offset = std::stoul(file.substr(entry, 10));
        EXPECT_EQ(file.compare(offset, std::to_string(number).size() + 6,
                               std::to_string(number) + " 0 obj"),
                  0)
            << number;
    }
    // The stream's length object holds what the stream holds.
    EXPECT_NE(file.find(std::to_string(b + 1) + " 0 obj\n10\nendobj"), std::string::npos);
    EXPECT_NE(file.find("startxref\n" + std::to_string(xref) + "\n%%EOF"), std::string::npos);
}

TEST(PackPdfWriter, StopsAtTheFirstRefusal) {
    int calls = 0;
    const PackSink sink = [&](const char*, std::size_t) { return ++calls < 2; };
    pdf::Writer out(sink);
    EXPECT_TRUE(out.ok());
    out.put("a");
    EXPECT_FALSE(out.ok());
    out.put("b");
    EXPECT_EQ(calls, 2);
}

std::string be32(uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}

// A PNG of the given IHDR, one (empty) IDAT, an optional extra chunk, IEND.
std::string png(uint8_t depth, uint8_t colour, uint8_t interlace, const char* extra = nullptr) {
    std::string p = "\x89PNG\r\n\x1a\n";
    p += be32(13) + "IHDR" + be32(4) + be32(3) +
         std::string{static_cast<char>(depth), static_cast<char>(colour), 0, 0,
                     static_cast<char>(interlace)} +
         be32(0);
    if (extra)
        p += be32(0) + extra + be32(0);
    return p + be32(0) + "IDAT" + be32(0) + be32(0) + "IEND" + be32(0);
}

std::string jpeg(uint8_t components) {
    std::string j = "\xFF\xD8\xFF\xC0";
    j += std::string{0, static_cast<char>(8 + 3 * components), 8, 0, 3, 0,
                     4, static_cast<char>(components)};
    for (uint8_t c = 0; c < components; ++c)
        j += std::string{static_cast<char>(c + 1), 0x11, 0};
    return j + "\xFF\xDA\x00\x02\xFF\xD9";
}

TEST(PackPdfImage, HowEachPictureGoesIn) {
    using K = pdf::ImagePlan::Kind;
    struct {
        const char* what;
        std::string bytes;
        K kind;
        int components;
    } cases[] = {
        {"colour JPEG", jpeg(3), K::jpeg, 3},
        {"gray JPEG", jpeg(1), K::jpeg, 1},
        {"CMYK JPEG", jpeg(4), K::none, 4},
        {"8-bit RGB PNG", png(8, 2, 0), K::pngRows, 3},
        {"8-bit gray PNG", png(8, 0, 0), K::pngRows, 1},
        {"palette PNG", png(8, 3, 0), K::decode, 3},
        {"RGBA PNG", png(8, 6, 0), K::decode, 3},
        {"16-bit PNG", png(16, 2, 0), K::decode, 3},
        {"interlaced PNG", png(8, 2, 1), K::decode, 3},
        {"PNG with tRNS", png(8, 2, 0, "tRNS"), K::decode, 3},
        {"PNG without IEND", png(8, 2, 0).substr(0, 45), K::none, 3},
        {"text", "hello", K::none, 3},
    };
    for (const auto& c : cases) {
        const pdf::ImagePlan plan =
            pdf::planImage(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size());
        EXPECT_EQ(plan.kind, c.kind) << c.what;
        if (plan.kind != K::none) {
            EXPECT_EQ(plan.components, c.components) << c.what;
        }
    }
}

TEST(PackPdfLayout, LinesWrapAtTheirEndsAndTheWidth) {
    std::string bytes;
    ASSERT_TRUE(readFile(kFont, [&](const char* d, std::size_t n) { bytes.append(d, n); }));
    pdf::Font font;
    ASSERT_TRUE(font.load(bytes));
    const double em = font.width(U'あ', 10);
    EXPECT_DOUBLE_EQ(em, 10);  // a full-width character is one em
    struct {
        std::u32string text;
        double width;
        std::vector<std::u32string> lines;
    } cases[] = {
        {U"あいうえお", 35, {U"あいう", U"えお"}},
        {U"あい\r\nう\nえ\rお", 100, {U"あい", U"う", U"え", U"お"}},
        {U"あいう", 5, {U"あ", U"い", U"う"}},  // narrower than a character: one a line
        {U"a\tb\x01", 100, {U"a b"}},
        {U"", 100, {U""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pdf::wrapText(font, c.text, 10, c.width), c.lines);
    EXPECT_FALSE(pdf::Font().load("not a font"));
}

TEST(PackPdf, CancelledStopsAndFontMissingSaysSo) {
    PackInput in;
    in.title = "t";
    in.created = "2026-12-10T21:05:00+09:00";
    for (int i = 1; i <= 3; ++i)
        in.records.push_back({i, "2026/12/10", "見出し", "", {}, {}});
    std::size_t bytes = 0;
    const PackSink sink = [&](const char*, std::size_t n) {
        bytes += n;
        return true;
    };
    int calls = 0;
    PackResult r =
        writePackPdf(in, {}, kFont, readFile, sink, [&](int, int) { return ++calls < 2; });
    EXPECT_TRUE(r.cancelled);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(calls, 2);
    bytes = 0;
    r = writePackPdf(in, {}, "/nonexistent/font.ttf", readFile, sink,
                     [](int, int) { return true; });
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message.rfind("PDFに埋め込むフォントを読み込めませんでした: ", 0), 0u);
    EXPECT_EQ(bytes, 0u);  // nothing written without the font
}

}  // namespace

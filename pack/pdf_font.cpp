#include "pack/pdf_font.h"

#include <hb-subset.h>
#include <hb-ot.h>
#include <hb.h>

#include <cstdio>

namespace pack::pdf {

namespace {

template <typename T, void (*Destroy)(T*)>
struct HbOwner {
    T* p = nullptr;
    explicit HbOwner(T* q) : p(q) {}
    ~HbOwner() {
        if (p)
            Destroy(p);
    }
    HbOwner(const HbOwner&) = delete;
    HbOwner& operator=(const HbOwner&) = delete;
};
using Blob = HbOwner<hb_blob_t, hb_blob_destroy>;
using FaceOwner = HbOwner<hb_face_t, hb_face_destroy>;
using SubsetInput = HbOwner<hb_subset_input_t, hb_subset_input_destroy>;

void hex4(std::string& out, unsigned v) {
    static const char kHex[] = "0123456789ABCDEF";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += kHex[(v >> shift) & 0xF];
}

// The subset's tag: six capitals from the glyphs it holds.
std::string subsetTag(const std::map<uint32_t, char32_t>& used) {
    uint32_t h = 2166136261u;
    for (const auto& g : used)
        h = (h ^ g.first) * 16777619u;
    std::string tag;
    for (int i = 0; i < 6; ++i, h /= 26)
        tag += static_cast<char>('A' + h % 26);
    return tag;
}

std::string toUnicodeMap(const std::map<uint32_t, char32_t>& used) {
    std::string cmap =
        "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
        "/CIDSystemInfo <</Registry (Adobe) /Ordering (UCS) /Supplement 0>> def\n"
        "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
        "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    auto it = used.begin();
    while (it != used.end()) {
        std::string block;
        int n = 0;
        for (; it != used.end() && n < 100; ++it, ++n) {
            block += "<";
            hex4(block, it->first);
            block += "> <";
            hex4(block, static_cast<unsigned>(it->second > 0xFFFF ? 0xFFFD : it->second));
            block += ">\n";
        }
        cmap += std::to_string(n) + " beginbfchar\n" + block + "endbfchar\n";
    }
    return cmap + "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
}

// The font's PostScript name, for the subset's name; letters and digits only.
std::string postScriptName(hb_face_t* face) {
    char name[64] = {};
    unsigned size = sizeof name;
    hb_ot_name_get_utf8(face, HB_OT_NAME_ID_POSTSCRIPT_NAME, HB_LANGUAGE_INVALID, &size, name);
    std::string out;
    for (const char* p = name; *p; ++p)
        if ((*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z') || (*p >= '0' && *p <= '9') ||
            *p == '-')
            out += *p;
    return out.empty() ? "Font" : out;
}

}  // namespace

struct Font::Face {
    std::string bytes;
    hb_blob_t* blob = nullptr;
    hb_face_t* face = nullptr;
    hb_font_t* font = nullptr;
    unsigned upem = 1000;
    uint32_t question = 0;
    ~Face() {
        hb_font_destroy(font);
        hb_face_destroy(face);
        hb_blob_destroy(blob);
    }
};

Font::Font() = default;
Font::~Font() = default;

bool Font::load(std::string bytes) {
    auto f = std::make_unique<Face>();
    f->bytes = std::move(bytes);
    f->blob = hb_blob_create(f->bytes.data(), static_cast<unsigned>(f->bytes.size()),
                             HB_MEMORY_MODE_READONLY, nullptr, nullptr);
    f->face = hb_face_create(f->blob, 0);
    f->upem = hb_face_get_upem(f->face);
    f->font = hb_font_create(f->face);
    hb_font_set_scale(f->font, static_cast<int>(f->upem), static_cast<int>(f->upem));
    hb_codepoint_t q = 0, a = 0;
    if (hb_face_get_glyph_count(f->face) == 0 || !hb_font_get_nominal_glyph(f->font, '?', &q) ||
        !hb_font_get_nominal_glyph(f->font, 0x3042, &a))  // あ: a Japanese font
        return false;
    f->question = q;
    face_ = std::move(f);
    return true;
}

uint32_t Font::glyph(char32_t c) const {
    hb_codepoint_t g = 0;
    return hb_font_get_nominal_glyph(face_->font, c, &g) && g != 0 ? g : face_->question;
}

double Font::width(char32_t c, double size) const {
    return hb_font_get_glyph_h_advance(face_->font, glyph(c)) * size / face_->upem;
}

double Font::width(const std::u32string& text, double size) const {
    double w = 0;
    for (char32_t c : text)
        w += width(c, size);
    return w;
}

std::string Font::show(const std::u32string& text) {
    std::string out = "<";
    for (char32_t c : text) {
        const uint32_t g = glyph(c);
        used_.emplace(g, g == face_->question ? char32_t{'?'} : c);
        hex4(out, g);
    }
    return out + ">";
}

bool Font::write(Writer& out, int number) {
    used_.emplace(face_->question, char32_t{'?'});  // never an empty subset
    SubsetInput input(hb_subset_input_create_or_fail());
    if (!input.p)
        return false;
    hb_set_t* glyphs = hb_subset_input_glyph_set(input.p);
    hb_set_t* unicodes = hb_subset_input_unicode_set(input.p);
    for (const auto& g : used_) {
        hb_set_add(glyphs, g.first);
        hb_set_add(unicodes, g.second);
    }
    hb_subset_input_set_flags(input.p, HB_SUBSET_FLAGS_RETAIN_GIDS);
    // Layout and vertical tables play no part in a PDF's text.
    hb_set_t* drop = hb_subset_input_set(input.p, HB_SUBSET_SETS_DROP_TABLE_TAG);
    for (const char* tag : {"GSUB", "GPOS", "GDEF", "vhea", "vmtx", "VORG", "BASE", "JSTF", "DSIG"})
        hb_set_add(drop, hb_tag_from_string(tag, 4));
    FaceOwner subset(hb_subset_or_fail(face_->face, input.p));
    if (!subset.p)
        return false;
    Blob data(hb_face_reference_blob(subset.p));
    unsigned size = 0;
    const char* bytes = hb_blob_get_data(data.p, &size);
    if (!bytes || size == 0)
        return false;

    const int cid = out.reserve(), descriptor = out.reserve(), file = out.reserve(),
              toUnicode = out.reserve();
    const std::string name = "/" + subsetTag(used_) + "+" + postScriptName(face_->face);
    const double k = 1000.0 / face_->upem;
    hb_font_extents_t ext{};
    hb_font_get_h_extents(face_->font, &ext);
    out.begin(number);
    out.put("<</Type /Font /Subtype /Type0 /BaseFont " + name +
            " /Encoding /Identity-H /DescendantFonts [" + std::to_string(cid) +
            " 0 R] /ToUnicode " + std::to_string(toUnicode) + " 0 R>>");
    out.end();
    std::string widths;
    for (const auto& g : used_)
        widths += std::to_string(g.first) + " [" +
                  num(hb_font_get_glyph_h_advance(face_->font, g.first) * k) + "] ";
    out.begin(cid);
    out.put("<</Type /Font /Subtype /CIDFontType2 /BaseFont " + name +
            " /CIDSystemInfo <</Registry (Adobe) /Ordering (Identity) /Supplement 0>> "
            "/FontDescriptor " +
            std::to_string(descriptor) + " 0 R /CIDToGIDMap /Identity /DW 1000 /W [" + widths +
            "]>>");
    out.end();
    out.begin(descriptor);
    out.put("<</Type /FontDescriptor /FontName " + name + " /Flags 4 /FontBBox [0 " +
            num(ext.descender * k) + " 1000 " + num(ext.ascender * k) +
            "] /ItalicAngle 0 /Ascent " + num(ext.ascender * k) + " /Descent " +
            num(ext.descender * k) + " /CapHeight " + num(ext.ascender * k) +
            " /StemV 80 /FontFile2 " + std::to_string(file) + " 0 R>>");
    out.end();
    const std::string packed = deflate(std::string_view(bytes, size));
    out.stream(file, "/Filter /FlateDecode /Length1 " + std::to_string(size), packed);
    out.stream(toUnicode, "", toUnicodeMap(used_));
    return true;
}

}  // namespace pack::pdf

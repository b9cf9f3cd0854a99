#include "pack/pdf_archive.h"

#include <cstdint>
#include <cstdio>

#include "base/text_encoding.h"

namespace pack::pdf {

const char* const kProducer = "Zelcap";

namespace {

void be32(std::string& s, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        s += static_cast<char>((v >> shift) & 0xFF);
}

void s15(std::string& s, double v) {
    be32(s, static_cast<uint32_t>(static_cast<int32_t>(v * 65536 + (v < 0 ? -0.5 : 0.5))));
}

std::string xyz(double x, double y, double z) {
    std::string t = "XYZ ";
    be32(t, 0);
    s15(t, x), s15(t, y), s15(t, z);
    return t;
}

std::string xmlEscape(const std::string& utf8) {
    std::string out;
    for (char c : utf8) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

}  // namespace

std::string srgbProfile() {
    std::string desc = "desc";
    be32(desc, 0);
    const std::string name = "sRGB IEC61966-2.1";
    be32(desc, static_cast<uint32_t>(name.size() + 1));
    desc += name + '\0';
    desc += std::string(4 + 4 + 2 + 1 + 67, '\0');  // no Unicode or Macintosh name
    std::string cprt = "text";
    be32(cprt, 0);
    cprt += std::string("No copyright, use freely") + '\0';
    std::string curve = "curv";
    be32(curve, 0);
    be32(curve, 1);
    curve += std::string("\x02\x33\0\0", 4);  // gamma 2.2 (u8.8), padded
    const std::pair<const char*, std::string> tags[] = {{"desc", desc},
                                                        {"cprt", cprt},
                                                        {"wtpt", xyz(0.9642, 1.0, 0.8249)},
                                                        {"rXYZ", xyz(0.4361, 0.2225, 0.0139)},
                                                        {"gXYZ", xyz(0.3851, 0.7169, 0.0971)},
                                                        {"bXYZ", xyz(0.1431, 0.0606, 0.7141)},
                                                        {"rTRC", curve},
                                                        {"gTRC", curve},
                                                        {"bTRC", curve}};
    const uint32_t count = sizeof tags / sizeof tags[0];
    std::string table, data;
    uint32_t at = 128 + 4 + 12 * count;
    for (const auto& t : tags) {
        std::string d = t.second;
        while (d.size() % 4)
            d += '\0';
        table += t.first;
        be32(table, at + static_cast<uint32_t>(data.size()));
        be32(table, static_cast<uint32_t>(t.second.size()));
        data += d;
    }
    std::string head;
    be32(head, at + static_cast<uint32_t>(data.size()));
    head += std::string(4, '\0');
    be32(head, 0x02100000);
    head += "mntrRGB XYZ ";
    // 2026-01-01 00:00:00
    for (uint16_t v : {2026, 1, 1, 0, 0, 0})
        head += static_cast<char>(v >> 8), head += static_cast<char>(v & 0xFF);
    head += "acsp";
    head += std::string(4 + 4 + 4 + 4 + 8 + 4,
                        '\0');  // platform, flags, maker, model, attributes, intent
    s15(head, 0.9642), s15(head, 1.0), s15(head, 0.8249);
    head += std::string(4 + 16 + 28, '\0');
    std::string profile = head;
    be32(profile, count);
    return profile + table + data;
}

std::string xmpMetadata(const DocumentInfo& info) {
    const std::string title = xmlEscape(text_encoding::cp932ToUtf8(info.title));
    const std::string author = xmlEscape(text_encoding::cp932ToUtf8(info.author));
    std::string x =
        "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
        "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
        "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
        "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\""
        " xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\" xmlns:pdf=\"http://ns.adobe.com/pdf/1.3/\""
        " xmlns:pdfaid=\"http://www.aiim.org/pdfa/ns/id/\">\n"
        "<pdfaid:part>3</pdfaid:part>\n<pdfaid:conformance>B</pdfaid:conformance>\n"
        "<dc:format>application/pdf</dc:format>\n"
        "<dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">" +
        title + "</rdf:li></rdf:Alt></dc:title>\n";
    if (!author.empty())
        x += "<dc:creator><rdf:Seq><rdf:li>" + author + "</rdf:li></rdf:Seq></dc:creator>\n";
    x += "<xmp:CreateDate>" + info.created + "</xmp:CreateDate>\n<xmp:ModifyDate>" + info.created +
         "</xmp:ModifyDate>\n<xmp:MetadataDate>" + info.created +
         "</xmp:MetadataDate>\n"
         "<xmp:CreatorTool>" +
         kProducer + "</xmp:CreatorTool>\n<pdf:Producer>" + kProducer +
         "</pdf:Producer>\n</rdf:Description>\n</rdf:RDF>\n</x:xmpmeta>\n";
    // Room for a later editor to change the metadata in place.
    x += std::string(10, ' ') + "\n<?xpacket end=\"w\"?>";
    return x;
}

std::string infoDictionary(const DocumentInfo& info) {
    std::string d = "<</Title " + textString(info.title);
    if (!info.author.empty())
        d += " /Author " + textString(info.author);
    const std::string date = literal(pdfDate(info.created));
    return d + " /Creator " + literal(kProducer) + " /Producer " + literal(kProducer) +
           " /CreationDate " + date + " /ModDate " + date + ">>";
}

std::string writeArchiveObjects(Writer& out, const DocumentInfo& info) {
    const int profile = out.reserve(), intent = out.reserve(), metadata = out.reserve();
    out.stream(profile, "/N 3 /Filter /FlateDecode", deflate(srgbProfile()));
    out.begin(intent);
    out.put(
        "<</Type /OutputIntent /S /GTS_PDFA1 /OutputConditionIdentifier (sRGB IEC61966-2.1) /Info "
        "(sRGB IEC61966-2.1) /DestOutputProfile " +
        std::to_string(profile) + " 0 R>>");
    out.end();
    out.stream(metadata, "/Type /Metadata /Subtype /XML", xmpMetadata(info));
    return " /OutputIntents [" + std::to_string(intent) + " 0 R] /Metadata " +
           std::to_string(metadata) + " 0 R";
}

std::string writeAttachments(Writer& out, const std::vector<PackAttachment>& files,
                             const std::string& created) {
    if (files.empty())
        return "";
    std::string names, af;
    const std::string date = literal(pdfDate(created));
    for (std::size_t i = 0; i < files.size(); ++i) {
        const PackAttachment& f = files[i];
        const int file = out.reserve(), filespec = out.reserve();
        std::string mime;
        for (char c : f.mime)
            mime += c == '/' ? std::string("#2F") : std::string(1, c);
        out.stream(file,
                   "/Type /EmbeddedFile /Subtype /" + mime + " /Params <</Size " +
                       std::to_string(f.bytes.size()) + " /ModDate " + date + ">>",
                   f.bytes);
        const std::string name = textString(f.name);
        out.begin(filespec);
        out.put("<</Type /Filespec /F " + name + " /UF " + name + " /EF <</F " +
                std::to_string(file) + " 0 R /UF " + std::to_string(file) +
                " 0 R>> /AFRelationship /Data>>");
        out.end();
        char key[16];
        std::snprintf(key, sizeof key, "(%03u) ", static_cast<unsigned>(i + 1));
        names += key + std::to_string(filespec) + " 0 R ";
        af += std::to_string(filespec) + " 0 R ";
    }
    return " /Names <</EmbeddedFiles <</Names [" + names + "]>>>> /AF [" + af + "]";
}

std::string documentId(const PackInput& input) {
    uint64_t a = 14695981039346656037ull, b = 1099511628211ull * 31;
    auto mix = [&](const std::string& text) {
        for (char c : text + '\0') {
            a = (a ^ static_cast<unsigned char>(c)) * 1099511628211ull;
            b = (b ^ static_cast<unsigned char>(c)) * 0x100000001B3ull + 0x9E3779B97F4A7C15ull;
        }
    };
    mix(input.title), mix(input.author), mix(input.created), mix(input.manifestSha256Hex);
    for (const PackRecord& r : input.records)
        mix(r.heading), mix(r.picture.sha256Hex);
    char hex[40];
    std::snprintf(hex, sizeof hex, "%016llX%016llX", static_cast<unsigned long long>(a),
                  static_cast<unsigned long long>(b));
    return hex;
}

}  // namespace pack::pdf

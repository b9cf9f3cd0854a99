#include "picture/annotation_file.h"

#include <cstdio>

#include "base/cp932.h"

namespace annotation {

namespace {

constexpr char kVersionLine[] = "ZAN 1\r\n";

// A lead byte must have its trail byte; 0x80, 0xA0 and 0xFD-0xFF are no
// characters on their own. NUL is refused too: the Win32 half hands face and
// text on as C strings, which would end there.
bool validText(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = cp932::charLength(s.data(), s.size(), i);
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (n == 1 && (c == 0 || c == 0x80 || c == 0xA0 || c >= 0xFD || cp932::isLeadByte(c)))
            return false;
        i += n;
    }
    return true;
}

void appendEscaped(std::string& out, const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = cp932::charLength(s.data(), s.size(), i);
        const char c = s[i];
        if (n == 1 && (c == '%' || c == '\t' || c == '\r' || c == '\n')) {
            char escape[4];
            std::snprintf(escape, sizeof escape, "%%%02X", static_cast<unsigned char>(c));
            out += escape;
        } else {
            out.append(s, i, n);
        }
        i += n;
    }
}

// The inverse of appendEscaped: false on a '%' that it never writes.
bool unescape(const std::string& s, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = cp932::charLength(s.data(), s.size(), i);
        if (n == 1 && s[i] == '%') {
            const std::string code = s.substr(i + 1, 2);
            if (code == "25")
                out += '%';
            else if (code == "09")
                out += '\t';
            else if (code == "0D")
                out += '\r';
            else if (code == "0A")
                out += '\n';
            else
                return false;
            i += 3;
            continue;
        }
        out.append(s, i, n);
        i += n;
    }
    return true;
}

void appendNumber(std::string& out, long value) {
    char text[24];
    std::snprintf(text, sizeof text, " %ld", value);
    out += text;
}

void appendColour(std::string& out, uint32_t colour) {
    char text[16];
    std::snprintf(text, sizeof text, " %06X", static_cast<unsigned>(colour));
    out += text;
}

void appendBox(std::string& out, const Object& o) {
    appendNumber(out, o.a.x);
    appendNumber(out, o.a.y);
    appendNumber(out, o.b.x);
    appendNumber(out, o.b.y);
}

// One object's line, CR LF included.
void appendLine(std::string& out, const Object& o) {
    switch (o.kind) {
        case Kind::rectangle:
        case Kind::arrow:
            out += o.kind == Kind::rectangle ? "rect" : "arrow";
            appendBox(out, o);
            appendColour(out, o.colour);
            appendNumber(out, o.width);
            break;
        case Kind::mark:
            out += "mark";
            appendNumber(out, o.a.x);
            appendNumber(out, o.a.y);
            appendColour(out, o.colour);
            appendNumber(out, o.width);
            break;
        case Kind::highlight:
        case Kind::mask:
            out += o.kind == Kind::highlight ? "highlight" : "mask";
            appendBox(out, o);
            appendColour(out, o.colour);
            break;
        case Kind::crop:
            out += "crop";
            appendBox(out, o);
            break;
        case Kind::text:
            out += "text";
            appendBox(out, o);
            appendColour(out, o.colour);
            appendNumber(out, o.fontHeight);
            appendNumber(out, o.balloon ? 1 : 0);
            out += ' ';
            appendEscaped(out, o.face);
            out += '\t';
            appendEscaped(out, o.text);
            break;
        case Kind::stamp:
            out += "stamp";
            appendBox(out, o);
            appendColour(out, o.colour);
            appendColour(out, o.background);
            appendNumber(out, o.fontHeight);
            out += ' ';
            appendEscaped(out, o.face);
            out += '\t';
            appendEscaped(out, o.text);
            break;
    }
    out += "\r\n";
}

// Reads the space-separated fields of one line. Lenient about spelling
// (leading zeros, "-0", lower-case hex): the line is written back and
// compared, which refuses every spelling but the one the writer gives.
class Fields {
  public:
    explicit Fields(const std::string& line) : line_(line) {}

    bool word(std::string& out) {
        if (at_ > line_.size())
            return false;
        std::size_t end = line_.find(' ', at_);
        if (end == std::string::npos)
            end = line_.size();
        out = line_.substr(at_, end - at_);
        at_ = end + 1;
        return true;
    }
    bool number(int32_t low, int32_t high, int32_t& out) {
        std::string w;
        if (!word(w))
            return false;
        const std::size_t digits = w.size() - (w.empty() || w[0] != '-' ? 0 : 1);
        if (digits == 0 || digits > 9)
            return false;
        long value = 0;
        for (std::size_t i = w.size() - digits; i < w.size(); ++i) {
            if (w[i] < '0' || w[i] > '9')
                return false;
            value = value * 10 + (w[i] - '0');
        }
        if (w[0] == '-')
            value = -value;
        if (value < low || value > high)
            return false;
        out = static_cast<int32_t>(value);
        return true;
    }
    bool point(Point& out) {
        return number(-kMaxCoordinate, kMaxCoordinate, out.x) &&
               number(-kMaxCoordinate, kMaxCoordinate, out.y);
    }
    bool colour(uint32_t& out) {
        std::string w;
        if (!word(w) || w.size() != 6)
            return false;
        out = 0;
        for (const char c : w) {
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0)
                return false;
            out = out << 4 | static_cast<uint32_t>(digit);
        }
        return true;
    }
    // What is left of the line, after the field separator.
    std::string rest() const { return at_ < line_.size() ? line_.substr(at_) : std::string(); }
    bool done() const { return at_ > line_.size(); }

  private:
    const std::string& line_;
    std::size_t at_ = 0;
};

// The face and the text that end a text's or a stamp's line.
bool parseFaceAndText(const Fields& fields, Object& o) {
    const std::string rest = fields.rest();
    const std::size_t tab = cp932::find(rest.data(), rest.size(), '\t');
    if (tab == rest.size())
        return false;
    return unescape(rest.substr(0, tab), o.face) && unescape(rest.substr(tab + 1), o.text) &&
           o.face.size() <= kMaxFaceBytes && o.text.size() <= kMaxTextBytes && validText(o.face) &&
           validText(o.text);
}

bool parseText(Fields& fields, Object& o) {
    int32_t balloon = 0;
    if (!fields.point(o.a) || !fields.point(o.b) || !fields.colour(o.colour) ||
        !fields.number(kMinFontHeight, kMaxFontHeight, o.fontHeight) ||
        !fields.number(0, 1, balloon) || fields.done())
        return false;
    o.balloon = balloon == 1;
    return parseFaceAndText(fields, o);
}

bool parseStamp(Fields& fields, Object& o) {
    if (!fields.point(o.a) || !fields.point(o.b) || !fields.colour(o.colour) ||
        !fields.colour(o.background) ||
        !fields.number(kMinFontHeight, kMaxFontHeight, o.fontHeight) || fields.done())
        return false;
    return parseFaceAndText(fields, o);
}

// One object line without its CR LF; the fields not written stay as the
// model keeps them unused (0, empty).
bool parseObject(const std::string& line, Object& o) {
    o = Object{};
    o.colour = 0;
    o.width = 0;
    Fields fields(line);
    std::string keyword;
    if (!fields.word(keyword))
        return false;
    bool read = false;
    if (keyword == "rect" || keyword == "arrow") {
        o.kind = keyword == "rect" ? Kind::rectangle : Kind::arrow;
        read = fields.point(o.a) && fields.point(o.b) && fields.colour(o.colour) &&
               fields.number(kMinWidth, kMaxWidth, o.width) && fields.done();
    } else if (keyword == "mark") {
        o.kind = Kind::mark;
        read = fields.point(o.a) && fields.colour(o.colour) &&
               fields.number(kMinMarkRadius, kMaxMarkRadius, o.width) && fields.done();
    } else if (keyword == "highlight" || keyword == "mask") {
        o.kind = keyword == "mask" ? Kind::mask : Kind::highlight;
        read = fields.point(o.a) && fields.point(o.b) && fields.colour(o.colour) && fields.done();
    } else if (keyword == "crop") {
        o.kind = Kind::crop;
        read = fields.point(o.a) && fields.point(o.b) && fields.done();
    } else if (keyword == "text") {
        o.kind = Kind::text;
        read = parseText(fields, o);
    } else if (keyword == "stamp") {
        o.kind = Kind::stamp;
        read = parseStamp(fields, o);
    }
    if (!read)
        return false;
    std::string back;
    appendLine(back, o);
    return back.size() == line.size() + 2 && back.compare(0, line.size(), line) == 0;
}

}  // namespace

SidecarRead parseSidecar(const std::string& bytes) {
    SidecarRead result;
    const std::size_t version = sizeof kVersionLine - 1;
    if (bytes.compare(0, version, kVersionLine) != 0 || bytes.size() < 2 ||
        bytes.compare(bytes.size() - 2, 2, "\r\n") != 0)
        return result;
    std::size_t line = 1;
    for (std::size_t at = version; at < bytes.size();) {
        ++line;
        // CR and LF are never trail bytes, so the first CR LF ends the line.
        const std::size_t end = bytes.find("\r\n", at);
        Object o;
        if (result.objects.size() == kMaxObjects || !parseObject(bytes.substr(at, end - at), o)) {
            result.line = line;
            result.objects.clear();
            return result;
        }
        result.objects.push_back(std::move(o));
        at = end + 2;
    }
    result.ok = true;
    return result;
}

std::string writeSidecar(const std::vector<Object>& objects) {
    std::string out = kVersionLine;
    for (const Object& o : objects)
        appendLine(out, o);
    return out;
}

std::string sidecarPath(const std::string& picturePath) {
    return picturePath + ".zan";
}

std::string sidecarBackupPath(const std::string& picturePath) {
    return picturePath + ".zan.bak";
}

std::string flattenedPath(const std::string& picturePath) {
    const cp932::NameParts parts = cp932::nameParts(picturePath.data(), picturePath.size());
    return picturePath.substr(0, parts.stemEnd) + "_ann.png";
}

ExportChoice choosePicture(bool sidecarExists, const std::string& sidecarBytes,
                           bool flattenedExists) {
    if (!sidecarExists)
        return ExportChoice::original;
    if (flattenedExists)
        return ExportChoice::flattened;
    const SidecarRead read = parseSidecar(sidecarBytes);
    return read.ok && !hasMask(read.objects) ? ExportChoice::original : ExportChoice::withheld;
}

}  // namespace annotation

#include "pack/pdf_writer.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>

#include "base/text_encoding.h"

namespace pack::pdf {

Writer::Writer(const PackSink& sink) : sink_(sink) {
    put("%PDF-1.7\n%\xE2\xE3\xCF\xD3\n");
}

int Writer::reserve() {
    offsets_.push_back(0);
    return static_cast<int>(offsets_.size() - 1);
}

void Writer::begin(int number) {
    offsets_[static_cast<std::size_t>(number)] = offset_;
    put(std::to_string(number) + " 0 obj\n");
}

void Writer::end() {
    put("\nendobj\n");
}

void Writer::put(std::string_view text) {
    put(text.data(), text.size());
}

void Writer::put(const char* data, std::size_t size) {
    if (!ok_ || size == 0)
        return;
    ok_ = sink_(data, size);
    offset_ += size;
}

void Writer::stream(int number, const std::string& entries, std::string_view data) {
    begin(number);
    put("<<" + entries + " /Length " + std::to_string(data.size()) + ">>\nstream\n");
    put(data);
    put("\nendstream");
    end();
}

void Writer::beginStream(int number, const std::string& entries) {
    lengthObject_ = reserve();
    begin(number);
    put("<<" + entries + " /Length " + std::to_string(lengthObject_) + " 0 R>>\nstream\n");
    streamStart_ = offset_;
}

void Writer::endStream() {
    const uint64_t length = offset_ - streamStart_;
    put("\nendstream");
    end();
    begin(lengthObject_);
    put(std::to_string(length));
    end();
}

void Writer::finish(int catalog, int info, const std::string& idHex) {
    // A number taken for a picture that then could not be read.
    for (std::size_t i = 1; i < offsets_.size(); ++i)
        if (offsets_[i] == 0) {
            begin(static_cast<int>(i));
            put("null");
            end();
        }
    const uint64_t xref = offset_;
    put("xref\n0 " + std::to_string(offsets_.size()) + "\n0000000000 65535 f \n");
    char entry[32];
    for (std::size_t i = 1; i < offsets_.size(); ++i) {
        std::snprintf(entry, sizeof entry, "%010llu 00000 n \n",
                      static_cast<unsigned long long>(offsets_[i]));
        put(entry);
    }
    put("trailer\n<</Size " + std::to_string(offsets_.size()) + " /Root " +
        std::to_string(catalog) + " 0 R /Info " + std::to_string(info) + " 0 R /ID [<" + idHex +
        "> <" + idHex + ">]>>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n");
}

struct Deflater::State {
    z_stream z{};
    unsigned char buffer[65536];
};

Deflater::Deflater(Writer& out) : out_(out), state_(new State) {
    deflateInit(&state_->z, 6);
}

Deflater::~Deflater() {
    deflateEnd(&state_->z);
    delete state_;
}

void Deflater::run(int flush) {
    z_stream& z = state_->z;
    do {
        z.next_out = state_->buffer;
        z.avail_out = sizeof state_->buffer;
        const int rc = ::deflate(&z, flush);
        out_.put(reinterpret_cast<const char*>(state_->buffer),
                 sizeof state_->buffer - z.avail_out);
        if (rc == Z_STREAM_END || rc == Z_STREAM_ERROR)
            break;
    } while (z.avail_out == 0 || (flush == Z_FINISH));
}

void Deflater::put(const void* data, std::size_t size) {
    z_stream& z = state_->z;
    const unsigned char* p = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const uInt piece = size > (1u << 30) ? (1u << 30) : static_cast<uInt>(size);
        z.next_in = const_cast<unsigned char*>(p);
        z.avail_in = piece;
        run(Z_NO_FLUSH);
        p += piece;
        size -= piece;
    }
}

void Deflater::finish() {
    state_->z.next_in = nullptr;
    state_->z.avail_in = 0;
    run(Z_FINISH);
}

std::string deflate(std::string_view data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(&out[0]), &size, reinterpret_cast<const Bytef*>(data.data()),
              static_cast<uLong>(data.size()), 6);
    out.resize(size);
    return out;
}

std::u32string unicodeOf(const std::string& cp932) {
    const std::string utf8 = text_encoding::cp932ToUtf8(cp932);
    std::u32string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        const int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        char32_t cp = n == 1 ? c : n == 2 ? c & 0x1F : n == 3 ? c & 0x0F : c & 0x07;
        for (int k = 1; k < n && i + static_cast<std::size_t>(k) < utf8.size(); ++k)
            cp = (cp << 6) |
                 (static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]) & 0x3F);
        out.push_back(cp);
        i += static_cast<std::size_t>(n);
    }
    return out;
}

std::string textString(const std::string& cp932) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out = "<FEFF";
    for (char32_t cp : unicodeOf(cp932)) {
        const unsigned v = cp > 0xFFFF ? 0xFFFD : static_cast<unsigned>(cp);
        for (int shift = 12; shift >= 0; shift -= 4)
            out += kHex[(v >> shift) & 0xF];
    }
    return out + ">";
}

std::string literal(std::string_view ascii) {
    std::string out = "(";
    for (char c : ascii) {
        if (c == '(' || c == ')' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + ")";
}

std::string num(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    std::string out = text;
    while (out.back() == '0')
        out.pop_back();
    if (out.back() == '.')
        out.pop_back();
    return out == "-0" ? "0" : out;
}

std::string pdfDate(const std::string& iso) {
    // YYYY-MM-DDTHH:MM:SS then Z or +HH:MM
    std::string digits;
    std::size_t i = 0;
    for (; i < iso.size() && digits.size() < 14; ++i)
        if (iso[i] >= '0' && iso[i] <= '9')
            digits += iso[i];
    if (digits.size() < 14)
        return "D:" + digits;
    std::string out = "D:" + digits;
    for (; i < iso.size(); ++i) {
        if (iso[i] == 'Z')
            return out + "Z";
        if ((iso[i] == '+' || iso[i] == '-') && i + 6 <= iso.size())
            return out + iso[i] + iso.substr(i + 1, 2) + "'" + iso.substr(i + 4, 2) + "'";
    }
    return out;
}

}  // namespace pack::pdf

#include "base/base64.h"

namespace base64 {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int valueOf(char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

void encodeGroup(const unsigned char* b, std::string& out) {
    out += kAlphabet[b[0] >> 2];
    out += kAlphabet[((b[0] & 0x03) << 4) | (b[1] >> 4)];
    out += kAlphabet[((b[1] & 0x0F) << 2) | (b[2] >> 6)];
    out += kAlphabet[b[2] & 0x3F];
}

}  // namespace

void Encoder::feed(const void* data, std::size_t size, std::string& out) {
    const auto* p = static_cast<const unsigned char*>(data);
    out.reserve(out.size() + encodedLength(size + heldCount_));
    // Bytes left from the last piece first make up their group.
    while (heldCount_ > 0 && heldCount_ < 3 && size > 0) {
        held_[heldCount_++] = *p++;
        --size;
        if (heldCount_ == 3) {
            encodeGroup(held_, out);
            heldCount_ = 0;
        }
    }
    for (; size >= 3; p += 3, size -= 3)
        encodeGroup(p, out);
    // One or two bytes are left; nothing is held now, as the first loop
    // used up the held bytes or every new one.
    if (size > 0) {
        held_[0] = p[0];
        held_[1] = size > 1 ? p[1] : 0;
        heldCount_ = size;
    }
}

void Encoder::finish(std::string& out) {
    if (heldCount_ > 0) {
        for (std::size_t i = heldCount_; i < 3; ++i)
            held_[i] = 0;
        std::string four;
        encodeGroup(held_, four);
        out.append(four, 0, heldCount_ + 1);
        out.append(3 - heldCount_, '=');
    }
    heldCount_ = 0;
}

bool Decoder::feed(const char* text, std::size_t size, std::string& out) {
    for (std::size_t i = 0; i < size && !failed_; ++i) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
            continue;
        if (c == '=') {
            // Padding only ends a group of two or three characters.
            if ((count_ < 2 && padding_ == 0) || count_ + padding_ >= 4)
                failed_ = true;
            ++padding_;
            continue;
        }
        const int v = valueOf(c);
        if (v < 0 || padding_ > 0) {
            failed_ = true;
            break;
        }
        quad_ = (quad_ << 6) | static_cast<unsigned>(v);
        if (++count_ == 4) {
            out += static_cast<char>(quad_ >> 16);
            out += static_cast<char>((quad_ >> 8) & 0xFF);
            out += static_cast<char>(quad_ & 0xFF);
            quad_ = 0;
            count_ = 0;
        }
    }
    return !failed_;
}

bool Decoder::finish(std::string& out) {
    const bool ok = !failed_ && count_ != 1 && (padding_ == 0 || count_ + padding_ == 4);
    if (ok && count_ >= 2)
        out += static_cast<char>(quad_ >> (count_ == 2 ? 4 : 10));
    if (ok && count_ == 3)
        out += static_cast<char>((quad_ >> 2) & 0xFF);
    quad_ = 0;
    count_ = 0;
    padding_ = 0;
    failed_ = false;
    return ok;
}

std::string encode(std::string_view bytes) {
    std::string out;
    Encoder encoder;
    encoder.feed(bytes.data(), bytes.size(), out);
    encoder.finish(out);
    return out;
}

bool decode(std::string_view text, std::string& out) {
    out.clear();
    Decoder decoder;
    decoder.feed(text.data(), text.size(), out);
    return decoder.finish(out);
}

}  // namespace base64

// Base64 (RFC 4648, with '=' padding, no line breaks), streamed both ways:
// the one-file pack carries pictures of several megabytes as data: URIs, and
// neither its writer nor its checker may hold a whole picture, so the bytes
// come and go in pieces of any size. Platform-free.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace base64 {

// Appends the encoding of the bytes fed so far to `out`; up to two bytes
// wait for the next piece, so that pieces of any size give the same text as
// one piece.
class Encoder {
  public:
    void feed(const void* data, std::size_t size, std::string& out);
    // The waiting bytes and their padding; the encoder is then ready again.
    void finish(std::string& out);

  private:
    unsigned char held_[3]{};
    std::size_t heldCount_ = 0;
};

// Decodes pieces of any size; spaces, tabs and line ends are skipped (a
// hand-edited file may wrap its lines). Anything else that is no base64
// character, or a character after the padding, makes it fail for good.
class Decoder {
  public:
    bool feed(const char* text, std::size_t size, std::string& out);
    // Appends the last group's bytes; true when the text ended well (a
    // group of 2 to 4 characters, padded or not). The decoder is then ready
    // again.
    bool finish(std::string& out);
    bool failed() const { return failed_; }

  private:
    unsigned quad_ = 0;
    int count_ = 0;
    int padding_ = 0;
    bool failed_ = false;
};

std::string encode(std::string_view bytes);
bool decode(std::string_view text, std::string& out);

// The length of the encoding of `size` bytes.
constexpr std::size_t encodedLength(std::size_t size) {
    return (size + 2) / 3 * 4;
}

}  // namespace base64

// The PDF file as it is written: objects go to the sink the moment they are
// complete, so that a pack of a thousand pictures never holds more than the
// one picture in hand. Only the objects' offsets stay, for the cross-
// reference table at the end. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pack/pack_input.h"

namespace pack::pdf {

class Writer {
  public:
    // Writes the header, with the binary comment PDF/A asks for.
    explicit Writer(const PackSink& sink);

    // A number for an object written later; objects may refer to it now.
    int reserve();
    // Starts object `number` ("n 0 obj"); end() closes it.
    void begin(int number);
    void end();
    void put(std::string_view text);
    void put(const char* data, std::size_t size);

    // A whole object: the dictionary's entries (without << >>) and its data,
    // with its /Length.
    void stream(int number, const std::string& entries, std::string_view data);
    // A stream whose length is not known in advance: the data follows
    // through put() or a Deflater, then endStream() writes the length as an
    // object of its own.
    void beginStream(int number, const std::string& entries);
    void endStream();

    // The cross-reference table and the trailer.
    void finish(int catalog, int info, const std::string& idHex);

    // False once the sink has refused bytes; nothing is written after that.
    bool ok() const { return ok_; }
    uint64_t offset() const { return offset_; }

  private:
    const PackSink& sink_;
    bool ok_ = true;
    uint64_t offset_ = 0;
    std::vector<uint64_t> offsets_{0};  // by object number; 0: none yet
    uint64_t streamStart_ = 0;
    int lengthObject_ = 0;
};

// Compresses what it is given into the writer's open stream (FlateDecode),
// in pieces, so that a decoded picture is never compressed whole in memory.
class Deflater {
  public:
    explicit Deflater(Writer& out);
    ~Deflater();
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;
    void put(const void* data, std::size_t size);
    void finish();

  private:
    void run(int flush);
    Writer& out_;
    struct State;
    State* state_;
};

// The data compressed whole, for the small streams (page contents, fonts).
std::string deflate(std::string_view data);

// The characters of a CP932 text.
std::u32string unicodeOf(const std::string& cp932);

// A text string of the document (CP932): UTF-16BE with its byte order mark,
// as a hex string "<FEFF...>", which holds every character unescaped.
std::string textString(const std::string& cp932);
// An ASCII name or key as a literal string, with ( ) \ escaped.
std::string literal(std::string_view ascii);
// A number with at most two decimals and no exponent.
std::string num(double value);
// "2026-12-10T21:05:00+09:00" as a PDF date "D:20261210210500+09'00'".
std::string pdfDate(const std::string& iso);

}  // namespace pack::pdf

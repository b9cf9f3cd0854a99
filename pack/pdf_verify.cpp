#include "pack/pdf_verify.h"

#include <zlib.h>

#include <cstring>
#include <vector>

#include "base/hex.h"
#include "base/text_encoding.h"

namespace pack {

namespace {

constexpr std::size_t kNone = std::string::npos;
constexpr std::size_t kTail = 1024;  // holds "startxref" and its number
constexpr std::size_t kHead = 4096;  // most dictionaries of ours are well under this
constexpr std::size_t kLongHead = kHead * 64;
constexpr std::size_t kPiece = 1 << 20;
// As the verify command reads a history's manifest and log.
constexpr uint64_t kAttachmentLimit = 64u << 20;
constexpr uint64_t kMaxObjects = 1u << 22;
constexpr char kStream[] = ">>\nstream\n";
constexpr char kEndStream[] = "\nendstream";

// The unsigned number at `at` after any spaces; false when there is none.
bool numberAt(const std::string& text, std::size_t at, uint64_t& value,
              std::size_t* end = nullptr) {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\r' || text[at] == '\n'))
        ++at;
    std::size_t i = at;
    uint64_t v = 0;
    for (; i < text.size() && i - at < 15 && text[i] >= '0' && text[i] <= '9'; ++i)
        v = v * 10 + static_cast<uint64_t>(text[i] - '0');
    if (i == at)
        return false;
    value = v;
    if (end != nullptr)
        *end = i;
    return true;
}

// Where the value of "/Key " starts, from `from` on; kNone when absent.
std::size_t valueOf(const std::string& dict, const char* key, std::size_t from = 0) {
    const std::string k = std::string(key) + " ";
    const std::size_t at = dict.find(k, from);
    return at == kNone ? kNone : at + k.size();
}

bool has(const std::string& dict, const char* text) {
    return dict.find(text) != kNone;
}

// "n 0 R" at `at`.
bool referenceAt(const std::string& dict, std::size_t at, uint64_t& number) {
    std::size_t end = 0;
    return at != kNone && numberAt(dict, at, number, &end) && dict.compare(end, 4, " 0 R") == 0;
}

// The bytes of a hex string "<...>" at `at`; false when there is none.
bool hexAt(const std::string& dict, std::size_t at, std::string& out) {
    out.clear();
    if (at == kNone || at >= dict.size() || dict[at] != '<')
        return false;
    const std::size_t end = dict.find('>', at);
    if (end == kNone || (end - at - 1) % 2 != 0)
        return false;
    for (std::size_t i = at + 1; i < end; i += 2) {
        const int high = hexDigitValue(dict[i]), low = hexDigitValue(dict[i + 1]);
        if (high < 0 || low < 0)
            return false;
        out += static_cast<char>(high << 4 | low);
    }
    return true;
}

// A text string "<FEFF...>" (UTF-16BE) at `at`, as CP932; empty when it is none.
std::string textAt(const std::string& dict, std::size_t at) {
    std::string bytes;
    if (!hexAt(dict, at, bytes) || bytes.size() % 2 != 0 || bytes.compare(0, 2, "\xFE\xFF") != 0)
        return std::string();
    std::vector<uint32_t> units;
    for (std::size_t i = 2; i < bytes.size(); i += 2)
        units.push_back(uint32_t{static_cast<uint8_t>(bytes[i])} << 8 |
                        static_cast<uint8_t>(bytes[i + 1]));
    std::string utf8;
    for (std::size_t i = 0; i < units.size(); ++i) {
        uint32_t cp = units[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] < 0xE000)
            cp = 0x10000 + ((cp - 0xD800) << 10) + (units[++i] - 0xDC00);
        else if (cp >= 0xD800 && cp < 0xE000)
            cp = 0xFFFD;
        text_encoding::appendUtf8(utf8, cp);
    }
    return text_encoding::utf8ToCp932Shown(utf8);
}

struct Object {
    std::string dict;  // from after "n 0 obj" to its stream or its end
    bool isStream = false;
    uint64_t data = 0;  // the stream's first byte
};

class PdfFile {
  public:
    PdfFile(uint64_t size, const PdfReadAt& readAt) : size_(size), readAt_(readAt) {}
    bool table();
    uint64_t objects() const { return offsets_.size(); }
    bool object(uint64_t number, Object& out);
    // The stream's length, when its data and its end lie within the file.
    bool streamLength(const Object& stream, uint64_t& length);
    bool read(uint64_t offset, std::size_t n, std::string& out) {
        out.clear();
        if (offset >= size_)
            return false;
        const uint64_t left = size_ - offset;
        return readAt_(offset, left < n ? static_cast<std::size_t>(left) : n, out);
    }

  private:
    uint64_t size_;
    const PdfReadAt& readAt_;
    std::vector<uint64_t> offsets_;  // by object number; 0: none
};

bool PdfFile::table() {
    std::string tail, head;
    const uint64_t tailStart = size_ > kTail ? size_ - kTail : 0;
    const std::size_t at = read(tailStart, kTail, tail) ? tail.rfind("startxref") : kNone;
    uint64_t xref = 0, first = 0, count = 0;
    std::size_t end = 0;
    if (at == kNone || !numberAt(tail, at + 9, xref) || !read(xref, 64, head) ||
        head.compare(0, 4, "xref") != 0 || !numberAt(head, 4, first, &end) ||
        !numberAt(head, end, count, &end) || first != 0 || count > kMaxObjects ||
        count * 20 > size_)
        return false;
    while (end < head.size() && (head[end] == '\r' || head[end] == '\n' || head[end] == ' '))
        ++end;
    std::string entries;
    if (!read(xref + end, static_cast<std::size_t>(count * 20), entries) ||
        entries.size() != count * 20)
        return false;
    offsets_.assign(static_cast<std::size_t>(count), 0);
    for (std::size_t i = 0; i < offsets_.size(); ++i) {
        uint64_t offset = 0;
        if (entries[i * 20 + 17] == 'n' && numberAt(entries.substr(i * 20, 10), 0, offset))
            offsets_[i] = offset;
    }
    return true;
}

bool PdfFile::object(uint64_t number, Object& out) {
    std::string text;
    const std::string header = std::to_string(number) + " 0 obj";
    std::size_t stream = kNone, end = kNone;
    // A dictionary longer than the first read (a PNG's skeleton) is read again whole.
    for (std::size_t head = kHead; stream == kNone && end == kNone && head <= kLongHead;
         head *= 8) {
        if (number >= offsets_.size() || offsets_[number] == 0 ||
            !read(offsets_[number], head, text) || text.compare(0, header.size(), header) != 0)
            return false;
        stream = text.find(kStream, header.size());
        end = text.find("endobj", header.size());
        if (text.size() < head)
            break;
    }
    out.isStream = stream != kNone && (end == kNone || stream < end);
    out.dict = text.substr(header.size(), (out.isStream ? stream + 2 : end) - header.size());
    out.data = out.isStream ? offsets_[number] + stream + sizeof kStream - 1 : 0;
    return true;
}

bool PdfFile::streamLength(const Object& stream, uint64_t& length) {
    const std::size_t at = valueOf(stream.dict, "/Length");
    uint64_t ref = 0;
    Object held;
    if (referenceAt(stream.dict, at, ref)) {
        if (!object(ref, held) || held.isStream || !numberAt(held.dict, 0, length))
            return false;
    } else if (at == kNone || !numberAt(stream.dict, at, length)) {
        return false;
    }
    std::string after;
    return stream.isStream && length <= size_ && stream.data <= size_ - length &&
           read(stream.data + length, sizeof kEndStream - 1, after) && after == kEndStream;
}

// The Flate data inflated, at most `limit` bytes; false when damaged.
bool inflateAll(const std::string& data, std::string& out, uint64_t limit) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return false;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    char buffer[65536];
    int rc = Z_OK;
    out.clear();
    while (rc == Z_OK && out.size() <= limit) {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        rc = inflate(&z, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - z.avail_out);
        if (rc == Z_BUF_ERROR && z.avail_in == 0)
            break;
    }
    inflateEnd(&z);
    return rc == Z_STREAM_END && out.size() <= limit;
}

ScannedAttachment attachment(PdfFile& file, const std::string& name, uint64_t number) {
    ScannedAttachment a;
    a.name = name;
    Object o;
    uint64_t length = 0, size = 0;
    if (!file.object(number, o) || !has(o.dict, "/Type /EmbeddedFile"))
        return a;
    const bool whole = file.streamLength(o, length);
    std::string data;
    if (length > kAttachmentLimit || !file.read(o.data, static_cast<std::size_t>(length), data))
        return a;
    a.whole = whole && data.size() == length;
    if (has(o.dict, "/Filter /FlateDecode")) {
        std::string plain;
        a.whole = inflateAll(data, plain, kAttachmentLimit) && a.whole;
        data = std::move(plain);
    }
    // The size the writer gave it, when it did.
    const std::size_t params = o.dict.find("/Params");
    if (params != kNone && numberAt(o.dict, valueOf(o.dict, "/Size", params), size))
        a.whole = a.whole && size == data.size();
    a.bytes = std::move(data);
    return a;
}

struct Reading {
    PdfFile& file;
    const StreamDigest& digest;
    const std::function<void(uint64_t)>& progress;
    uint64_t done = 0;

    ScannedPicture picture(const Object& image);
    bool hashStream(uint64_t from, uint64_t length);
    bool hashPng(const std::string& skeleton, const Object& image, uint64_t length);
    bool hashBmp(const std::string& headers, const Object& image, uint64_t length);
    bool inflateStream(const Object& image, uint64_t length, std::string& out);
};

// `length` bytes of the file from `from` into the digest, a piece at a time.
bool Reading::hashStream(uint64_t from, uint64_t length) {
    std::string piece;
    for (uint64_t at = 0; at < length; at += piece.size()) {
        const uint64_t left = length - at;
        if (!file.read(from + at, left < kPiece ? static_cast<std::size_t>(left) : kPiece, piece) ||
            piece.empty())
            return false;
        if (digest.update)
            digest.update(piece.data(), piece.size());
        done += piece.size();
        if (progress)
            progress(done);
    }
    return true;
}

// The PNG file again: its chunks from the skeleton, each IDAT's data from
// the stream in turn; false when the two do not fit together.
bool Reading::hashPng(const std::string& skeleton, const Object& image, uint64_t length) {
    const auto give = [&](std::size_t at, std::size_t n) {
        if (digest.update && n > 0)
            digest.update(skeleton.data() + at, n);
    };
    const auto be32 = [&](std::size_t at) {
        uint32_t v = 0;
        for (std::size_t k = 0; k < 4; ++k)
            v = v << 8 | static_cast<uint8_t>(skeleton[at + k]);
        return v;
    };
    std::size_t at = 8;
    uint64_t used = 0;
    give(0, skeleton.size() < 8 ? skeleton.size() : 8);
    while (at + 12 <= skeleton.size() && skeleton.compare(at + 4, 4, "IEND") != 0) {
        const uint32_t n = be32(at);
        if (skeleton.compare(at + 4, 4, "IDAT") == 0) {
            give(at, 8);
            if (n > length - used || !hashStream(image.data + used, n))
                return false;
            used += n;
            give(at + 8, 4);
            at += 12;
        } else {
            if (n > skeleton.size() - at - 12)
                return false;
            give(at, 12 + std::size_t{n});
            at += 12 + std::size_t{n};
        }
    }
    if (at < skeleton.size())
        give(at, skeleton.size() - at);
    return skeleton.size() >= 8 && used == length;
}

// The stream inflated into `out`, which has the size it must come to.
bool Reading::inflateStream(const Object& image, uint64_t length, std::string& out) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return false;
    z.next_out = reinterpret_cast<Bytef*>(&out[0]);
    z.avail_out = static_cast<uInt>(out.size());
    std::string piece;
    int rc = Z_OK;
    for (uint64_t at = 0; rc == Z_OK && at < length; at += piece.size()) {
        const uint64_t left = length - at;
        if (!file.read(image.data + at, left < kPiece ? static_cast<std::size_t>(left) : kPiece,
                       piece) ||
            piece.empty())
            break;
        z.next_in = reinterpret_cast<Bytef*>(&piece[0]);
        z.avail_in = static_cast<uInt>(piece.size());
        rc = inflate(&z, Z_NO_FLUSH);
        done += piece.size();
        if (progress)
            progress(done);
    }
    const bool whole = rc == Z_STREAM_END && z.avail_out == 0;
    inflateEnd(&z);
    return whole;
}

// The BMP file again: its headers, then the image's rows from the bottom up,
// blue first, each padded with zeros as the file was.
bool Reading::hashBmp(const std::string& headers, const Object& image, uint64_t length) {
    constexpr uint64_t kLimit = 256u << 20;
    const auto le32 = [&](std::size_t at) {
        uint32_t v = 0;
        for (std::size_t k = 4; k-- > 0;)
            v = v << 8 | static_cast<uint8_t>(headers[at + k]);
        return v;
    };
    if (headers.size() < 54)
        return false;
    const uint64_t width = le32(18), height = le32(22), row = width * 3;
    if (width == 0 || height == 0 || width > (1u << 16) || height > (1u << 16) ||
        row * height > kLimit)
        return false;
    std::string rows(static_cast<std::size_t>(row * height), '\0');
    if (!inflateStream(image, length, rows))
        return false;
    if (digest.update)
        digest.update(headers.data(), headers.size());
    std::string line(static_cast<std::size_t>((row + 3) & ~uint64_t{3}), '\0');
    for (uint64_t y = height; y-- > 0;) {
        const char* rgb = rows.data() + y * row;
        for (std::size_t x = 0; x < row; x += 3)
            line[x] = rgb[x + 2], line[x + 1] = rgb[x + 1], line[x + 2] = rgb[x];
        if (digest.update)
            digest.update(line.data(), line.size());
    }
    return true;
}

ScannedPicture Reading::picture(const Object& image) {
    ScannedPicture p;
    uint64_t record = 0, length = 0;
    if (numberAt(image.dict, valueOf(image.dict, "/ZelcapRecord"), record) && record < (1u << 30))
        p.record = static_cast<int>(record);
    p.name = textAt(image.dict, valueOf(image.dict, "/ZelcapName"));
    std::string skeleton, headers;
    const bool jpeg = has(image.dict, "/Filter /DCTDecode");
    const bool png = !jpeg && hexAt(image.dict, valueOf(image.dict, "/ZelcapPng"), skeleton);
    const bool bmp = !jpeg && !png && hexAt(image.dict, valueOf(image.dict, "/ZelcapBmp"), headers);
    if (!jpeg && !png && !bmp) {
        p.reencoded = true;
        return p;
    }
    const bool whole = file.streamLength(image, length);
    if (digest.begin)
        digest.begin();
    const bool read = whole && (jpeg  ? hashStream(image.data, length)
                                : png ? hashPng(skeleton, image, length)
                                      : hashBmp(headers, image, length));
    p.digest = digest.finish ? digest.finish() : Sha256Digest{};
    p.decoded = read;
    return p;
}

}  // namespace

bool looksLikePdf(const char* data, std::size_t size) {
    return size >= 5 && std::memcmp(data, "%PDF-", 5) == 0;
}

PackContents readPackPdf(uint64_t fileSize, const PdfReadAt& readAt, const StreamDigest& digest,
                         const std::function<void(uint64_t done)>& progress) {
    PackContents contents;
    PdfFile file(fileSize, readAt);
    if (!file.table())
        return contents;
    Reading reading{file, digest, progress};
    struct Attached {
        std::string name;
        uint64_t file;
    };
    std::vector<Attached> entries;
    for (uint64_t n = 1; n < file.objects(); ++n) {
        Object o;
        if (!file.object(n, o))
            continue;
        if (!o.isStream && has(o.dict, "/Type /Filespec")) {
            Attached entry{textAt(o.dict, valueOf(o.dict, "/UF")), 0};
            const std::size_t ef = o.dict.find("/EF <<");
            if (ef != kNone && referenceAt(o.dict, valueOf(o.dict, "/F", ef), entry.file))
                entries.push_back(entry);
        } else if (o.isStream && has(o.dict, "/Subtype /Image") && has(o.dict, "/ZelcapRecord")) {
            contents.pictures.push_back(reading.picture(o));
        }
    }
    for (const Attached& entry : entries)
        contents.attachments.push_back(attachment(file, entry.name, entry.file));
    return contents;
}

}  // namespace pack

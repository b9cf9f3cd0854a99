#include "pack/pdf_image.h"

#include <cstring>
#include <vector>

#include "report/picture_probe.h"
#include "view/bmp_loader.h"
#include "view/png_decoder.h"

namespace pack::pdf {

namespace {

uint32_t be32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// The JPEG's frame header: its components (the probe has checked the rest).
int jpegComponents(const uint8_t* d, std::size_t n) {
    for (std::size_t i = 2; i + 9 < n;) {
        if (d[i] != 0xFF) {
            ++i;
            continue;
        }
        const uint8_t m = d[i + 1];
        if (m == 0xFF || m == 0x01 || (m >= 0xD0 && m <= 0xD7)) {
            i += m == 0xFF ? 1 : 2;
            continue;
        }
        if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC)
            return d[i + 9];
        i += 2 + ((std::size_t{d[i + 2]} << 8) | d[i + 3]);
    }
    return 0;
}

// The PNG's chunks, walked to IEND; false when they do not end there.
template <typename F>
bool forEachChunk(const uint8_t* d, std::size_t n, F chunk) {
    for (std::size_t i = 8; i + 12 <= n;) {
        const uint32_t length = be32(d + i);
        if (length > n - i - 12)
            return false;
        const uint8_t* type = d + i + 4;
        if (std::memcmp(type, "IEND", 4) == 0)
            return true;
        chunk(type, d + i + 8, length);
        i += 12 + std::size_t{length};
    }
    return false;
}

ImagePlan planPng(const uint8_t* d, std::size_t n, ImagePlan plan) {
    const uint8_t depth = d[24], colour = d[25], interlace = d[28];
    bool plain = depth == 8 && (colour == 0 || colour == 2) && interlace == 0;
    bool ended = forEachChunk(d, n, [&](const uint8_t* type, const uint8_t*, uint32_t) {
        if (std::memcmp(type, "tRNS", 4) == 0)
            plain = false;
    });
    if (!ended)
        plan.kind = ImagePlan::Kind::none;
    else if (plain)
        plan.kind = ImagePlan::Kind::pngRows, plan.components = colour == 0 ? 1 : 3;
    return plan;
}

// " /Key <hex>".
std::string hexEntry(const char* key, const std::string& bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string hex = std::string(key) + "<";
    for (char c : bytes)
        hex += kHex[static_cast<uint8_t>(c) >> 4], hex += kHex[static_cast<uint8_t>(c) & 15];
    return hex + ">";
}

// The PNG file without its IDAT chunks' data, which the image's stream holds
// as it is: with it the check of the pack puts the file together again byte
// for byte. Empty when it would be too long for a dictionary of the pack.
std::string pngSkeleton(const uint8_t* d, std::size_t n) {
    constexpr std::size_t kLimit = 16 * 1024;
    std::string kept(reinterpret_cast<const char*>(d), 8);
    std::size_t end = 8;
    forEachChunk(d, n, [&](const uint8_t* type, const uint8_t*, uint32_t length) {
        const char* chunk = reinterpret_cast<const char*>(type) - 4;
        if (std::memcmp(type, "IDAT", 4) == 0)
            kept.append(chunk, 8).append(chunk + 8 + length, 4);
        else
            kept.append(chunk, 12 + std::size_t{length});
        end = static_cast<std::size_t>(type - d) + 8 + length;
    });
    kept.append(reinterpret_cast<const char*>(d) + end, n - end);  // IEND and what follows it
    if (kept.size() > kLimit)
        return std::string();
    return kept.size() > kLimit ? std::string() : hexEntry(" /ZelcapPng ", kept);
}

uint32_t le32(const uint8_t* p) {
    return p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

// The headers of a BMP file that is nothing but them and its rows: 24-bit,
// uncompressed, bottom-up, each row padded with zeros, as a capture is
// written. With them and the image's rows the check of the pack puts the
// file together again byte for byte; empty for any other BMP.
std::string bmpHeaders(const uint8_t* d, std::size_t n) {
    if (n < 54 || d[0] != 'B' || d[1] != 'M' || d[28] != 24 || d[29] != 0 || le32(d + 30) != 0)
        return std::string();
    const uint32_t offset = le32(d + 10), width = le32(d + 18), height = le32(d + 22);
    if (offset < 54 || offset > 4096 || width == 0 || width > (1u << 16) || height == 0 ||
        height > (1u << 16))
        return std::string();
    const std::size_t row = std::size_t{width} * 3, stride = (row + 3) & ~std::size_t{3};
    if (n - offset != stride * height)
        return std::string();
    for (std::size_t y = 0; y < height; ++y)
        for (std::size_t x = row; x < stride; ++x)
            if (d[offset + y * stride + x] != 0)
                return std::string();
    return hexEntry(" /ZelcapBmp ", std::string(reinterpret_cast<const char*>(d), offset));
}

const char* colourSpace(int components) {
    return components == 1 ? "/DeviceGray" : components == 4 ? "/DeviceCMYK" : "/DeviceRGB";
}

std::string imageEntries(const ImagePlan& plan) {
    return "/Type /XObject /Subtype /Image /Width " + std::to_string(plan.size.width) +
           " /Height " + std::to_string(plan.size.height) + " /ColorSpace " +
           colourSpace(plan.components) + " /BitsPerComponent 8";
}

// Top-down RGB rows of a bottom-up BGR picture, compressed as they are made.
void writeDib(Writer& out, int number, const PackedDib& dib, const ImagePlan& plan,
              const std::string& label) {
    out.beginStream(number, imageEntries(plan) + label + " /Filter /FlateDecode");
    Deflater z(out);
    std::vector<uint8_t> row(static_cast<std::size_t>(dib.width()) * 3);
    for (int32_t y = dib.height() - 1; y >= 0; --y) {
        const uint8_t* src = dib.bits() + static_cast<std::size_t>(y) * dib.stride();
        for (std::size_t x = 0; x < row.size(); x += 3) {
            row[x] = src[x + 2];
            row[x + 1] = src[x + 1];
            row[x + 2] = src[x];
        }
        z.put(row.data(), row.size());
    }
    z.finish();
    out.endStream();
}

}  // namespace

ImagePlan planImage(const uint8_t* data, std::size_t size) {
    const PictureInfo info = probePicture(data, size);
    ImagePlan plan;
    // Sides far beyond any screen are a damaged header, not a capture.
    constexpr uint32_t kMaxSide = 1u << 16;
    if (info.width == 0 || info.height == 0 || info.width > kMaxSide || info.height > kMaxSide)
        return plan;
    plan.size = {static_cast<int>(info.width), static_cast<int>(info.height)};
    switch (info.kind) {
        case PictureKind::jpeg:
            plan.components = jpegComponents(data, size);
            if (plan.components == 1 || plan.components == 3)
                plan.kind = ImagePlan::Kind::jpeg;
            return plan;
        case PictureKind::png:
            plan.kind = ImagePlan::Kind::decode;
            return planPng(data, size, plan);
        case PictureKind::bmp:
            plan.kind = ImagePlan::Kind::decode;
            return plan;
        case PictureKind::none:
            break;
    }
    return plan;
}

bool writeImage(Writer& out, int number, const std::string& bytes, ImageSize& size,
                const std::string& label) {
    const uint8_t* d = reinterpret_cast<const uint8_t*>(bytes.data());
    ImagePlan plan = planImage(d, bytes.size());
    size = plan.size;
    switch (plan.kind) {
        case ImagePlan::Kind::none:
            return false;
        case ImagePlan::Kind::jpeg:
            out.stream(number, imageEntries(plan) + label + " /Filter /DCTDecode", bytes);
            return true;
        case ImagePlan::Kind::pngRows: {
            out.beginStream(number,
                            imageEntries(plan) + label + pngSkeleton(d, bytes.size()) +
                                " /Filter /FlateDecode /DecodeParms <</Predictor 15 /Colors " +
                                std::to_string(plan.components) + " /BitsPerComponent 8 /Columns " +
                                std::to_string(plan.size.width) + ">>");
            forEachChunk(d, bytes.size(),
                         [&](const uint8_t* type, const uint8_t* chunk, uint32_t length) {
                             if (std::memcmp(type, "IDAT", 4) == 0)
                                 out.put(reinterpret_cast<const char*>(chunk), length);
                         });
            out.endStream();
            return true;
        }
        case ImagePlan::Kind::decode:
            break;
    }
    PackedDib dib;
    const bool png = bytes.size() > 8 && d[0] == 0x89;
    if (png ? !decodePngBytes(d, bytes.size(), dib)
            : loadBmpBytes(d, bytes.size(), dib) != BmpLoad::ok)
        return false;
    plan.components = 3;
    plan.size = size = {dib.width(), dib.height()};
    writeDib(out, number, dib, plan, png ? label : label + bmpHeaders(d, bytes.size()));
    return true;
}

}  // namespace pack::pdf

// The parts of a workbook's zip, inflated, for tests that compare what two
// exports hold: the zip's own bytes differ from run to run (each entry
// carries the time it was written), the parts' contents do not.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

namespace zip_parts {

inline uint32_t le(const std::string& z, std::size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(z[at + static_cast<std::size_t>(i)]);
    return v;
}

inline bool inflateRaw(const std::string& in, std::size_t size, std::string& out) {
    z_stream s{};
    if (inflateInit2(&s, -MAX_WBITS) != Z_OK)
        return false;
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    s.avail_in = static_cast<uInt>(in.size());
    out.assign(size, '\0');
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = static_cast<uInt>(size);
    const int rc = inflate(&s, Z_FINISH);
    inflateEnd(&s);
    return rc == Z_STREAM_END && s.total_out == size;
}

// Part name -> contents; empty when the file is no zip this reader knows
// (stored or deflated entries; the sizes of a zip64 entry are not read).
inline std::map<std::string, std::string> read(const std::string& path) {
    std::map<std::string, std::string> parts;
    std::string z;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[1 << 16];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
            z.append(buffer, n);
        std::fclose(f);
    }
    const std::size_t end = z.rfind("PK\x05\x06");
    if (z.size() < 22 || end == std::string::npos)
        return parts;
    std::size_t at = le(z, end + 16, 4);
    for (uint32_t n = le(z, end + 10, 2); n > 0 && at + 46 <= z.size(); --n) {
        const uint32_t method = le(z, at + 10, 2), packed = le(z, at + 20, 4),
                       size = le(z, at + 24, 4), nameLength = le(z, at + 28, 2),
                       skip = le(z, at + 30, 2) + le(z, at + 32, 2), local = le(z, at + 42, 4);
        const std::string name = z.substr(at + 46, nameLength);
        at += 46 + nameLength + skip;
        if (local + 30 > z.size())
            return {};
        const std::size_t data = local + 30 + le(z, local + 26, 2) + le(z, local + 28, 2);
        const std::string bytes = z.substr(data, packed);
        std::string contents;
        if (method == 0)
            contents = bytes;
        else if (method != 8 || !inflateRaw(bytes, size, contents))
            return {};
        parts[name] = contents;
    }
    return parts;
}

// The times in docProps/core.xml are the moment of the export: each becomes
// one fixed time, so that two exports of one history compare.
inline std::string withoutTimes(std::string xml) {
    for (const char* tag : {"<dcterms:created xsi:type=\"dcterms:W3CDTF\">",
                            "<dcterms:modified xsi:type=\"dcterms:W3CDTF\">"}) {
        const std::size_t at = xml.find(tag);
        if (at == std::string::npos)
            continue;
        const std::size_t from = at + std::string(tag).size();
        const std::size_t to = xml.find('<', from);
        xml.replace(from, to - from, "0000-00-00T00:00:00Z");
    }
    return xml;
}

}  // namespace zip_parts

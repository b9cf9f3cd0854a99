// Floor of the evidence workbook's close: the least a Win32 program does to
// store picture files in a zip without compressing them, as the workbook
// stores its pictures. CreateFile, ReadFile and WriteFile through one kept
// buffer each way, a CRC-32 of eight bytes a step (as zlib's is), a local
// header and a data descriptor per file (its size is known before it is
// read, its CRC after), then the central directory; zip64 records where an
// offset or a size does not fit in 32 bits.
//   floor_zip.exe OUT.zip PATTERN   stores every file PATTERN (a folder and
//                                   a wildcard: C:\pictures\*.jpg) finds;
//                                   prints the time from the first file
//                                   opened to the zip closed
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/win_handles_win.h"
#include "tools/bench/bench_support_win.h"

namespace {

class Crc32 {
  public:
    Crc32() {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table_[0][n] = c;
        }
        for (uint32_t n = 0; n < 256; ++n)
            for (int t = 1; t < 8; ++t)
                table_[t][n] = table_[0][table_[t - 1][n] & 0xFF] ^ (table_[t - 1][n] >> 8);
    }
    uint32_t update(uint32_t crc, const uint8_t* p, size_t n) const {
        crc = ~crc;
        for (; n >= 8; n -= 8, p += 8) {
            uint32_t lo, hi;
            std::memcpy(&lo, p, 4);
            std::memcpy(&hi, p + 4, 4);
            lo ^= crc;
            crc = table_[7][lo & 0xFF] ^ table_[6][(lo >> 8) & 0xFF] ^
                  table_[5][(lo >> 16) & 0xFF] ^ table_[4][lo >> 24] ^ table_[3][hi & 0xFF] ^
                  table_[2][(hi >> 8) & 0xFF] ^ table_[1][(hi >> 16) & 0xFF] ^ table_[0][hi >> 24];
        }
        while (n--)
            crc = table_[0][(crc ^ *p++) & 0xFF] ^ (crc >> 8);
        return ~crc;
    }

  private:
    uint32_t table_[8][256];
};

// Little-endian fields appended to a byte block.
struct Bytes {
    std::vector<uint8_t> b;
    void u16(uint32_t v) { put(v, 2); }
    void u32(uint32_t v) { put(v, 4); }
    void u64(uint64_t v) { put(v, 8); }
    void text(const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }
    void put(uint64_t v, int n) {
        for (int i = 0; i < n; ++i)
            b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
};

// Output through one buffer: headers and file data alike go out in
// WriteFile calls of the buffer's size.
class Output {
  public:
    explicit Output(HANDLE file) : file_(file), buffer_(1 << 20) {}
    bool add(const uint8_t* p, size_t n) {
        while (n > 0) {
            const size_t take = std::min(n, buffer_.size() - used_);
            std::memcpy(buffer_.data() + used_, p, take);
            used_ += take;
            p += take;
            n -= take;
            written_ += take;
            if (used_ == buffer_.size() && !flush())
                return false;
        }
        return true;
    }
    bool add(const Bytes& bytes) { return add(bytes.b.data(), bytes.b.size()); }
    bool flush() {
        DWORD done = 0;
        const bool ok = used_ == 0 || (WriteFile(file_, buffer_.data(), static_cast<DWORD>(used_),
                                                 &done, nullptr) &&
                                       done == used_);
        used_ = 0;
        return ok;
    }
    uint64_t written() const { return written_; }

  private:
    HANDLE file_;
    std::vector<uint8_t> buffer_;
    size_t used_ = 0;
    uint64_t written_ = 0;
};

struct Entry {
    std::string name;
    uint64_t size = 0, offset = 0;
    uint32_t crc = 0;
};

constexpr uint32_t kMax32 = 0xFFFFFFFFu;

// The local header, the file's bytes and its data descriptor.
bool StoreFile(const std::string& path, Entry& e, Output& out, const Crc32& crc,
               std::vector<uint8_t>& buffer) {
    const win::FileHandle in(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in)
        return false;
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(in.get(), &size) != 0;
    e.size = static_cast<uint64_t>(size.QuadPart);
    e.offset = out.written();
    const bool big = e.size >= kMax32;
    Bytes h;
    h.u32(0x04034B50);
    h.u16(big ? 45 : 20);
    h.u16(8);  // sizes and CRC in the data descriptor
    h.u16(0);  // stored
    h.u32(0);  // time and date
    h.u32(0);
    h.u32(big ? kMax32 : 0);
    h.u32(big ? kMax32 : 0);
    h.u16(static_cast<uint32_t>(e.name.size()));
    h.u16(big ? 20 : 0);
    h.text(e.name);
    if (big) {
        h.u16(1);
        h.u16(16);
        h.u64(0);
        h.u64(0);
    }
    ok = ok && out.add(h);
    uint32_t c = 0;
    for (uint64_t left = e.size; ok && left > 0;) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<uint64_t>(left, buffer.size()));
        ok = ReadFile(in.get(), buffer.data(), want, &got, nullptr) && got == want;
        if (ok) {
            c = crc.update(c, buffer.data(), got);
            ok = out.add(buffer.data(), got);
            left -= got;
        }
    }
    e.crc = c;
    Bytes d;
    d.u32(0x08074B50);
    d.u32(c);
    d.put(e.size, big ? 8 : 4);
    d.put(e.size, big ? 8 : 4);
    return ok && out.add(d);
}

void CentralEntry(const Entry& e, Bytes& cd) {
    const bool bigSize = e.size >= kMax32, bigOffset = e.offset >= kMax32;
    const uint32_t extra = (bigSize ? 16 : 0) + (bigOffset ? 8 : 0);
    cd.u32(0x02014B50);
    cd.u16(45);
    cd.u16(extra ? 45 : 20);
    cd.u16(8);
    cd.u16(0);
    cd.u32(0);
    cd.u32(e.crc);
    cd.u32(bigSize ? kMax32 : static_cast<uint32_t>(e.size));
    cd.u32(bigSize ? kMax32 : static_cast<uint32_t>(e.size));
    cd.u16(static_cast<uint32_t>(e.name.size()));
    cd.u16(extra ? extra + 4 : 0);
    cd.u16(0);  // comment, disk, attributes
    cd.u16(0);
    cd.u16(0);
    cd.u32(0);
    cd.u32(bigOffset ? kMax32 : static_cast<uint32_t>(e.offset));
    cd.text(e.name);
    if (extra) {
        cd.u16(1);
        cd.u16(extra);
        if (bigSize) {
            cd.u64(e.size);
            cd.u64(e.size);
        }
        if (bigOffset)
            cd.u64(e.offset);
    }
}

// The central directory and its end records.
bool Finish(const std::vector<Entry>& entries, Output& out) {
    Bytes cd;
    for (const Entry& e : entries)
        CentralEntry(e, cd);
    const uint64_t start = out.written(), length = cd.b.size(), count = entries.size();
    if (start >= kMax32 || count >= 0xFFFF) {
        const uint64_t record = start + length;
        cd.u32(0x06064B50);
        cd.u64(44);
        cd.u16(45);
        cd.u16(45);
        cd.u32(0);
        cd.u32(0);
        cd.u64(count);
        cd.u64(count);
        cd.u64(length);
        cd.u64(start);
        cd.u32(0x07064B50);
        cd.u32(0);
        cd.u64(record);
        cd.u32(1);
    }
    cd.u32(0x06054B50);
    cd.u32(0);
    cd.u16(count >= 0xFFFF ? 0xFFFF : static_cast<uint32_t>(count));
    cd.u16(count >= 0xFFFF ? 0xFFFF : static_cast<uint32_t>(count));
    cd.u32(length >= kMax32 ? kMax32 : static_cast<uint32_t>(length));
    cd.u32(start >= kMax32 ? kMax32 : static_cast<uint32_t>(start));
    cd.u16(0);
    return out.add(cd) && out.flush();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    const std::string pattern = argv[2];
    const size_t slash = pattern.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? "" : pattern.substr(0, slash + 1);
    const double start = bench::NowMs();
    const std::vector<std::string> names = bench::FilesOf(pattern);
    win::FileHandle file(CreateFileA(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || names.empty())
        return 1;
    const Crc32 crc;
    Output out(file.get());
    std::vector<uint8_t> buffer(1 << 20);
    std::vector<Entry> entries(names.size());
    bool ok = true;
    for (size_t i = 0; ok && i < names.size(); ++i) {
        entries[i].name = names[i];
        ok = StoreFile(folder + names[i], entries[i], out, crc, buffer);
    }
    ok = ok && Finish(entries, out);
    ok = CloseHandle(file.release()) && ok;
    if (!ok)
        return 1;
    bench::Report("floor zip", bench::NowMs() - start);
    return 0;
}

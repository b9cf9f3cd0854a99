// The CP932 helpers and the path helpers built on them, on any bytes, each
// text in a heap block of exactly its size so that AddressSanitizer sees a
// read past its end. Every position a helper returns or cuts at must be a
// character boundary under the one rule, written out here independently:
// a lead byte (81-9F, E0-FC) pairs only with a following trail byte (40-7E,
// 80-FC).
//
// Input: a folder, a NUL, then a path; both may hold any bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "capture/file_naming.h"
#include "history/history_paths.h"
#include "history/open_records.h"
#include "report/report_writer.h"
#include "tests/fuzz/fuzz_check.h"
#include "view/image_names.h"

namespace {

// starts[i]: a character begins at i (i == size included).
std::vector<unsigned char> boundaries(const std::string& text) {
    std::vector<unsigned char> starts(text.size() + 1, 0);
    for (std::size_t i = 0; i < text.size();) {
        starts[i] = 1;
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        const unsigned char d = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        const bool trail =
            i + 1 < text.size() && ((d >= 0x40 && d <= 0x7E) || (d >= 0x80 && d <= 0xFC));
        i += lead && trail ? 2 : 1;
    }
    starts[text.size()] = 1;
    return starts;
}

// A heap copy of exactly text.size() bytes, plus a NUL when asked for.
std::unique_ptr<char[]> block(const std::string& text, bool terminated) {
    std::unique_ptr<char[]> bytes(new char[text.size() + (terminated ? 1 : 0)]);
    std::memcpy(bytes.get(), text.data(), text.size());
    if (terminated)
        bytes[text.size()] = '\0';
    return bytes;
}

// The single-byte character c at a boundary, nowhere else.
bool isSingle(const std::string& text, const std::vector<unsigned char>& starts, std::size_t i,
              char c) {
    return i < text.size() && starts[i] && starts[i + 1] && text[i] == c;
}

void checkSearches(const std::string& text) {
    const std::vector<unsigned char> starts = boundaries(text);
    const std::unique_ptr<char[]> raw = block(text, false);
    // Where each byte value first stands as a character of its own.
    std::vector<std::size_t> first(256, text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!starts[i])
            continue;
        FUZZ_CHECK(cp932::charLength(raw.get(), text.size(), i) == (starts[i + 1] ? 1u : 2u));
        std::size_t& at = first[static_cast<unsigned char>(text[i])];
        if (starts[i + 1] && at == text.size())
            at = i;
    }
    for (const char c : {',', '"', '\\', '<', '=', '\r', '\0'})
        FUZZ_CHECK(cp932::find(raw.get(), text.size(), c) == first[static_cast<unsigned char>(c)]);
    for (const std::size_t maxLen :
         {std::size_t{0}, std::size_t{1}, text.size() / 2, text.size() - (text.empty() ? 0 : 1),
          std::size_t{128}, std::size_t{259}}) {
        // The longest cut that fits: the character after it would not.
        const std::size_t cut = cp932::cutLength(raw.get(), text.size(), maxLen);
        FUZZ_CHECK(cut <= text.size() && starts[cut]);
        const std::size_t next = cut < text.size() ? (starts[cut + 1] ? 1 : 2) : 0;
        FUZZ_CHECK(text.size() <= maxLen ? cut == text.size()
                                         : cut <= maxLen && cut + next > maxLen);
        std::unique_ptr<char[]> out(new char[maxLen + 1]);
        FUZZ_CHECK(cp932::copyText(out.get(), maxLen + 1, raw.get(), text.size()) ==
                   (cut == text.size()));
        FUZZ_CHECK(std::memcmp(out.get(), text.data(), cut) == 0 && out[cut] == '\0');
    }
    std::string folded = text;
    for (std::size_t i = 0; i < folded.size(); ++i) {
        if (starts[i] && starts[i + 1] && folded[i] >= 'a' && folded[i] <= 'z')
            folded[i] = static_cast<char>(folded[i] - 32);
    }
    const std::unique_ptr<char[]> other = block(folded, false);
    FUZZ_CHECK(cp932::equalFoldingAscii(raw.get(), text.size(), other.get(), folded.size()));
}

// The checks on a NUL-terminated text: the part before its first NUL.
void checkPaths(const std::string& folderBytes, const std::string& pathBytes) {
    const std::string path = pathBytes.substr(0, pathBytes.find('\0'));
    const std::vector<unsigned char> starts = boundaries(path);
    const std::unique_ptr<char[]> p = block(path, true);

    const char* first = cp932::findChar(p.get(), '\\');
    const char* last = cp932::findLastChar(p.get(), '\\');
    FUZZ_CHECK((first == nullptr) == (last == nullptr));
    if (last != nullptr) {
        FUZZ_CHECK(isSingle(path, starts, static_cast<std::size_t>(first - p.get()), '\\'));
        FUZZ_CHECK(isSingle(path, starts, static_cast<std::size_t>(last - p.get()), '\\'));
        for (std::size_t i = static_cast<std::size_t>(last - p.get()) + 1; i < path.size(); ++i)
            FUZZ_CHECK(!isSingle(path, starts, i, '\\'));
    }
    FUZZ_CHECK(filePart(p.get()) == last);
    FUZZ_CHECK(isRelative(p.get()) ==
               (first == p.get() && path.size() > 0 && !isSingle(path, starts, 1, '\\')));
    isFullPath(p.get());
    isJpegName(p.get());
    isBmpName(p.get());
    isPngName(p.get());
    isImageFileName(p.get());
    isTextFileName(p.get());
    FUZZ_CHECK(bareName(p.get()) == (last ? std::string(last + 1) : path));

    // A record's path and the history folder fit their 260-byte fields.
    HistoryRecord record{};
    cp932::copyText(record.imagePath, p.get());
    char folder[kPathSize];
    cp932::copyText(folder, folderBytes.substr(0, folderBytes.find('\0')).c_str());
    for (const int32_t relative : {0, 1}) {
        record.relative = relative;
        char out[kPathSize];
        resolvedImagePath(record, folder, out);
        std::string whole = record.imagePath;
        if (relative == 1) {
            const char* part = filePart(record.imagePath);
            whole = std::string(folder) + (part ? part : "\\" + whole);
        }
        const std::size_t length = std::strlen(out);
        FUZZ_CHECK(length == cp932::cutLength(whole.data(), whole.size(), kPathSize - 1));
        FUZZ_CHECK(boundaries(whole)[length] && whole.compare(0, length, out) == 0);
    }
    char a[kPathSize], b[kPathSize];
    rowImagePath(record.imagePath, folder, a);
    rowTextPath(record.imagePath, folder, b);
    splitAtLastBackslash(record.imagePath, a, b);
    const bool split = cp932::findLastChar(record.imagePath, '\\') != nullptr;
    FUZZ_CHECK((split ? std::string(a) + "\\" + b : std::string(b)) == record.imagePath);
    char name[kPathSize];
    if (formatCaptureFileName(name, sizeof name, folder, record.imagePath, 12, true,
                              ImageFormat::jpeg))
        FUZZ_CHECK(std::string(name) ==
                   std::string(folder) + "\\" + record.imagePath + "000012.jpg");
    std::strcpy(name, record.imagePath);
    if (removeTrailingBackslash(name)) {
        const std::string before = record.imagePath;
        FUZZ_CHECK(std::string(name) + "\\" == before &&
                   isSingle(before, boundaries(before), before.size() - 1, '\\'));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    checkSearches(input);
    const std::size_t nul = input.find('\0');
    if (nul == std::string::npos)
        checkPaths("C:\\hist", input);
    else
        checkPaths(input.substr(0, nul), input.substr(nul + 1));
    return 0;
}

// The workbook's handling of bytes it does not control: record texts
// converted from CP932, sheet names made of them, and picture files probed
// before they are embedded. The first byte picks the target.
//
// Sheet names must stay apart as Excel and Windows tell names apart: with
// every letter in upper case as the C library's Unicode tables put it (a
// rule of its own, not the one the names are made with), no two names of
// one workbook may be equal. The headings are the input's pieces between
// NULs, each made twice.
#include <cstddef>
#include <cstdint>
#include <clocale>
#include <cstdlib>
#include <cwctype>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "report/picture_probe.h"
#include "report/workbook_names.h"
#include "report/workbook_text.h"

namespace {

// Well-formed UTF-8 of at most three bytes a character (CP932 has nothing
// beyond the BMP) and no NUL.
bool wellFormed(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : 0;
        if (n == 0 || c == 0 || i + n > s.size())
            return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += n;
    }
    return true;
}

void check(bool ok) {
    if (!ok)
        std::abort();
}

// The name in upper case by towupper, one code point at a time.
std::u32string upperCase(const std::string& utf8) {
    static const bool unicode = std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr;
    check(unicode);
    std::u32string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : 3;
        char32_t cp = n == 1 ? c : n == 2 ? c & 0x1F : c & 0x0F;
        for (std::size_t k = 1; k < n && i + k < utf8.size(); ++k)
            cp = cp << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        out += static_cast<char32_t>(std::towupper(static_cast<wint_t>(cp)));
        i += n;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (data[0] % 3) {
        case 0: {
            const std::string utf8 = workbook_text::fromCp932(rest);
            check(wellFormed(utf8));
            // Every byte gives at most one character.
            check(workbook_text::length(utf8) <= rest.size());
            break;
        }
        case 1: {
            std::vector<std::string_view> headings;
            for (std::string_view left = rest;;) {
                const std::size_t end = left.find('\0');
                headings.push_back(left.substr(0, end));
                if (end == std::string_view::npos || headings.size() == 8)
                    break;
                left.remove_prefix(end + 1);
            }
            SheetNames names;
            std::set<std::u32string> seen = {upperCase("History")};
            int number = 0;
            for (int round = 0; round < 2; ++round) {
                for (const std::string_view heading : headings) {
                    const std::string name =
                        names.make(workbook_text::fromCp932(heading), ++number);
                    check(!name.empty() && workbook_text::length(name) <= SheetNames::kMaxLength);
                    check(name.find_first_of("[]:*?/\\") == std::string::npos);
                    check(name.front() != '\'' && name.back() != '\'');
                    check(seen.insert(upperCase(name)).second);
                }
            }
            break;
        }
        default: {
            const PictureInfo info = probePicture(data + 1, size - 1);
            check(info.kind == PictureKind::none || (info.width > 0 && info.height > 0));
            break;
        }
    }
    return 0;
}

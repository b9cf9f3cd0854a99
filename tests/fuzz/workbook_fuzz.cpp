// The workbook's handling of bytes it does not control: record texts
// converted from CP932, sheet names made of them, and picture files probed
// before they are embedded. The first byte picks the target.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

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
            SheetNames names;
            for (int i = 0; i < 3; ++i) {
                const std::string name = names.make(workbook_text::fromCp932(rest), i + 1);
                check(!name.empty() && workbook_text::length(name) <= SheetNames::kMaxLength);
                check(name.find_first_of("[]:*?/\\") == std::string::npos);
                check(name.front() != '\'' && name.back() != '\'');
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

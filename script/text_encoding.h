// The command line's texts between UTF-8 (what the caller typed, from the
// wide command line) and CP932 (what every text of the program is), and the
// result file's JSON, which is UTF-8. The conversion itself is base/'s, which
// the evidence manifest shares.
#pragma once

#include <string>
#include <string_view>

#include "base/text_encoding.h"

namespace script {

inline bool utf8ToCp932(std::string_view utf8, std::string& out) {
    return text_encoding::utf8ToCp932(utf8, out);
}

inline std::string cp932ToUtf8(std::string_view cp932) {
    return text_encoding::cp932ToUtf8(cp932);
}

}  // namespace script

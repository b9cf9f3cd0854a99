// The command line's texts between UTF-8 (what the caller typed, from the
// wide command line) and CP932 (what every text of the program is), and the
// result file's JSON, which is UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace script {

// The CP932 bytes of a UTF-8 text, as code page 932 of Windows writes each
// character. False, with `out` unspecified, when the text is not well-formed
// UTF-8 or holds a character that code page 932 has no bytes for: such a
// heading would be saved as "?" and match nothing the caller asked for.
bool utf8ToCp932(std::string_view utf8, std::string& out);

// The UTF-8 of CP932 bytes.
std::string cp932ToUtf8(std::string_view cp932);

}  // namespace script

// An INI file held as text lines, read and edited the way the platform's
// profile functions treat "Zelcap.ini", without depending on them.
//
// Lines that are not changed keep their bytes exactly, so comments, blank
// lines, unknown sections and keys other programs or older versions wrote
// survive every save. Names are CP932 and compare case-insensitively for ASCII
// letters only: the trail byte of a double-byte character is never folded.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class IniDocument {
  public:
    IniDocument() = default;
    // Takes the whole file; CRLF and LF line ends are both accepted.
    explicit IniDocument(std::string_view bytes);

    // The value of the first `key` in the first `section` of that name, with
    // surrounding spaces and tabs and one pair of enclosing double quotes
    // removed. Empty when the key is absent; an empty string when it is
    // present without a value.
    std::optional<std::string> get(std::string_view section, std::string_view key) const;

    // Replaces the value of the key's first occurrence; otherwise adds the
    // key after the section's last key, or adds the section at the end. A
    // value that get() would change (blanks at either end, enclosing quotes)
    // is written in quotes, and CR or LF as a blank, so that get() returns
    // what was set; other values are written as they are.
    void set(std::string_view section, std::string_view key, std::string_view value);

    // The file's bytes, every line ended with CRLF.
    std::string serialize() const;

  private:
    std::vector<std::string> lines_;
};

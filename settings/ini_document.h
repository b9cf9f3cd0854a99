// An INI file held as text lines, read and edited the way the platform's
// profile functions treat "Zelcap.ini", without depending on them.
//
// Lines that are not changed keep their bytes exactly, so comments, blank
// lines, unknown sections and keys other programs or older versions wrote
// survive every save. Names are CP932 and compare case-insensitively for ASCII
// letters only: the trail byte of a double-byte character is never folded.
#pragma once

#include <cstddef>
#include <cstdint>
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
    enum class Kind { Blank, Comment, Section, Key, Other };

    // A line with what it holds, parsed once when it is made: every lookup
    // walks all lines, some hundred times per load or save, and compares the
    // hash of a name before the name itself.
    struct Line {
        std::string text;
        Kind kind = Kind::Other;
        std::size_t nameAt = 0, nameLength = 0;    // section or key name, trimmed
        std::size_t valueAt = 0, valueLength = 0;  // key value, trimmed, quotes still on
        std::size_t afterEqual = 0;                // where a key's raw value starts
        std::uint64_t nameHash = 0;                // of the name as sameName folds it

        explicit Line(std::string line);
        std::string_view name() const { return std::string_view(text).substr(nameAt, nameLength); }
        bool named(std::string_view other, std::uint64_t otherHash) const;
    };

    struct SectionRange {
        std::size_t header;  // index of the "[name]" line
        std::size_t end;     // index of the next section's header, or the line count
    };
    std::optional<SectionRange> findSection(std::string_view section) const;

    std::vector<Line> lines_;
};

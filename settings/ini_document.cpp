#include "settings/ini_document.h"

#include <cstddef>

#include "app/cp932.h"

namespace {

enum class LineKind { Blank, Comment, Section, Key, Other };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;       // section or key name, trimmed
    std::string_view value;      // key value, trimmed, quotes still on
    std::size_t afterEqual = 0;  // where the raw value starts in the line
};

bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

// Spaces and tabs are never trail bytes, so trimming needs no CP932 care.
std::string_view trim(std::string_view s) {
    while (!s.empty() && isSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

ParsedLine parseLine(std::string_view line) {
    ParsedLine parsed;
    const std::string_view text = trim(line);
    if (text.empty()) {
        parsed.kind = LineKind::Blank;
        return parsed;
    }
    if (text.front() == ';') {
        parsed.kind = LineKind::Comment;
        return parsed;
    }
    if (text.front() == '[') {
        // ']' (0x5D) can be the trail byte of a kanji inside the name.
        const std::string_view inner = text.substr(1);
        const std::size_t close = cp932::find(inner.data(), inner.size(), ']');
        if (close < inner.size()) {
            parsed.kind = LineKind::Section;
            parsed.name = trim(inner.substr(0, close));
        }
        return parsed;
    }
    const std::size_t equal = cp932::find(line.data(), line.size(), '=');
    if (equal == line.size())
        return parsed;
    parsed.kind = LineKind::Key;
    parsed.name = trim(line.substr(0, equal));
    parsed.value = trim(line.substr(equal + 1));
    parsed.afterEqual = equal + 1;
    return parsed;
}

bool sameName(std::string_view a, std::string_view b) {
    return cp932::equalFoldingAscii(a.data(), a.size(), b.data(), b.size());
}

struct SectionRange {
    std::size_t header;  // index of the "[name]" line
    std::size_t end;     // index of the next section's header, or the line count
};

// Like the profile functions, only the first section of a name counts; keys
// in a later duplicate are neither read nor replaced.
std::optional<SectionRange> findSection(const std::vector<std::string>& lines,
                                        std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const ParsedLine parsed = parseLine(lines[i]);
        if (parsed.kind != LineKind::Section || !sameName(parsed.name, section))
            continue;
        std::size_t end = i + 1;
        while (end < lines.size() && parseLine(lines[end]).kind != LineKind::Section)
            ++end;
        return SectionRange{i, end};
    }
    return std::nullopt;
}

// The value as the file holds it, so that get() gives back exactly `value`.
// Reading strips blanks around a value and one pair of enclosing quotes, as
// the profile functions do, so a file-name prefix "AAA " would come back as
// "AAA" and change every capture name after a restart: such a value goes out
// in quotes of its own, which the reading takes off again. A line end cannot
// be held in a value at all and becomes a blank. Any other value is written
// as it is.
std::string storedValue(std::string_view value) {
    std::string stored(value);
    for (char& c : stored) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    const bool wrapped = stored.size() >= 2 && stored.front() == '"' && stored.back() == '"';
    if (!stored.empty() && (isSpace(stored.front()) || isSpace(stored.back()) || wrapped))
        stored = '"' + stored + '"';
    return stored;
}

}  // namespace

IniDocument::IniDocument(std::string_view bytes) {
    // A plain search is right for line ends: control bytes are never trail
    // bytes, and a torn lead byte at a line's end must not swallow the break.
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t newline = bytes.find('\n', start);
        const std::size_t end = newline == std::string_view::npos ? bytes.size() : newline;
        std::string_view line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines_.emplace_back(line);
        if (newline == std::string_view::npos)
            break;
        start = newline + 1;
    }
}

std::optional<std::string> IniDocument::get(std::string_view section, std::string_view key) const {
    const std::optional<SectionRange> range = findSection(lines_, section);
    if (!range)
        return std::nullopt;
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
        const ParsedLine parsed = parseLine(lines_[i]);
        if (parsed.kind != LineKind::Key || !sameName(parsed.name, key))
            continue;
        std::string_view value = parsed.value;
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        return std::string(value);
    }
    return std::nullopt;
}

void IniDocument::set(std::string_view section, std::string_view key, std::string_view value) {
    const std::string stored = storedValue(value);
    std::string entry(key);
    entry += '=';
    entry += stored;

    const std::optional<SectionRange> range = findSection(lines_, section);
    if (!range) {
        // A blank line sets the new section off, unless one already does.
        if (!lines_.empty() && parseLine(lines_.back()).kind != LineKind::Blank) {
            lines_.emplace_back();
        }
        std::string header = "[";
        header += section;
        header += ']';
        lines_.push_back(std::move(header));
        lines_.push_back(std::move(entry));
        return;
    }

    // A new key goes after the last key, not after trailing blank lines or a
    // comment that introduces the next section.
    std::size_t insertAt = range->header + 1;
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
        const ParsedLine parsed = parseLine(lines_[i]);
        if (parsed.kind != LineKind::Key)
            continue;
        if (sameName(parsed.name, key)) {
            // The key keeps its spelling and indentation as the file had it.
            std::string& line = lines_[i];
            line.resize(parsed.afterEqual);
            line += stored;
            return;
        }
        insertAt = i + 1;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(entry));
}

std::string IniDocument::serialize() const {
    std::string bytes;
    for (const std::string& line : lines_) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

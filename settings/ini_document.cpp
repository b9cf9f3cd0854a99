#include "settings/ini_document.h"

#include <cstddef>

#include "base/cp932.h"

namespace {

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

bool sameName(std::string_view a, std::string_view b) {
    return cp932::equalFoldingAscii(a.data(), a.size(), b.data(), b.size());
}

// FNV-1a of the name with its ASCII letters folded as sameName folds them, so
// that names sameName takes for one always hash alike.
std::uint64_t nameHash(std::string_view name) {
    std::uint64_t hash = 14695981039346656037u;
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t n = cp932::charLength(name.data(), name.size(), i);
        for (std::size_t k = 0; k < n; ++k) {
            char c = name[i + k];
            if (n == 1 && c >= 'A' && c <= 'Z')
                c = static_cast<char>(c + 32);
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211u;
        }
        i += n;
    }
    return hash;
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

IniDocument::Line::Line(std::string line) : text(std::move(line)) {
    const std::string_view whole(text);
    const auto place = [&](std::string_view part, std::size_t& at, std::size_t& length) {
        at = static_cast<std::size_t>(part.data() - whole.data());
        length = part.size();
    };
    const std::string_view trimmed = trim(whole);
    if (trimmed.empty()) {
        kind = Kind::Blank;
    } else if (trimmed.front() == ';') {
        kind = Kind::Comment;
    } else if (trimmed.front() == '[') {
        // ']' (0x5D) can be the trail byte of a kanji inside the name.
        const std::string_view inner = trimmed.substr(1);
        const std::size_t close = cp932::find(inner.data(), inner.size(), ']');
        if (close < inner.size()) {
            kind = Kind::Section;
            place(trim(inner.substr(0, close)), nameAt, nameLength);
        }
    } else {
        const std::size_t equal = cp932::find(whole.data(), whole.size(), '=');
        if (equal < whole.size()) {
            kind = Kind::Key;
            place(trim(whole.substr(0, equal)), nameAt, nameLength);
            place(trim(whole.substr(equal + 1)), valueAt, valueLength);
            afterEqual = equal + 1;
        }
    }
    nameHash = ::nameHash(name());
}

bool IniDocument::Line::named(std::string_view other, std::uint64_t otherHash) const {
    return nameHash == otherHash && sameName(name(), other);
}

// Like the profile functions, only the first section of a name counts; keys
// in a later duplicate are neither read nor replaced.
std::optional<IniDocument::SectionRange> IniDocument::findSection(std::string_view section) const {
    const std::uint64_t hash = nameHash(section);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind != Kind::Section || !lines_[i].named(section, hash))
            continue;
        std::size_t end = i + 1;
        while (end < lines_.size() && lines_[end].kind != Kind::Section)
            ++end;
        return SectionRange{i, end};
    }
    return std::nullopt;
}

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
        lines_.emplace_back(std::string(line));
        if (newline == std::string_view::npos)
            break;
        start = newline + 1;
    }
}

std::optional<std::string> IniDocument::get(std::string_view section, std::string_view key) const {
    const std::optional<SectionRange> range = findSection(section);
    if (!range)
        return std::nullopt;
    const std::uint64_t hash = nameHash(key);
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
        const Line& line = lines_[i];
        if (line.kind != Kind::Key || !line.named(key, hash))
            continue;
        std::string_view value = std::string_view(line.text).substr(line.valueAt, line.valueLength);
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

    const std::optional<SectionRange> range = findSection(section);
    if (!range) {
        // A blank line sets the new section off, unless one already does.
        if (!lines_.empty() && lines_.back().kind != Kind::Blank) {
            lines_.emplace_back(std::string());
        }
        std::string header = "[";
        header += section;
        header += ']';
        lines_.emplace_back(std::move(header));
        lines_.emplace_back(std::move(entry));
        return;
    }

    // A new key goes after the last key, not after trailing blank lines or a
    // comment that introduces the next section.
    std::size_t insertAt = range->header + 1;
    const std::uint64_t hash = nameHash(key);
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
        Line& line = lines_[i];
        if (line.kind != Kind::Key)
            continue;
        if (line.named(key, hash)) {
            // The key keeps its spelling and indentation as the file had it.
            std::string text = line.text.substr(0, line.afterEqual);
            text += stored;
            line = Line(std::move(text));
            return;
        }
        insertAt = i + 1;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), Line(std::move(entry)));
}

std::string IniDocument::serialize() const {
    std::string bytes;
    for (const Line& line : lines_) {
        bytes += line.text;
        bytes += "\r\n";
    }
    return bytes;
}

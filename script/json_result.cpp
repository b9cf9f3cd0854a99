#include "script/json_result.h"

#include <cstdio>

#include "script/text_encoding.h"

namespace script {

namespace {

// The length of the well-formed UTF-8 sequence at s[i], or 0.
std::size_t sequenceLength(std::string_view s, std::size_t i) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    std::size_t n;
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF)
        n = 2;
    else if (c >= 0xE0 && c <= 0xEF)
        n = 3;
    else if (c >= 0xF0 && c <= 0xF4)
        n = 4;
    else
        return 0;
    if (i + n > s.size())
        return 0;
    for (std::size_t k = 1; k < n; ++k)
        if ((b(i + k) & 0xC0) != 0x80)
            return 0;
    // Overlong forms, surrogates and values beyond U+10FFFF.
    if ((c == 0xE0 && b(i + 1) < 0xA0) || (c == 0xED && b(i + 1) >= 0xA0) ||
        (c == 0xF0 && b(i + 1) < 0x90) || (c == 0xF4 && b(i + 1) >= 0x90))
        return 0;
    return n;
}

}  // namespace

std::string jsonString(std::string_view utf8) {
    std::string out = "\"";
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        const std::size_t n = sequenceLength(utf8, i);
        if (n == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out.append(utf8.data() + i, n);
        }
        i += n;
    }
    out += '"';
    return out;
}

void JsonObject::key(std::string_view name) {
    body_ += body_.empty() ? "{" : ",";
    body_ += jsonString(name);
    body_ += ':';
}

JsonObject& JsonObject::text(std::string_view name, std::string_view utf8) {
    key(name);
    body_ += jsonString(utf8);
    return *this;
}

JsonObject& JsonObject::cp932(std::string_view name, std::string_view cp932Text) {
    return text(name, cp932ToUtf8(cp932Text));
}

JsonObject& JsonObject::number(std::string_view name, long long value) {
    key(name);
    body_ += std::to_string(value);
    return *this;
}

JsonObject& JsonObject::flag(std::string_view name, bool value) {
    key(name);
    body_ += value ? "true" : "false";
    return *this;
}

JsonObject& JsonObject::raw(std::string_view name, std::string_view json) {
    key(name);
    body_.append(json.data(), json.size());
    return *this;
}

std::string jsonArray(const std::vector<std::string>& items) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            out += ',';
        out += items[i];
    }
    return out + "]";
}

}  // namespace script

#include "report/workbook_names.h"

#include "report/workbook_text.h"

namespace {

bool forbidden(char c) {
    switch (c) {
        case '[':
        case ']':
        case ':':
        case '*':
        case '?':
        case '/':
        case '\\':
            return true;
        default:
            return false;
    }
}

std::string clean(std::string_view heading) {
    std::string out;
    for (char c : heading) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F)
            continue;
        out += forbidden(c) ? '_' : c;
    }
    const std::size_t first = out.find_first_not_of('\'');
    if (first == std::string::npos)
        return {};
    const std::size_t last = out.find_last_not_of('\'');
    return out.substr(first, last - first + 1);
}

std::string trimmedTo(std::string_view name, std::size_t count) {
    // A cut may leave an apostrophe at the end, which no name may have.
    std::string out(workbook_text::prefix(name, count));
    while (!out.empty() && out.back() == '\'')
        out.pop_back();
    return out;
}

}  // namespace

SheetNames::SheetNames() {
    // Excel keeps this name for itself.
    reserve("History");
}

void SheetNames::reserve(std::string_view name) {
    used_.insert(workbook_text::foldCase(name));
}

bool SheetNames::taken(std::string_view name) const {
    return used_.count(workbook_text::foldCase(name)) != 0;
}

std::string SheetNames::make(std::string_view heading, int number) {
    std::string base = trimmedTo(clean(heading), kMaxLength);
    if (base.empty())
        base = std::string(u8"記録") + std::to_string(number);
    std::string name = base;
    for (int k = 2; taken(name); ++k) {
        const std::string suffix = " (" + std::to_string(k) + ")";
        name = trimmedTo(base, kMaxLength - suffix.size()) + suffix;
    }
    reserve(name);
    return name;
}

std::string cellReference(std::string_view sheet, int row) {
    std::string out = "'";
    for (char c : sheet) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    out += "'!A";
    out += std::to_string(row);
    return out;
}

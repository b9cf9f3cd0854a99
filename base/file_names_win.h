// File names as Windows compares them: NTFS folds every letter with a case
// through its upper-case table, full-width ａ, Greek and Cyrillic я as much
// as ASCII a, which no byte-wise rule over CP932 does.
#pragma once

#include <windows.h>

#include <string>

namespace win {

// A CP932 text in UTF-16.
inline std::wstring Wide(const std::string& text) {
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(932, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(932, 0, text.data(), size, wide.data(), length);
    return wide;
}

// A key that two names share exactly when the file system takes them for
// one: the wide name in capitals. Its bytes are only ever compared, never
// shown.
inline std::string FileNameKey(const std::string& name) {
    std::wstring wide = Wide(name);
    if (!wide.empty())
        CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
}

inline bool SameFileName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

inline bool SameFileName(const std::string& a, const std::string& b) {
    const std::wstring wa = Wide(a), wb = Wide(b);
    return CompareStringOrdinal(wa.data(), static_cast<int>(wa.size()), wb.data(),
                                static_cast<int>(wb.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace win

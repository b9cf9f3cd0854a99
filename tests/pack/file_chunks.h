// A file's bytes in pieces, as the pack's writers read pictures and fonts.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

inline bool readFileChunks(const std::string& path,
                           const std::function<void(const char*, std::size_t)>& chunk) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        chunk(buffer, n);
    std::fclose(f);
    return true;
}

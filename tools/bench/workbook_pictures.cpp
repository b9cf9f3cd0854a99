// Writes the pictures of the workbook benchmark run through Zelcap.exe
// (workbook-exe-bench.sh): FOLDER/1.jpg ... FOLDER/COUNT.jpg.
// Usage: workbook_pictures FOLDER COUNT [plain]   (plain: the quieter screen)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/bench/workbook_pictures.h"

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: workbook_pictures FOLDER COUNT [plain]\n");
        return 2;
    }
    const bool plain = argc == 4 && std::strcmp(argv[3], "plain") == 0;
    const int count = std::atoi(argv[2]);
    for (int i = 0; i < count; ++i) {
        const std::string path = std::string(argv[1]) + "/" + std::to_string(i + 1) + ".jpg";
        const std::vector<uint8_t> file = bench_pictures::screen(i, plain);
        FILE* f = std::fopen(path.c_str(), "wb");
        const bool ok = f && std::fwrite(file.data(), 1, file.size(), f) == file.size();
        if (f && std::fclose(f) != 0)
            return 1;
        if (!ok)
            return 1;
    }
    return 0;
}

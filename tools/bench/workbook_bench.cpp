// Times the evidence workbook of COUNT records of 1920 x 1080 JPEG files
// (made here, each a little different) against storing the same files in a
// zip without compression, in the same run on the same machine.
// Usage: workbook_bench FOLDER COUNT   (prints the figures for performance.md;
//        workbook_pictures writes the same files for the run through Zelcap.exe)
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "report/workbook_writer.h"
#include "tools/bench/workbook_pictures.h"

namespace {

class FileSource : public WorkbookSource {
  public:
    bool read(const std::string& path, std::string& bytes) override {
        FILE* f = std::fopen(path.c_str(), "rb");
        if (!f)
            return false;
        bytes.clear();
        char buffer[1 << 16];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            bytes.append(buffer, n);
        std::fclose(f);
        return true;
    }
    // As Zelcap's own source: the head of a picture, and its size.
    bool readHead(const std::string& path, std::string& bytes, std::size_t limit) override {
        FILE* f = std::fopen(path.c_str(), "rb");
        if (!f)
            return false;
        bytes.resize(limit);
        bytes.resize(std::fread(&bytes[0], 1, limit, f));
        std::fclose(f);
        return true;
    }
    int64_t fileSize(const std::string& path) override {
        struct stat st;
        return stat(path.c_str(), &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
    }
    std::string libraryPath(const std::string& path) override { return path; }
};

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: workbook_bench FOLDER COUNT\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int count = std::atoi(argv[2]);
    std::vector<WorkbookRecord> records;
    std::size_t total = 0;
    for (int i = 0; i < count; ++i) {
        const std::string path = folder + "/" + std::to_string(i + 1) + ".jpg";
        const std::vector<uint8_t> file = bench_pictures::screen(i);
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f || std::fwrite(file.data(), 1, file.size(), f) != file.size())
            return 1;
        std::fclose(f);
        total += file.size();
        records.push_back({"2026/12/09 10:00:00", "screen " + std::to_string(i + 1), path, ""});
    }
    // The page cache holds the files for both timings alike.
    const std::string zip = "cd '" + folder + "' && rm -f bench.zip && zip -0 -q bench.zip *.jpg";
    auto start = std::chrono::steady_clock::now();
    if (std::system(zip.c_str()) != 0)
        return 1;
    const double zipTime = seconds(start);

    WorkbookOptions options;
    FileSource source;
    start = std::chrono::steady_clock::now();
    const WorkbookResult result = writeWorkbook(folder + "/bench.xlsx", records, options, source);
    const double bookTime = seconds(start);
    if (!result.ok || result.problems != 0)
        return 1;
    std::printf("records %d, JPEG bytes %.1f MB\n", count, total / 1e6);
    std::printf("zip -0: %.2f s\nworkbook: %.2f s\nratio: %.2f\n", zipTime, bookTime,
                bookTime / zipTime);
    return 0;
}

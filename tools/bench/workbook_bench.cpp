// Times the evidence workbook of COUNT records of 1920 x 1080 JPEG files
// (made here, each a little different) against storing the same files in a
// zip without compression, in the same run on the same machine.
// Usage: workbook_bench FOLDER COUNT   (prints the figures for performance.md)
//        workbook_bench FOLDER COUNT make   (only writes the files 1.jpg ...,
//        for the run through Zelcap.exe)
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "report/workbook_writer.h"
#include "tests/fuzz/sample_images.h"

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

// Something like a screen: flat areas, text-like stripes and a gradient,
// shifted per record so that no two files are alike.
std::vector<uint8_t> screen(int seed) {
    samples::Jpeg j;
    j.width = 1920;
    j.height = 1080;
    j.quality = 80;
    j.fullChroma = false;
    j.samples.resize(static_cast<std::size_t>(j.width) * j.height * 3);
    for (int y = 0; y < j.height; ++y)
        for (int x = 0; x < j.width; ++x) {
            uint8_t* p = &j.samples[(static_cast<std::size_t>(y) * j.width + x) * 3];
            const bool text = (y / 16) % 3 == 0 && ((x + seed * 7) / 5) % 4 != 0 && x % 400 < 300;
            p[0] = text ? 20 : static_cast<uint8_t>(200 + (x + seed) % 55);
            p[1] = text ? 20 : static_cast<uint8_t>(220 - y % 40);
            p[2] = text ? 60 : static_cast<uint8_t>((x * y + seed) % 256);
        }
    return samples::encode(j);
}

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: workbook_bench FOLDER COUNT [make]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int count = std::atoi(argv[2]);
    std::vector<WorkbookRecord> records;
    std::size_t total = 0;
    for (int i = 0; i < count; ++i) {
        const std::string path = folder + "/" + std::to_string(i + 1) + ".jpg";
        const std::vector<uint8_t> file = screen(i);
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f || std::fwrite(file.data(), 1, file.size(), f) != file.size())
            return 1;
        std::fclose(f);
        total += file.size();
        records.push_back({"2026/12/09 10:00:00", "screen " + std::to_string(i + 1), path, ""});
    }
    if (argc == 4)
        return 0;
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

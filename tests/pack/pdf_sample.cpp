// Writes the pack's PDF from made-up records whose pictures are files in a
// folder, for the checks that read it back with Debian's PDF tools.
// Usage: pdf_sample OUT.pdf PICTURE_DIR MODE [COUNT]
//   MODE sample: three records (a JPEG, a PNG and a BMP), one with a case,
//        the CSV, manifest and log attached; exit 0 when the writer says ok.
//        COUNT: records per page (1 when not given).
//   MODE unreadable: the same with the PNG's file missing and the BMP's
//        record masked without its flattened picture; prints "unreadable=N".
//   MODE long: the sample with remarks of the most a case keeps (4000
//        bytes), longer than a page in the case table, ending in "終わり".
//   MODE full: the sink refuses bytes after the first 64 KiB; prints the
//        result's ok and message.
//   MODE bench: COUNT records, each the folder's 1080p.jpg or the file
//        named after COUNT (memory must stay flat; the caller measures the
//        peak).
//   The font is the IPAex Gothic of Debian's fonts-ipaexfont-gothic.
// Built natively and for Windows; the Windows build prints its peak memory
// ("peak=KB", from the process's counters) last.
#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
#endif
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/text_encoding.h"
#include "pack/pack_pdf.h"
#include "tests/pack/file_chunks.h"

namespace {

const char* const kFont = "/usr/share/fonts/opentype/ipaexfont-gothic/ipaexg.ttf";

// Paths are CP932 as in the program: the ANSI code page on Windows, UTF-8 here.
std::string systemPath(const std::string& cp932) {
#ifdef _WIN32
    return cp932;
#else
    return text_encoding::cp932ToUtf8(cp932);
#endif
}

bool readFile(const std::string& cp932,
              const std::function<void(const char*, std::size_t)>& chunk) {
    return readFileChunks(systemPath(cp932), chunk);
}

std::string fileBytes(const std::string& cp932) {
    std::string bytes;
    readFile(cp932, [&](const char* d, std::size_t n) { bytes.append(d, n); });
    return bytes;
}

pack::PackRecord record(int number, const std::string& dir, const char* file, const char* mime,
                        const char* heading) {
    pack::PackRecord r;
    r.number = number;
    r.dateTime = "2026/12/10 21:0" + std::to_string(number) + ":00";
    r.heading = heading;
    r.description = "説明文：ログイン画面の表示を確認した。\r\n二行目の説明。";
    r.picture.path = dir + "/" + file;
    r.picture.name = file;
    r.picture.mime = mime;
    r.picture.sha256Hex = std::string(64, static_cast<char>('a' + number));
    return r;
}

pack::PackInput sampleInput(const std::string& dir) {
    pack::PackInput in;
    in.title = "結合試験 証跡 第1回";
    in.author = "山田 太郎";
    in.created = "2026-12-10T21:05:00+09:00";
    in.records.push_back(record(1, dir, "画面一.jpg", "image/jpeg", "ログイン画面を表示"));
    in.records.push_back(record(2, dir, "画面二.png", "image/png", "検索結果の一覧（表示確認）"));
    in.records.push_back(record(3, dir, "画面三.bmp", "image/bmp", "設定ダイアログ・保存"));
    testcase::TestCase& c = in.records[1].testCase;
    c.testId = "TC-001";
    c.step = "検索ボタンを押す";
    c.expected = "一覧が表示される\r\n件数が正しい";
    c.actual = "一覧が表示された";
    c.verdict = testcase::Verdict::ng;
    c.tester = "山田";
    c.date = "2026/12/10";
    for (const char* name : {"履歴.csv", "履歴.sha256", "履歴.zlog"})
        in.attachments.push_back({name, "text/plain", fileBytes(dir + "/" + name)});
    in.attachments[0].mime = "text/csv";
    in.manifestSha256Hex = std::string(64, 'f');
    return in;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4)
        return 2;
    const std::string mode = argv[3];
    std::string dir = argv[2];
#ifndef _WIN32
    if (!text_encoding::utf8ToCp932(argv[2], dir))
        return 2;
#endif
    pack::PackInput in = sampleInput(dir);
    pack::PackOptions options;
    options.format = pack::Format::pdf;
    if (mode == "sample" && argc > 4)
        options.recordsPerPage = std::atoi(argv[4]);
    if (mode == "long") {
        std::string& remarks = in.records[1].testCase.remarks;
        while (remarks.size() + 14 <= 4000 - 6)
            remarks += "備考の長い文。";
        remarks += "終わり";
    }
    if (mode == "unreadable") {
        in.records[1].picture.path = dir + "/無い.png";
        in.records[2].picture.withheld = true;
    }
    if (mode == "bench") {
        const int count = argc > 4 ? std::atoi(argv[4]) : 200;
        const pack::PackRecord one =
            record(1, dir, argc > 5 ? argv[5] : "1080p.jpg", "image/jpeg", "全画面の記録");
        in.records.assign(static_cast<std::size_t>(count), one);
        for (int i = 0; i < count; ++i)
            in.records[static_cast<std::size_t>(i)].number = i + 1;
    }
    FILE* out = std::fopen(argv[1], "wb");
    if (!out)
        return 2;
    std::size_t written = 0;
    const bool full = mode == "full";
    const pack::PackResult result = pack::writePackPdf(
        in, options, kFont, readFile,
        [&](const char* d, std::size_t n) {
            if (full && written + n > 65536)
                return false;
            written += n;
            return std::fwrite(d, 1, n, out) == n;
        },
        [](int, int) { return true; });
    std::fclose(out);
    std::printf("ok=%d unreadable=%d message=%s\n", result.ok ? 1 : 0, result.unreadable,
                text_encoding::cp932ToUtf8(result.message).c_str());
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        std::printf("peak=%lu KB private=%lu KB\n",
                    static_cast<unsigned long>(counters.PeakWorkingSetSize / 1024),
                    static_cast<unsigned long>(counters.PeakPagefileUsage / 1024));
#endif
    return result.ok || full ? 0 : 1;
}

// Times the records' search per keystroke over 1000 records whose pictures
// were read (60 lines of some 45 bytes each, spaced out as the engine gives
// Japanese), against the floor in the same run: every byte of the folded
// texts read once. Also the folding of all the records, done once when the
// history opens and again for a record whose text arrives.
// Usage: search_bench ROUNDS   (prints the table for performance.md)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "ocr/record_search.h"

namespace {

constexpr int kRecords = 1000, kLines = 60;

// Words of two of these 53 characters, spaced apart as the engine reads
// them ("請 求"), 360 to a record; with the blanks dropped neighbouring
// words make pairs too, and a pair stands in about one record in five.
// Then amounts, dates and ASCII words.
const char kKanji[] = "金額請求書番号画面設定表示編集確認担当者日付合計税込品名数量単価備考住所氏電話登録変更削除検索保存終了開始";
const char* const kAscii[] = {"OK", "Cancel", "ID-0042", "Total", "ｔｏｔａｌ", "2026/12/10", "ﾌｧｲﾙ"};

std::vector<OcrResult> readTexts() {
    uint32_t noise = 36;
    const auto next = [&](uint32_t n) {
        noise = noise * 1103515245 + 12345;
        return (noise >> 16) % n;
    };
    const uint32_t kanji = (sizeof kKanji - 1) / 2;
    std::vector<OcrResult> texts(kRecords);
    for (OcrResult& r : texts)
        for (int l = 0; l < kLines; ++l) {
            std::string line;
            for (int w = 0; w < 6; ++w) {
                const uint32_t a = next(kanji), b = next(kanji);
                line.append(kKanji + 2 * a, 2) += ' ';
                line.append(kKanji + 2 * b, 2) += ' ';
            }
            line += next(2) ? std::string(kAscii[next(sizeof kAscii / sizeof kAscii[0])])
                            : "1," + std::to_string(100 + next(900)) + " 円";
            r.lines.push_back({10, 20 * l, 900, 20 * l + 16, line});
        }
    return texts;
}

double medianMs(int rounds, const std::function<void()>& work) {
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                         .count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// The floor: every byte of the folded texts read once, for a byte none
// holds; what any search that finds nothing costs at the least.
std::size_t readEveryByte(const std::vector<record_search::FoldedRecord>& records) {
    std::size_t found = 0;
    for (const record_search::FoldedRecord& r : records) {
        found += r.heading.find('\x01') != std::string::npos;
        found += r.description.find('\x01') != std::string::npos;
        for (const std::string& line : r.lines)
            found += line.find('\x01') != std::string::npos;
    }
    return found;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const std::vector<OcrResult> texts = readTexts();
    std::vector<record_search::Record> records;
    for (int i = 0; i < kRecords; ++i)
        records.push_back({"画面 " + std::to_string(i), "手順 " + std::to_string(i) + " の確認", &texts[i]});
    std::size_t bytes = 0;
    for (const OcrResult& r : texts)
        for (const OcrLine& l : r.lines)
            bytes += l.text.size();

    std::vector<record_search::FoldedRecord> folded;
    const double foldMs = medianMs(rounds, [&] {
        folded.clear();
        for (const record_search::Record& r : records)
            folded.push_back(record_search::fold(r));
    });
    std::printf("%d records, %zu bytes of read text; folding them all: %.2f ms (median of %d)\n\n",
                kRecords, bytes, foldMs, rounds);
    std::size_t none = 0;
    const double floor = medianMs(rounds, [&] { none = readEveryByte(folded); });
    std::printf("floor, every folded byte read once: %.2f ms%s\n\n", floor, none ? " (?)" : "");
    std::printf("| typed | records found | search, ms | vs floor |\n");
    std::printf("|---|---:|---:|---:|\n");
    // The keystrokes of one query as typed, then a word no record has (the
    // whole text read to the end), then words in every record.
    const char* const typed[] = {"請", "請求", "請求 1", "請求 1,", "請求 1,1", "請求 1,10",
                                 "請求 1,100", "ｚｚｚ", "ok 画面"};
    for (const char* t : typed) {
        std::size_t found = 0;
        const double search = medianMs(rounds, [&] {
            found = record_search::matches(folded, text_fold::Query(t)).size();
        });
        std::printf("| %s | %zu | %.2f | %.1f x |\n", t, found, search, search / std::max(floor, 1e-6));
    }
    return 0;
}

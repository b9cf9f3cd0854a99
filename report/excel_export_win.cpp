#include "report/excel_export_win.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "base/cp932.h"
#include "base/file_io_win.h"
#include "base/file_names_win.h"
#include "base/message_box_win.h"
#include "base/sha256_hash.h"
#include "base/work_ahead.h"
#include "base/win_handles_win.h"
#include "history/history.h"
#include "history/history_paths.h"
#include "history/open_records.h"
#include "report/excel_dialog_win.h"
#include "report/export_picture_win.h"
#include "report/excel_progress_win.h"
#include "report/workbook_text.h"
#include "settings/settings_files_win.h"

namespace {

class Win32WorkbookSource final : public WorkbookSource {
  public:
    // The files the export hashes, in the order it asks for them.
    explicit Win32WorkbookSource(std::vector<std::string> toHash)
        : paths_(std::move(toHash)),
          planned_(paths_.size()),
          ahead_(paths_.size(), kAhead, [this](std::size_t i) { Hash(paths_[i], planned_[i]); }) {}

    bool read(const std::string& path, std::string& bytes) override {
        // A screen capture is some megabytes; anything near the address
        // space of a 32-bit process is not one.
        return win::ReadWholeFile(path.c_str(), bytes, 256 << 20);
    }
    // One read of the first bytes: the library reads the whole picture
    // itself, twice (its MD5, then the zip). Right after the digest of the
    // same file, its head is the one that digest read.
    bool readHead(const std::string& path, std::string& bytes, std::size_t limit) override {
        if (!hashedPath_.empty() && path == hashedPath_ &&
            (limit <= hashedHead_.size() || hashedHead_.size() < workbook_layout::kPictureHead)) {
            bytes.assign(hashedHead_, 0, std::min(limit, hashedHead_.size()));
            hashedPath_.clear();
            return true;
        }
        bytes.clear();
        win::FileHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            return false;
        bytes.resize(limit);
        DWORD got = 0;
        if (!ReadFile(file.get(), &bytes[0], static_cast<DWORD>(limit), &got, nullptr)) {
            bytes.clear();
            return false;
        }
        bytes.resize(got);
        return true;
    }
    int64_t fileSize(const std::string& path) override {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
            return -1;
        return static_cast<int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    }
    std::string libraryPath(const std::string& path) override { return path; }
    // The files planned are hashed on a second thread ahead of the records
    // that show them; a file asked for out of the plan is hashed here.
    std::string digestHex(const std::string& path) override {
        hashedPath_.clear();
        hashedHead_.clear();
        Hashed hashed;
        if (next_ < paths_.size() && paths_[next_] == path) {
            ahead_.need(next_);
            hashed = std::move(planned_[next_++]);
        } else {
            Hash(path, hashed);
        }
        if (!hashed.ok)
            return {};
        hashedHead_ = std::move(hashed.head);
        hashedPath_ = path;
        return hashed.hex;
    }

  private:
    struct Hashed {
        bool ok = false;
        std::string hex;
        std::string head;  // the first bytes, for the probe that follows
    };
    // Enough to keep both cores busy, few enough heads to hold.
    static constexpr std::size_t kAhead = 16;

    // On either thread. The hash object and the buffer are kept per thread:
    // under Wine a fresh megabyte block for each picture cost more than
    // hashing it. The program's own SHA-256: Wine's CNG took a sixth of its
    // speed.
    static void Hash(const std::string& path, Hashed& out) {
        win::FileHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!file)
            return;
        thread_local Sha256Hash hash;
        thread_local std::vector<unsigned char> piece(1 << 20);
        hash.begin();
        for (;;) {
            DWORD got = 0;
            if (!ReadFile(file.get(), piece.data(), static_cast<DWORD>(piece.size()), &got,
                          nullptr)) {
                out.head.clear();
                return;
            }
            if (got == 0)
                break;
            if (out.head.size() < workbook_layout::kPictureHead)
                out.head.append(
                    reinterpret_cast<const char*>(piece.data()),
                    std::min<std::size_t>(got, workbook_layout::kPictureHead - out.head.size()));
            hash.update(piece.data(), got);
        }
        out.hex = sha256Hex(hash.finish());
        out.ok = true;
    }

    std::string hashedPath_, hashedHead_;  // the head of the file just hashed
    const std::vector<std::string> paths_;
    std::vector<Hashed> planned_;  // by path, once the second thread took it
    std::size_t next_ = 0;         // the next path planned
    WorkAhead ahead_;              // last: its thread reads the rest
};

std::vector<WorkbookRecord> RecordsOfHistory(const ExportDigests* digests,
                                             const RecordCases& cases) {
    std::vector<WorkbookRecord> records;
    records.reserve(static_cast<std::size_t>(history.count));
    ListedFiles listed;
    const PictureFiles files = Win32PictureFiles(listed);
    for (int i = 0; i < history.count; ++i) {
        const HistoryRecord& r = history.records[i];
        char image[kPathSize];
        resolvedImagePath(r, history.folder, image);
        // As the HTML report reads them.
        const ExportPicture picture = exportPicture(image, files);
        char text[kPathSize];
        resolvedTextPath(r.textFile, history.folder, text);
        WorkbookRecord record{r.dateTime, r.comment, picture.path, text};
        if (picture.choice == annotation::ExportChoice::withheld) {
            record.imagePath = image;  // named on the cover, never read
            record.pictureWithheld = true;
        }
        // Only the pinned digests here, on the window's thread that keeps
        // them; the files never pinned are hashed by the export's thread.
        Sha256Digest digest;
        if (digests && digests->pinned && picture.choice == annotation::ExportChoice::original &&
            digests->pinned(record.imagePath, digest))
            record.sha256 = sha256Hex(digest);
        if (static_cast<std::size_t>(i) < cases.size())
            record.testCase = cases[static_cast<std::size_t>(i)];
        records.push_back(std::move(record));
    }
    return records;
}

// The baselines' pictures by the rule of the records' own (export_picture.h):
// the diff picture shows half of each changed pixel of the baseline's.
ExportComparison ShownBaselines(const ExportComparison& comparison) {
    ExportComparison shown = comparison;
    ListedFiles listed;
    const PictureFiles files = Win32PictureFiles(listed);
    for (RecordComparison& r : shown.records)
        if (!r.baselinePicture.empty())
            r.baselinePicture = exportPicture(r.baselinePicture, files).path;
    return shown;
}

// The message's first lines, then the path it is about.
void Tell(HWND owner, const char* text, const std::string& path, UINT icon) {
    ShowMessage(owner, (text + path).c_str(), "エラー", MB_OK | icon);
}

// The folder part of a CP932 path, found with the double-byte rule.
std::string FolderOf(const std::string& path) {
    const char* slash = cp932::findLastChar(path.c_str(), '\\');
    return slash ? path.substr(0, static_cast<std::size_t>(slash - path.c_str())) : ".";
}

constexpr const char* kLocked =
    "出力ファイルを書き換えられません。他のプログラムで開かれているか、読み取り専用です。\r\n"
    "閉じてからもう一度出力してください。\r\n";

}  // namespace

bool ExportExcelWorkbook(HWND owner, const ExcelOptions& options, const ExportDigests& digests,
                         const RecordCases& cases, const ExportComparison& comparison) {
    const std::string& target = options.outputPath;
    if (win::HeldFile(target.c_str())) {
        Tell(owner, kLocked, target, MB_ICONWARNING);
        return false;
    }
    // The temporary file sits in the target's folder, so that the final
    // move is a rename on one volume, and creating it proves the folder
    // can be written.
    char temp[MAX_PATH] = {};
    if (!GetTempFileNameA(FolderOf(target).c_str(), "zlx", 0, temp)) {
        Tell(owner, "出力先フォルダに書き込めません。\r\n", FolderOf(target), MB_ICONERROR);
        return false;
    }

    WorkbookOptions book;
    book.layout = options.layout;
    book.pictureSize = options.pictureSize;
    book.includeDescription = options.includeDescription;
    book.includeDigests = options.includeDigests;
    if (book.includeDigests)
        book.manifestLine = manifestCoverLine(digests);
    book.title = options.title;
    SYSTEMTIME time;
    GetLocalTime(&time);
    char now[kDateTimeSize];
    formatTimestamp(time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond,
                    now);
    book.created = now;
    // Without a folder the library falls back to the C library's tmpfile(),
    // which on Windows creates its files in the root of the current drive:
    // a folder an ordinary user may not write to.
    char tempFolder[MAX_PATH] = {};
    const DWORD tempLength = GetTempPathA(MAX_PATH, tempFolder);
    const char* separator = cp932::findLastChar(tempFolder, '\\');
    if (tempLength > 0 && tempLength < MAX_PATH) {
        book.tempFolder.assign(tempFolder, tempLength);
        // The C library's stat() refuses a folder written with a trailing
        // backslash (a drive's root apart), and the library checks with it.
        if (separator && separator[1] == '\0' && separator > tempFolder && separator[-1] != ':')
            book.tempFolder.pop_back();
    } else {
        book.tempFolder = FolderOf(target);
    }

    // The records are copied before the work starts: the history stays the
    // window's alone.
    // The test-result sheet (with cases or a baseline) shows each picture's
    // digest whatever the options.
    const bool withCases = anyCase(cases) || comparison.active;
    const std::vector<WorkbookRecord> records =
        RecordsOfHistory(options.includeDigests || withCases ? &digests : nullptr,
                         withCases ? cases : RecordCases{});
    const ExportComparison shownComparison =
        comparison.active ? ShownBaselines(comparison) : ExportComparison{};
    // What the writer hashes: the pictures shown whose digest is not pinned,
    // on the sheets or (without them) on the test-result sheet.
    std::vector<std::string> toHash;
    if (options.includeDigests || withCases)
        for (const WorkbookRecord& r : records)
            if (r.sha256.empty() && !r.pictureWithheld)
                toHash.push_back(r.imagePath);
    Win32WorkbookSource source(std::move(toHash));
    ExcelProgress progress;
    WorkbookResult result;
    // libxlsxwriter built with MinGW opens its files with the C library's
    // fopen, which takes the ANSI code page: the CP932 path as it is.
    RunWithProgress(owner, progress, [&] {
        result = writeWorkbook(temp, records, book, source, &progress, shownComparison);
    });
    if (!result.ok) {
        DeleteFileA(temp);
        // A cancel was the user's own choice: nothing more to tell.
        if (!result.cancelled)
            Tell(owner, "Excelファイルを作成できませんでした。\r\n", target, MB_ICONERROR);
        return false;
    }
    if (!MoveFileExA(temp, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temp);
        Tell(owner, kLocked, target, MB_ICONWARNING);
        return false;
    }
    char text[256];
    std::snprintf(text, sizeof text,
                  "Excelファイルの作成処理が終了しました。\r\n出力した記録: %d件\r\n"
                  "問題のあった記録: %d件",
                  result.written, result.problems);
    ShowMessage(owner, text, "確認",
                MB_OK | (result.problems > 0 ? MB_ICONWARNING : MB_ICONINFORMATION));
    return true;
}

void RunExcelExport(HWND owner, const ExportDigests& digests, const RecordCases& cases,
                    const ExportComparison& comparison) {
    Win32SettingsFiles files;
    ExcelOptions options = excel_options::load(files, settingsStore.iniPath);
    options.outputPath = excel_options::defaultOutputPath(history.folder, history.fileName);
    if (RunExcelOptionsDialog(owner, options) != IDOK)
        return;
    excel_options::save(files, settingsStore.iniPath, options);
    ExportExcelWorkbook(owner, options, digests, cases, comparison);
}

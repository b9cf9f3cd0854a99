#include "pack/pack_win.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "base/app_state_win.h"
#include "base/cp932.h"
#include "base/file_io_win.h"
#include "base/message_box_win.h"
#include "base/progress_window_win.h"
#include "base/win_handles_win.h"
#include "history/history.h"
#include "history/history_paths.h"
#include "pack/pack_html.h"
#include "pack/pack_pdf.h"
#include "resources/pack_ids.h"

namespace pack_win {

const char* const kPdfFontName = "ipaexg.ttf";

namespace {

constexpr const char* kCaption = "1ファイルにまとめる";
constexpr DWORD kChunk = 1 << 20;
// A description file is a few lines; the report reads no more either.
constexpr int64_t kDescriptionLimit = 65535;
// As the verify command reads a history's evidence files.
constexpr int64_t kEvidenceLimit = 64 << 20;

bool IsFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string MimeOf(const std::string& path) {
    const cp932::NameParts parts = cp932::nameParts(path.data(), path.size());
    const std::string ext = path.substr(parts.stemEnd);
    const auto is = [&](const char* e) {
        return cp932::equalFoldingAscii(ext.data(), ext.size(), e, std::strlen(e));
    };
    if (is(".jpg") || is(".jpeg"))
        return "image/jpeg";
    if (is(".png"))
        return "image/png";
    if (is(".bmp"))
        return "image/bmp";
    return std::string();
}

std::string NameOf(const std::string& path) {
    const char* part = filePart(path.c_str());
    return part ? part + 1 : path;
}

// "2026-12-10T21:05:00+09:00", the local time with its offset.
std::string Now() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    TIME_ZONE_INFORMATION zone;
    const DWORD kind = GetTimeZoneInformation(&zone);
    long bias = zone.Bias + (kind == TIME_ZONE_ID_DAYLIGHT ? zone.DaylightBias : 0);
    const long offset = -bias;
    char text[40];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u%c%02ld:%02ld", t.wYear,
                  t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, offset < 0 ? '-' : '+',
                  (offset < 0 ? -offset : offset) / 60, (offset < 0 ? -offset : offset) % 60);
    return text;
}

void AddAttachment(pack::PackInput& input, const std::string& path, const char* mime) {
    std::string bytes;
    if (!path.empty() && IsFile(path) && win::ReadWholeFile(path.c_str(), bytes, kEvidenceLimit))
        input.attachments.push_back({NameOf(path), mime, std::move(bytes)});
}

pack::PackRecord RecordOf(int i, const PackSources& sources, const PictureFiles& files) {
    const HistoryRecord& h = history.records[i];
    pack::PackRecord r;
    r.number = i + 1;
    r.dateTime = h.dateTime;
    r.heading = h.comment;
    char image[kPathSize], text[kPathSize];
    resolvedImagePath(h, history.folder, image);
    resolvedTextPath(h.textFile, history.folder, text);
    if (text[0] != '\0' && win::ReadWholeFile(text, r.description, kDescriptionLimit))
        r.description.resize(std::strlen(r.description.c_str()));  // cut at a NUL, as the report does
    const ExportPicture picture = exportPicture(image, files);
    r.picture.withheld = picture.choice == annotation::ExportChoice::withheld;
    r.picture.path = picture.path;
    r.picture.name = NameOf(r.picture.withheld ? std::string(image) : picture.path);
    r.picture.mime = MimeOf(r.picture.path);
    // A record of another kind of file (a text record) has no picture to show.
    if (r.picture.mime.empty())
        r.picture.path.clear();
    if (!r.picture.withheld)
        r.picture.sha256Hex = exportDigestHex(sources.digests, picture);
    if (static_cast<std::size_t>(i) < sources.cases.size())
        r.testCase = sources.cases[static_cast<std::size_t>(i)];
    return r;
}

pack::PackInput Gather(const PackSources& sources) {
    pack::PackInput input;
    input.title = NameOf(history.filePath[0] ? history.filePath : "新規");
    input.author = sources.author;
    input.created = Now();
    PictureFiles files;
    files.exists = IsFile;
    for (int i = 0; i < history.count; ++i)
        input.records.push_back(RecordOf(i, sources, files));
    if (!history.untitled)
        AddAttachment(input, history.filePath, "text/csv");
    AddAttachment(input, sources.manifestPath, "text/plain");
    if (!input.attachments.empty() && input.attachments.back().name == NameOf(sources.manifestPath))
        input.manifestSha256Hex = sha256Hex(sources.digests.manifest);
    AddAttachment(input, sources.logPath, "text/plain");
    return input;
}

// A picture in pieces; false when it cannot be opened or read to its end.
bool ReadPicture(const std::string& path,
                 const std::function<void(const char*, std::size_t)>& chunk,
                 std::vector<char>& piece) {
    if (path.empty())
        return false;
    win::FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file || !IsFile(path))
        return false;
    piece.resize(kChunk);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), piece.data(), kChunk, &got, nullptr))
            return false;
        if (got == 0)
            return true;
        chunk(piece.data(), got);
    }
}

std::string FolderOf(const std::string& path) {
    const char* part = filePart(path.c_str());
    return part ? path.substr(0, static_cast<std::size_t>(part - path.c_str())) : ".";
}

std::string FontPath() {
    char exe[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, exe, MAX_PATH);
    return FolderOf(std::string(exe, length < MAX_PATH ? length : 0)) + "\\" + kPdfFontName;
}

void Tell(HWND owner, const std::string& text, UINT icon) {
    ShowMessage(owner, text.c_str(), kCaption, MB_OK | icon);
}

struct Progress {
    std::atomic<int> done{0}, total{0};
    std::atomic<bool> cancel{false};
};


constexpr const char* kLocked =
    "出力ファイルを書き換えられません。他のプログラムで開かれているか、読み取り専用です。\r\n";

// The pack into the temporary file, on the progress window's worker thread.
pack::PackResult WriteTemp(const char* temp, const pack::PackInput& input,
                           const pack::PackOptions& options, Progress& progress) {
    pack::PackResult result;
    win::FileHandle file(CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        result.message = "一時ファイルを開けません。";
        return result;
    }
    std::vector<char> piece;
    const pack::PackReader read = [&piece](const std::string& path, const auto& chunk) {
        return ReadPicture(path, chunk, piece);
    };
    const pack::PackSink sink = [&file](const char* data, std::size_t size) {
        return win::WriteAll(file.get(), data, size);
    };
    const pack::PackProgress step = [&progress](int done, int) {
        progress.done = done;
        return !progress.cancel;
    };
    result = options.format == pack::Format::pdf
                 ? pack::writePackPdf(input, options, FontPath(), read, sink, step)
                 : pack::writePackHtml(input, options, read, sink, step);
    if (result.ok && !FlushFileBuffers(file.get())) {
        result.ok = false;
        result.message = "ファイルに書き込めません。ディスクの空きを確かめてください。";
    }
    return result;
}

}  // namespace

void RunPackProgress(HWND owner, std::atomic<bool>& cancel,
                     const std::function<std::string(int& position)>& describe,
                     const std::function<void()>& work) {
    win::ProgressView view;
    view.dialog = IDD_PACK_PROGRESS;
    view.text = IDC_PACK_PROGRESS_TEXT;
    view.bar = IDC_PACK_PROGRESS_BAR;
    view.cancel = &cancel;
    view.describe = describe;
    win::RunWithProgress(owner, view, work);
}

bool WritePack(HWND owner, const PackSettings& settings, const PackSources& sources,
               int* unreadable) {
    const std::string& target = settings.target;
    if (win::HeldFile(target.c_str())) {
        Tell(owner, kLocked + target, MB_ICONWARNING);
        return false;
    }
    char temp[MAX_PATH] = {};
    DWORD error = 0;
    if (!win::TempFileBeside(target.c_str(), "zpk", temp, &error)) {
        Tell(owner, "出力先フォルダに書き込めません。\r\n" + FolderOf(target), MB_ICONERROR);
        return false;
    }
    // The records are copied before the work starts: the history stays the window's alone.
    const pack::PackInput input = Gather(sources);
    pack::PackOptions options;
    options.format = settings.pdf ? pack::Format::pdf : pack::Format::html;
    options.coverPage = settings.coverPage;
    options.itemNumbers = settings.itemNumbers;
    options.showDigests = settings.showDigests;
    options.caseTable = settings.caseTable;
    options.recordsPerPage = settings.recordsPerPage;
    Progress progress;
    progress.total = static_cast<int>(input.records.size());
    pack::PackResult result;
    const auto describe = [&progress](int& position) {
        const int done = progress.done, total = progress.total;
        char text[128];
        if (progress.cancel)
            std::snprintf(text, sizeof text, "中止しています...");
        else
            std::snprintf(text, sizeof text, "記録をまとめています: %d / %d", done, total);
        position = total > 0 ? done * win::kProgressRange / total : 0;
        return std::string(text);
    };
    RunPackProgress(owner, progress.cancel, describe,
                    [&] { result = WriteTemp(temp, input, options, progress); });
    if (!result.ok) {
        DeleteFileA(temp);
        // A cancel was the user's own choice: nothing more to tell.
        if (!result.cancelled)
            Tell(owner, "1ファイルにまとめられませんでした。\r\n" + result.message + "\r\n" + target,
                 MB_ICONERROR);
        return false;
    }
    if (!win::MoveOver(temp, target.c_str(), &error)) {
        Tell(owner, kLocked + target, MB_ICONWARNING);
        return false;
    }
    if (unreadable)
        *unreadable = result.unreadable;
    char text[kPathSize + 160];
    std::snprintf(text, sizeof text,
                  "1ファイルにまとめました。\r\n%s\r\n記録: %d件\r\n読めない画像: %d件",
                  target.c_str(), progress.total.load(), result.unreadable);
    Tell(owner, text, result.unreadable > 0 ? MB_ICONWARNING : MB_ICONINFORMATION);
    return true;
}

}  // namespace pack_win

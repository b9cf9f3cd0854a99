#include "report/report_generator_win.h"

#include <algorithm>
#include <string>

#include "base/message_box_win.h"
#include "history/history.h"
#include "settings/settings_store.h"

namespace {

constexpr DWORD kTextFileLimit = 65535;

bool ReadTextFile(const std::string& path, std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bytes.assign(kTextFileLimit, '\0');
    DWORD total = 0;
    DWORD got = 0;
    while (total < kTextFileLimit &&
           ReadFile(file, &bytes[total], kTextFileLimit - total, &got, nullptr) && got > 0)
        total += got;
    CloseHandle(file);
    bytes.resize(total);
    return true;
}

bool WriteAll(HANDLE file, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

bool IsFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

enum class Outcome { Written, NotOpened, NotWritten };

// The report goes to a file of its own in the output folder and replaces
// the old one only once every byte is on disk: a full disk or a lost share
// leaves no half report behind, and an existing report stays whole.
Outcome WriteReplacing(const std::string& path, const char* folder, const std::string& html) {
    char temp[MAX_PATH] = {};
    if (!GetTempFileNameA(folder, "zcp", 0, temp))
        return Outcome::NotOpened;
    HANDLE file = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DeleteFileA(temp);
        return Outcome::NotOpened;
    }
    const bool written = WriteAll(file, html) && FlushFileBuffers(file);
    CloseHandle(file);
    if (!written) {
        DeleteFileA(temp);
        return Outcome::NotWritten;
    }
    if (!MoveFileExA(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temp);
        return Outcome::NotOpened;
    }
    return Outcome::Written;
}

}  // namespace

bool WriteHtmlReport(HWND owner, const ReportJob& job) {
    const std::string path = reportFilePath(job);
    if (IsFile(path)) {
        const std::string question = "同じ名前のファイルがあります。上書きしますか？\r\n" + path;
        if (ShowMessage(owner, question.c_str(), "確認", MB_ICONWARNING | MB_OKCANCEL) != IDOK)
            return true;
    }

    const ReportOptions options = reportOptionsFromSettings(settingsStore.settings, job);
    const ReportText report =
        buildReport(history.records, history.count, history.folder, options, ReadTextFile);
    switch (WriteReplacing(path, job.folder, report.html)) {
        case Outcome::NotOpened:
            // A missing folder, or an old report another program holds open.
            ShowMessage(owner, "ファイルのオープンに失敗しました", path.c_str(),
                        MB_ICONERROR | MB_OK);
            return false;
        case Outcome::NotWritten:
            // A report cut short by a full disk is no report; the completion
            // message would claim otherwise.
            ShowMessage(owner, "ファイルの書き込みに失敗しました", path.c_str(),
                        MB_ICONERROR | MB_OK);
            return false;
        case Outcome::Written:
            break;
    }
    // A copy that fails leaves the report pointing at a missing picture,
    // which the reader sees anyway; nothing more to tell.
    for (const ReportCopy& copy : report.copies)
        CopyFileA(copy.source.c_str(), copy.destination.c_str(), FALSE);
    return true;
}

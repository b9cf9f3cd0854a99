#include "report/report_generator_win.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "base/file_io_win.h"
#include "base/file_names_win.h"
#include "base/message_box_win.h"
#include "base/sha256_pipe.h"
#include "base/sha256_win.h"
#include "base/win_handles_win.h"
#include "history/history.h"
#include "report/export_picture_win.h"
#include "settings/settings_store.h"

namespace {

constexpr DWORD kTextFileLimit = 65535;

// A description's first kTextFileLimit bytes: the report shows no more.
bool ReadTextFile(const std::string& path, std::string& bytes) {
    const win::FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    bytes.assign(kTextFileLimit, '\0');
    DWORD total = 0;
    DWORD got = 0;
    while (total < kTextFileLimit &&
           ReadFile(file.get(), &bytes[total], kTextFileLimit - total, &got, nullptr) && got > 0)
        total += got;
    bytes.resize(total);
    return true;
}

bool IsFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

win::FileHandle OpenToRead(const std::string& path) {
    return win::FileHandle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

bool SameBytes(const std::string& a, const std::string& b) {
    const win::FileHandle first = OpenToRead(a);
    const win::FileHandle second = OpenToRead(b);
    LARGE_INTEGER firstSize{}, secondSize{};
    if (!first || !second || !GetFileSizeEx(first.get(), &firstSize) ||
        !GetFileSizeEx(second.get(), &secondSize) || firstSize.QuadPart != secondSize.QuadPart)
        return false;
    std::string one(1 << 16, '\0'), other(1 << 16, '\0');
    for (;;) {
        DWORD gotOne = 0, gotOther = 0;
        if (!ReadFile(first.get(), one.data(), static_cast<DWORD>(one.size()), &gotOne, nullptr) ||
            !ReadFile(second.get(), other.data(), gotOne, &gotOther, nullptr) || gotOne != gotOther)
            return false;
        if (gotOne == 0)
            return true;
        if (std::memcmp(one.data(), other.data(), gotOne) != 0)
            return false;
    }
}

// A file of the output folder that the copy would replace is somebody's:
// only one that already holds the record's bytes (the last report's copy)
// is free to take, and then there is nothing to copy. A name the folder's
// listing does not hold is free without asking for it. `same` compares the
// file there with what would go there.
template <typename Same>
ReportTarget Probe(ListedFiles& listed, const std::string& destination, Same same) {
    if (!listed.mayBeTaken(destination))
        return ReportTarget::free;
    const DWORD attributes = GetFileAttributesA(destination.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReportTarget::free
                                                                              : ReportTarget::taken;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return ReportTarget::taken;
    return same() ? ReportTarget::sameBytes : ReportTarget::taken;
}

ReportTarget ProbeTarget(ListedFiles& listed, const std::string& source,
                         const std::string& destination) {
    return Probe(listed, destination, [&] { return SameBytes(source, destination); });
}

// The same for a file the report makes: an earlier report's diff picture
// holds the bytes this one would write.
ReportTarget ProbeBytes(ListedFiles& listed, const std::string& bytes,
                        const std::string& destination) {
    return Probe(listed, destination, [&] {
        std::string there;
        return win::ReadWholeFile(destination.c_str(), there, static_cast<int64_t>(bytes.size())) &&
               there == bytes;
    });
}

bool ReadPicture(const std::string& path, std::string& bytes) {
    // As the workbook reads a picture: nothing near a 32-bit address space.
    return win::ReadWholeFile(path.c_str(), bytes, 256 << 20);
}

// One copy made as CopyFileA makes it (the source's attributes and last
// write time), its bytes hashed on the pipe's thread while they are written
// when `pipe` is given, else read through `block`. Under Wine CopyFileA's
// own copies took a fifth longer than these. A copy that fails leaves no
// partial file and no digest.
bool CopyThrough(Sha256Pipe* pipe, std::vector<unsigned char>& block, const ReportCopy& copy,
                 Sha256Digest* digest, bool* done) {
    const win::FileHandle from(CreateFileA(copy.source.c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    // The basic information alone: Wine answers GetFileInformationByHandle
    // with the volume's too, which cost 1000 copies a quarter second.
    FILE_BASIC_INFO info{};
    if (!from || !GetFileInformationByHandleEx(from.get(), FileBasicInfo, &info, sizeof info))
        return false;
    constexpr DWORD kKept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                            FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
    const DWORD attributes = info.FileAttributes & kKept;
    FILETIME written;
    written.dwLowDateTime = static_cast<DWORD>(info.LastWriteTime.QuadPart);
    written.dwHighDateTime = static_cast<DWORD>(info.LastWriteTime.QuadPart >> 32);
    win::FileHandle to(CreateFileA(copy.destination.c_str(), GENERIC_WRITE, 0, nullptr,
                                   CREATE_ALWAYS, attributes ? attributes : FILE_ATTRIBUTE_NORMAL,
                                   nullptr));
    if (!to)
        return false;
    bool ok = true;
    for (;;) {
        unsigned char* piece = pipe ? pipe->take() : block.data();
        const std::size_t size = pipe ? pipe->blockSize() : block.size();
        DWORD got = 0, put = 0;
        if (!ReadFile(from.get(), piece, static_cast<DWORD>(size), &got, nullptr)) {
            ok = false;
            break;
        }
        if (got == 0)
            break;
        if (pipe)
            pipe->add(piece, got);
        if (!WriteFile(to.get(), piece, got, &put, nullptr) || put != got) {
            ok = false;
            break;
        }
    }
    ok = ok && SetFileTime(to.get(), nullptr, nullptr, &written);
    if (pipe && ok)
        pipe->finish(digest, done);
    else if (pipe)
        pipe->drop();
    to.reset();
    if (!ok)
        DeleteFileA(copy.destination.c_str());
    return ok;
}

// The report's copies, made before its text so that each picture is read
// once: a digest the report shows and no manifest pins comes from the bytes
// copied. If the report then cannot be written, the copies go again, and the
// folder is left as an unwritten report always left it.
class CopiesFirst {
  public:
    CopiesFirst(const ExportDigests& digests, bool wantDigests)
        : digests_(digests), wantDigests_(wantDigests) {}

    void make(const std::vector<ReportCopy>& copies) {
        if (copies.empty())
            return;
        // Blocks that stay in the processor's cache between the read, the
        // hash and the write: with 1 MB ones the copies alone took a tenth
        // longer than CopyFileA's.
        constexpr std::size_t kBlock = 256 << 10;
        Sha256Pipe pipe(kBlock, 4);
        std::vector<unsigned char> block(kBlock);
        taken_.resize(copies.size());
        for (std::size_t i = 0; i < copies.size(); ++i) {
            Sha256Digest pinned;
            const bool hash = wantDigests_ && !hashed_.count(copies[i].source) &&
                              !(digests_.pinned && digests_.pinned(copies[i].source, pinned));
            Taken& t = taken_[i];
            const ReportCopy& copy = copies[i];
            if (!CopyThrough(hash ? &pipe : nullptr, block, copy, &t.digest, &t.done))
                continue;
            made_.push_back(copies[i].destination);
            if (hash)
                hashed_.emplace(copies[i].source, i);
        }
        pipe.wait();
    }

    // The digest of a file copied, else of the file as it is now.
    bool digestOf(const std::string& path, Sha256Digest& out) const {
        const auto found = hashed_.find(path);
        if (found != hashed_.end() && taken_[found->second].done) {
            out = taken_[found->second].digest;
            return true;
        }
        return digests_.ofFile ? digests_.ofFile(path, out) : win::sha256File(path, out);
    }

    void undo() const {
        for (const std::string& made : made_)
            DeleteFileA(made.c_str());
    }

  private:
    struct Taken {
        Sha256Digest digest{};
        bool done = false;
    };
    const ExportDigests& digests_;
    const bool wantDigests_;
    std::vector<Taken> taken_;                  // by copy
    std::map<std::string, std::size_t> hashed_;  // source -> its copy
    std::vector<std::string> made_;
};

}  // namespace

bool WriteHtmlReport(HWND owner, const ReportJob& job, const ExportDigests& digests,
                     const RecordCases& cases, const ExportComparison& comparison) {
    const std::string path = reportFilePath(job);
    if (IsFile(path)) {
        const std::string question = "同じ名前のファイルがあります。上書きしますか？\r\n" + path;
        if (ShowMessage(owner, question.c_str(), "確認", MB_ICONWARNING | MB_OKCANCEL) != IDOK)
            return true;
    }

    const ReportOptions options = reportOptionsFromSettings(settingsStore.settings, job);
    CopiesFirst copies(digests, job.showDigests || anyCase(cases));
    ExportDigests shown = digests;
    shown.ofFile = [&copies](const std::string& file, Sha256Digest& out) {
        return copies.digestOf(file, out);
    };
    // Both the pictures' folders and the output folder are listed once.
    ListedFiles listed;
    const ReportFolder folder{win::FileNameKey,
                              [&listed](const std::string& source, const std::string& destination) {
                                  return ProbeTarget(listed, source, destination);
                              },
                              ReadPicture,
                              [&listed](const std::string& bytes, const std::string& destination) {
                                  return ProbeBytes(listed, bytes, destination);
                              }};
    const ReportText report = buildReport(history.records, history.count, history.folder, options,
                                          ReadTextFile, folder, Win32PictureFiles(listed), shown,
                                          cases, comparison, [&copies](const std::vector<ReportCopy>& planned) {
                                              copies.make(planned);
                                          });
    // The report goes to a file of its own in the output folder and
    // replaces the old one only once every byte is on disk: a full disk or a
    // lost share leaves no half report behind, and an existing report stays
    // whole.
    DWORD error = 0;
    switch (win::ReplaceContents(path.c_str(), "zcp", report.html, &error)) {
        case win::ReplaceStep::temporaryFile:
        case win::ReplaceStep::move:
            copies.undo();
            // A missing folder, or an old report another program holds open.
            ShowMessage(owner, "ファイルのオープンに失敗しました", path.c_str(),
                        MB_ICONERROR | MB_OK);
            return false;
        case win::ReplaceStep::write:
            copies.undo();
            // A report cut short by a full disk is no report; the completion
            // message would claim otherwise.
            ShowMessage(owner, "ファイルの書き込みに失敗しました", path.c_str(),
                        MB_ICONERROR | MB_OK);
            return false;
        case win::ReplaceStep::done:
            break;
    }
    // A copy that failed leaves the report pointing at a missing picture,
    // which the reader sees anyway; nothing more to tell.
    for (const ReportFile& file : report.files)
        win::ReplaceContents(file.destination.c_str(), "zcp", file.bytes, &error);
    return true;
}

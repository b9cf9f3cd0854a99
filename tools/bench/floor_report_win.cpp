// Floor of the HTML report: the least a Win32 program does to write a
// report's bytes and copy its pictures next to it. The bytes are read
// before the clock starts (Zelcap makes them from the history); then one
// CreateFile and WriteFile for the report, and one CopyFileA a picture into
// the output folder, over whatever is there, as the report's copies go.
// A report that shows digests no manifest pins must read every picture for
// them: `hash` makes each copy one pass that reads a piece, hashes it and
// writes it, on one thread, as the least a program does to know them.
//   floor_report.exe REPORT.htm OUT_FOLDER PATTERN [hash]
//       writes REPORT.htm's bytes to OUT_FOLDER\REPORT.htm and copies every
//       file PATTERN (a folder and a wildcard: C:\pictures\*.jpg) finds
//       into OUT_FOLDER; prints the time from the first file listed to the
//       last copy made
#include <windows.h>

#include <string>
#include <vector>

#include "base/sha256_hash.h"
#include "base/win_handles_win.h"
#include "tools/bench/bench_support_win.h"

namespace {

bool ReadAll(const char* path, std::string& bytes) {
    const win::FileHandle in(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size;
    if (!in || !GetFileSizeEx(in.get(), &size))
        return false;
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    return bytes.empty() || (ReadFile(in.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &got,
                                      nullptr) &&
                             got == bytes.size());
}

// CopyFileA's work with the digest taken on the way, in its 64 KB pieces.
bool CopyHashed(const std::string& from, const std::string& to, Sha256Hash& hash,
                std::vector<unsigned char>& piece, Sha256Digest& digest) {
    const win::FileHandle in(CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    const win::FileHandle out(CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!in || !out)
        return false;
    for (;;) {
        DWORD got = 0, put = 0;
        if (!ReadFile(in.get(), piece.data(), static_cast<DWORD>(piece.size()), &got, nullptr))
            return false;
        if (got == 0)
            break;
        hash.update(piece.data(), got);
        if (!WriteFile(out.get(), piece.data(), got, &put, nullptr) || put != got)
            return false;
    }
    digest = hash.finish();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4)
        return 2;
    std::string html;
    if (!ReadAll(argv[1], html))
        return 1;
    const std::string report = argv[1];
    const size_t cut = report.find_last_of("\\/");
    const std::string out = std::string(argv[2]) + "\\";
    const std::string pattern = argv[3];
    const size_t slash = pattern.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? "" : pattern.substr(0, slash + 1);

    const double start = bench::NowMs();
    const std::vector<std::string> names = bench::FilesOf(pattern);
    win::FileHandle file(CreateFileA(
        (out + (cut == std::string::npos ? report : report.substr(cut + 1))).c_str(),
        GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || names.empty())
        return 1;
    DWORD done = 0;
    bool ok = WriteFile(file.get(), html.data(), static_cast<DWORD>(html.size()), &done,
                        nullptr) &&
                   done == html.size();
    ok = CloseHandle(file.release()) && ok;
    const bool hashed = argc > 4 && std::string(argv[4]) == "hash";
    Sha256Hash hash;
    std::vector<unsigned char> piece(64 * 1024);
    std::vector<Sha256Digest> digests(names.size());
    for (size_t i = 0; ok && i < names.size(); ++i)
        ok = hashed ? CopyHashed(folder + names[i], out + names[i], hash, piece, digests[i])
                    : CopyFileA((folder + names[i]).c_str(), (out + names[i]).c_str(), FALSE) != 0;
    if (!ok)
        return 1;
    bench::Report("floor report", bench::NowMs() - start);
    return 0;
}

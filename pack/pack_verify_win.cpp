#include "pack/pack_verify_win.h"

#include <commdlg.h>

#include <atomic>
#include <cstdio>
#include <vector>

#include "base/cp932.h"
#include "base/message_box_win.h"
#include "base/progress_window_win.h"
#include "base/sha256_win.h"
#include "base/win_handles_win.h"
#include "pack/pack_verify.h"
#include "pack/pdf_verify.h"
#include "pack/pack_win.h"

namespace pack_win {

namespace {

constexpr DWORD kPiece = 1 << 20;

struct Progress {
    std::atomic<long long> done{0}, total{0};
    std::atomic<bool> cancel{false};
};

void hashOf(pack::StreamDigest& digest, win::Sha256& hash) {
    digest = {[&hash] { hash.begin(); },
              [&hash](const void* data, std::size_t n) { hash.update(data, n); },
              [&hash] {
                  Sha256Digest out{};
                  hash.finish(out);
                  return out;
              }};
}

// A PDF pack: by its name, or by its first bytes whatever its name.
bool IsPdf(HANDLE file, const std::string& path) {
    const std::size_t n = path.size();
    if (n >= 4 && cp932::equalFoldingAscii(path.data() + n - 4, 4, ".pdf", 4))
        return true;
    char head[5] = {};
    DWORD got = 0;
    const bool read = ReadFile(file, head, sizeof head, &got, nullptr) != 0;
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    return read && pack::looksLikePdf(head, got);
}

// The PDF read where the check asks, the progress by the pictures' bytes.
bool CheckPdf(HANDLE file, Progress& progress, VerifyResult& result) {
    bool read = true;
    const pack::PdfReadAt readAt = [&](uint64_t offset, std::size_t size, std::string& out) {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(offset);
        out.resize(size);
        DWORD got = 0;
        if (progress.cancel || !SetFilePointerEx(file, at, nullptr, FILE_BEGIN) ||
            !ReadFile(file, &out[0], static_cast<DWORD>(size), &got, nullptr)) {
            read = false;
            return false;
        }
        out.resize(got);
        return true;
    };
    win::Sha256 hash;
    pack::StreamDigest digest;
    hashOf(digest, hash);
    const pack::PackContents contents = pack::readPackPdf(
        static_cast<uint64_t>(progress.total), readAt, digest,
        [&progress](uint64_t done) { progress.done = static_cast<long long>(done); });
    result = pack::verifyPack(contents, win::sha256OrZero);
    return read;
}

// The HTML pack read from start to end, each picture hashed as it streams past.
bool CheckHtml(HANDLE file, Progress& progress, VerifyResult& result) {
    win::Sha256 hash;
    pack::StreamDigest digest;
    hashOf(digest, hash);
    pack::PackScanner scanner(std::move(digest));
    std::vector<char> piece(kPiece);
    bool read = true;
    for (DWORD got = 0; !progress.cancel;) {
        read = ReadFile(file, piece.data(), kPiece, &got, nullptr) != 0;
        if (!read || got == 0)
            break;
        scanner.feed(piece.data(), got);
        progress.done += got;
    }
    result = pack::verifyPack(scanner.finish(), win::sha256OrZero);
    return read;
}

}  // namespace

bool ChoosePackToVerify(HWND owner, std::string& path) {
    char chosen[MAX_PATH] = {};
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter =
        "1ファイルの証跡 (*.html;*.pdf)\0*.html;*.htm;*.pdf\0すべてのファイル (*.*)\0*.*\0";
    ofn.lpstrFile = chosen;
    ofn.nMaxFile = sizeof chosen;
    ofn.lpstrTitle = "検証する1ファイル";
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&ofn))
        return false;
    path = chosen;
    return true;
}

bool VerifyPackFile(HWND owner, const std::string& path, VerifyResult& result, std::string& text) {
    win::FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size)) {
        ShowMessage(owner, ("1ファイルの証跡を読めません\r\n" + path).c_str(), "エラー",
                    MB_ICONERROR | MB_OK);
        return false;
    }
    Progress progress;
    progress.total = size.QuadPart;
    bool read = true;
    const auto describe = [&progress](int& position) {
        const long long done = progress.done, total = progress.total;
        position = total > 0 ? static_cast<int>(done * win::kProgressRange / total) : 0;
        return std::string(progress.cancel ? "中止しています..."
                                           : "1ファイルの証跡を確かめています...");
    };
    const bool pdf = IsPdf(file.get(), path);
    RunPackProgress(owner, progress.cancel, describe, [&] {
        read =
            pdf ? CheckPdf(file.get(), progress, result) : CheckHtml(file.get(), progress, result);
    });
    if (progress.cancel)
        return false;
    if (!read) {
        ShowMessage(owner, ("1ファイルの証跡を読めません\r\n" + path).c_str(), "エラー",
                    MB_ICONERROR | MB_OK);
        return false;
    }
    text = verifyReportText(result);
    return true;
}

}  // namespace pack_win

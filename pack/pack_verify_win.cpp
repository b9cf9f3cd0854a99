#include "pack/pack_verify_win.h"

#include <commdlg.h>

#include <atomic>
#include <cstdio>
#include <vector>

#include "base/message_box_win.h"
#include "base/progress_window_win.h"
#include "base/sha256_win.h"
#include "base/win_handles_win.h"
#include "pack/pack_verify.h"
#include "pack/pack_win.h"

namespace pack_win {

namespace {

constexpr DWORD kPiece = 1 << 20;

struct Progress {
    std::atomic<long long> done{0}, total{0};
    std::atomic<bool> cancel{false};
};


}  // namespace

bool ChoosePackToVerify(HWND owner, std::string& path) {
    char chosen[MAX_PATH] = {};
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = "1ファイルの証跡 (*.html)\0*.html;*.htm\0すべてのファイル (*.*)\0*.*\0";
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
    RunPackProgress(owner, progress.cancel, describe, [&] {
        win::Sha256 hash;
        pack::StreamDigest digest{[&hash] { hash.begin(); },
                                  [&hash](const void* data, std::size_t n) { hash.update(data, n); },
                                  [&hash] {
                                      Sha256Digest out{};
                                      hash.finish(out);
                                      return out;
                                  }};
        pack::PackScanner scanner(std::move(digest));
        std::vector<char> piece(kPiece);
        for (DWORD got = 0; !progress.cancel;) {
            read = ReadFile(file.get(), piece.data(), kPiece, &got, nullptr) != 0;
            if (!read || got == 0)
                break;
            scanner.feed(piece.data(), got);
            progress.done += got;
        }
        result = pack::verifyPack(scanner.finish(), win::sha256OrZero);
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

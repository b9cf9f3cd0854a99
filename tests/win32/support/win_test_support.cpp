#include "tests/win32/support/win_test_support.h"

#include <cstdio>
#include <deque>

#include <gtest/gtest.h>

#include "base/bmp_format.h"
#include "base/win_handles_win.h"

namespace testsupport {

COLORREF ShownPixel(HWND window, int x, int y, COLORREF expected) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    POINT at{x, y};
    ClientToScreen(window, &at);
    COLORREF seen = CLR_INVALID;
    const DWORD start = GetTickCount();
    do {
        PumpPending();
        GdiFlush();
        HDC screen = GetDC(nullptr);
        seen = GetPixel(screen, at.x, at.y);
        ReleaseDC(nullptr, screen);
        if (seen == expected)
            break;
        Sleep(20);
    } while (GetTickCount() - start < 3000);
    return seen;
}

std::string SolidBmp(int w, int h, uint8_t b, uint8_t g, uint8_t r) {
    uint8_t headers[kBmpHeaderSize];
    makeBmpHeaders(w, h, headers);
    std::string file(reinterpret_cast<const char*>(headers), kBmpHeaderSize);
    const uint32_t stride = dibStride(w);
    for (int y = 0; y < h; ++y) {
        std::string row(stride, '\0');
        for (int x = 0; x < w; ++x) {
            row[3 * x] = static_cast<char>(b);
            row[3 * x + 1] = static_cast<char>(g);
            row[3 * x + 2] = static_cast<char>(r);
        }
        file += row;
    }
    return file;
}

namespace {
DialogAnswerer* activeAnswerer = nullptr;
std::deque<HWND> dialogsToAnswer;
}  // namespace

std::string ReadFileBytes(const std::string& path, bool* exists) {
    std::string bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (exists)
        *exists = f != nullptr;
    if (!f)
        return bytes;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.append(buffer, n);
    std::fclose(f);
    return bytes;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> FilesMatching(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    win::FindHandle search(FindFirstFileA(pattern.c_str(), &found));
    if (!search)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileA(search.get(), &found));
    return names;
}

std::string GreyBmp(int width, int height, char grey) {
    const int stride = (width * 3 + 3) / 4 * 4;
    std::string b(54 + static_cast<std::size_t>(stride) * height, grey);
    const auto put = [&](int at, uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            b[static_cast<std::size_t>(at + i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    b[0] = 'B';
    b[1] = 'M';
    put(2, static_cast<uint32_t>(b.size()), 4);
    put(6, 0, 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, static_cast<uint32_t>(width), 4);
    put(22, static_cast<uint32_t>(height), 4);
    put(26, 1, 2);
    put(28, 24, 2);
    put(30, 0, 4);
    put(34, static_cast<uint32_t>(stride * height), 4);
    put(38, 0, 16);
    return b;
}

std::string CurrentDirectory() {
    char dir[MAX_PATH];
    const DWORD n = GetCurrentDirectoryA(MAX_PATH, dir);
    return std::string(dir, n < MAX_PATH ? n : 0);
}

ScopedWorkFolder::ScopedWorkFolder() : previous_(CurrentDirectory()) {
    static int serial = 0;
    char name[64];
    std::snprintf(name, sizeof name, "case%03d", ++serial);
    path_ = previous_ + "\\" + name;
    CreateDirectoryA(path_.c_str(), nullptr);
    SetCurrentDirectoryA(path_.c_str());
}

ScopedWorkFolder::~ScopedWorkFolder() {
    SetCurrentDirectoryA(previous_.c_str());
}

void PumpPending() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs)
            return done();
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
    return true;
}

void PressButton(HWND dialog, int buttonId) {
    HWND button = GetDlgItem(dialog, buttonId);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

DialogAnswerer::DialogAnswerer() {
    InstallDialogGuard();
    activeAnswerer = this;
}

DialogAnswerer::~DialogAnswerer() {
    activeAnswerer = nullptr;
    dialogsToAnswer.clear();
}

void InstallDialogGuard() {
    static HHOOK hook = nullptr;
    if (!hook)
        hook = SetWindowsHookExA(WH_CBT, DialogAnswerer::Hook, nullptr, GetCurrentThreadId());
}

void DialogAnswerer::add(Answer answer) {
    answers_.push_back(std::move(answer));
}

void DialogAnswerer::press(int buttonId) {
    add([buttonId](HWND dialog) { PressButton(dialog, buttonId); });
}

// The hook sees the dialog before it is ready; the answer is given from a
// timer instead, which the dialog's own modal loop dispatches.
LRESULT CALLBACK DialogAnswerer::Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND window = reinterpret_cast<HWND>(wParam);
        char className[32] = {};
        GetClassNameA(window, className, sizeof className);
        if (std::string(className) == "#32770") {
            dialogsToAnswer.push_back(window);
            SetTimer(nullptr, 0, 50, Fire);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

VOID CALLBACK DialogAnswerer::Fire(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (dialogsToAnswer.empty())
        return;
    HWND dialog = dialogsToAnswer.front();
    dialogsToAnswer.pop_front();
    if (!IsWindow(dialog))
        return;
    if (activeAnswerer) {
        activeAnswerer->onDialog(dialog);
        return;
    }
    // Nobody expected it: a modal window left open would hang the test
    // until its timeout.
    char caption[256] = {};
    GetWindowTextA(dialog, caption, sizeof caption);
    ADD_FAILURE() << "unexpected dialog: " << caption;
    PressButton(dialog, IDCANCEL);
}

void DialogAnswerer::onDialog(HWND dialog) {
    SeenDialog seen;
    char buffer[2048] = {};
    GetWindowTextA(dialog, buffer, sizeof buffer);
    seen.caption = buffer;
    for (const std::string& caption : running_)
        if (seen.caption == caption)
            return;
    buffer[0] = '\0';
    GetDlgItemTextA(dialog, 0xFFFF, buffer, sizeof buffer);
    seen.text = buffer;
    seen_.push_back(seen);
    if (next_ < answers_.size()) {
        answers_[next_++](dialog);
    } else {
        ++unexpected_;
        PressButton(dialog, IDCANCEL);
    }
}

}  // namespace testsupport

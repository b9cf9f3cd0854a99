#include "tools/bench/bench_support_win.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

// jpeglib.h uses FILE and size_t without declaring them.
#include <cstddef>
#include <jpeglib.h>

#include "base/win_handles_win.h"

namespace bench {

double NowMs() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void PumpPending() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void PaintNow(HWND window) {
    PumpPending();
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
}

void PaintScene(HDC dc, int width, int height) {
    for (int y = 0; y < height; y += 4) {
        HBRUSH b = CreateSolidBrush(RGB(y * 255 / height, 128, 255 - y * 255 / height));
        RECT band{0, y, width, y + 4};
        FillRect(dc, &band, b);
        DeleteObject(b);
    }
    srand(1);
    for (int i = 0; i < 120; ++i) {
        HBRUSH b = CreateSolidBrush(RGB(rand() % 256, rand() % 256, rand() % 256));
        const int x = rand() % width, y = rand() % height;
        RECT block{x, y, x + 40 + rand() % 300, y + 20 + rand() % 200};
        FillRect(dc, &block, b);
        DeleteObject(b);
    }
    SetBkMode(dc, TRANSPARENT);
    for (int y = 0; y < height; y += 18) {
        char line[160];
        std::snprintf(
            line, sizeof line,
            "%04d  The quick brown fox jumps over the lazy dog 0123456789 画面キャプチャー", y);
        TextOutA(dc, 8 + (y % 7) * 40, y, line, lstrlenA(line));
    }
}

namespace {

LRESULT CALLBACK SceneProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_ERASEBKGND)
        return 1;
    if (m != WM_PAINT)
        return DefWindowProcA(w, m, wp, lp);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT r;
    GetClientRect(w, &r);
    PaintScene(dc, r.right, r.bottom);
    EndPaint(w, &ps);
    return 0;
}

}  // namespace

HWND CreateSceneWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = SceneProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = "ZelcapBenchScene";
    RegisterClassA(&wc);
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HWND scene = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "bench scene",
                                 WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                                 wc.hInstance, nullptr);
    SetForegroundWindow(scene);
    UpdateWindow(scene);
    GdiFlush();
    // Wine hands the window's pixels to the X server a moment later.
    Sleep(300);
    PumpPending();
    return scene;
}

std::vector<uint8_t> ScenePixels(int width, int height, int seed) {
    const int stride = ((width * 3 + 3) / 4) * 4;
    std::vector<uint8_t> pixels(static_cast<size_t>(stride) * height);
    HDC screen = GetDC(nullptr);
    HBITMAP picture = CreateCompatibleBitmap(screen, width, height);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, picture);
    SetViewportOrgEx(memory, -seed, -seed / 2, nullptr);
    PaintScene(memory, width + seed, height + seed);
    SelectObject(memory, old);
    DeleteDC(memory);
    // Read back the way a capture reads its bitmap.
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    GetDIBits(screen, picture, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(picture);
    return pixels;
}

bool WriteJpeg(const char* path, int width, int height, int quality, uint8_t* bottomUpBgr) {
    FILE* file = std::fopen(path, "wb");
    if (!file)
        return false;
    const size_t stride = ((width * 3 + 3) / 4) * 4;
    jpeg_compress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_compress(&cinfo);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.dct_method = JDCT_IFAST;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        uint8_t* row = bottomUpBgr + (height - 1 - cinfo.next_scanline) * stride;
        for (int x = 0; x < width; ++x)
            std::swap(row[3 * x], row[3 * x + 2]);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(file) == 0;
}

std::string HistoryCsv(int records, int pictures) {
    std::string csv = "日時,コメント,ファイルパス,テキスト情報\r\n";
    char line[160];
    for (int i = 0; i < records; ++i) {
        std::snprintf(line, sizeof line,
                      "2026/12/08 10:%02d:%02d,ベンチマークの記録 %04d,\\p%d.jpg,\r\n",
                      (i / 60) % 60, i % 60, i, i % pictures);
        csv += line;
    }
    return csv;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    return CloseHandle(file) && ok && written == bytes.size();
}

std::vector<std::string> FilesOf(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const win::FindHandle find(FindFirstFileA(pattern.c_str(), &found));
    if (!find)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.emplace_back(found.cFileName);
    } while (FindNextFileA(find.get(), &found));
    return names;
}

namespace {

struct FileDialog {
    std::string path;
    HWND dialog = nullptr;
    FileDialogTimes times;
    void (*closed)() = nullptr;
};
FileDialog fileDialog;

VOID CALLBACK AnswerFileDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    HWND dialog = fileDialog.dialog;
    // The name field: a combo box (cmb13) in newer dialogs, an edit (edt1)
    // in older ones.
    HWND field = GetDlgItem(dialog, 0x47C);
    if (!field)
        field = GetDlgItem(dialog, 0x480);
    SetWindowTextA(field, fileDialog.path.c_str());
    fileDialog.times.okPressed = NowMs();
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

LRESULT CALLBACK FileDialogHook(int code, WPARAM wParam, LPARAM lParam) {
    HWND window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_ACTIVATE && !fileDialog.dialog && !fileDialog.path.empty()) {
        char className[32] = {};
        GetClassNameA(window, className, sizeof className);
        if (std::string(className) == "#32770") {
            fileDialog.dialog = window;
            SetTimer(nullptr, 0, 50, AnswerFileDialog);
        }
    } else if (code == HCBT_DESTROYWND && window == fileDialog.dialog) {
        fileDialog.times.closed = NowMs();
        fileDialog.dialog = nullptr;
        fileDialog.path.clear();
        if (fileDialog.closed)
            fileDialog.closed();
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

void AnswerNextFileDialog(const std::string& path, void (*closed)()) {
    static HHOOK hook = SetWindowsHookExA(WH_CBT, FileDialogHook, nullptr, GetCurrentThreadId());
    (void)hook;
    fileDialog = FileDialog{};
    fileDialog.path = path;
    fileDialog.closed = closed;
}

FileDialogTimes LastFileDialog() {
    return fileDialog.times;
}

void Report(const char* name, double value, const char* unit) {
    std::printf("%s: %.2f %s\n", name, value, unit);
    std::fflush(stdout);
}

}  // namespace bench

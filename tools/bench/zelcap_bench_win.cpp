// Zelcap's side of the benchmarks: the real main window, made in-process as
// at start-up, driven with the messages a user's actions send. Prints one
// "name: value ms" line per figure (medians).
//   zelcap_bench.exe prepare DATA            pictures and histories
//   zelcap_bench.exe open DATA CSV RUNS      OK in the open dialog -> painted
//   zelcap_bench.exe open-ocr DATA CSV RUNS  the same with the text reading on
//   zelcap_bench.exe cases DATA RUNS         the same for 1000 records with and
//                                            without a full test case each, alternating
//   zelcap_bench.exe select DATA CSV STEPS   Down arrow -> next picture shown
//   zelcap_bench.exe capture DATA RUNS [CSV] hot key -> file, -> shown
//   zelcap_bench.exe capture-bmp DATA RUNS   the same with BMP files, deleted once timed
//   zelcap_bench.exe capture-hash DATA PAIRS BMP hot key -> shown and pinned, with and
//                                            without the digest (a benchmark build)
//   zelcap_bench.exe soak DATA CAPTURES      memory and GDI over many captures
//   zelcap_bench.exe queued DATA ROUNDS      20 hot keys queued at once -> the last
//                                            picture shown, against 20 bare captures
// DATA is the folder (Windows path) the pictures, histories and captures
// live in.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/app_state_win.h"
#include "app/capture_road_win.h"
#include "app/main_window_win.h"
#include "app/ocr_road_win.h"
#include "base/sha256_win.h"
#include "history/evidence_book_win.h"
#include "capture/capturer_win.h"
#include "history/case_file.h"
#include "history/case_placement.h"
#include "history/history.h"
#include "history/history_csv.h"
#include "history/history_file_win.h"
#include "history/history_list_win.h"
#include "ocr/ocr_file.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"
#include "settings/ocr_settings.h"
#include "settings/settings_files_win.h"
#include "tools/bench/bench_support_win.h"
#include "app/panes_win.h"

namespace {

constexpr int kPictures = 40;
constexpr int kPictureWidth = 800, kPictureHeight = 600;
constexpr int kScreenHotKey = 103;

std::string data;

std::string InData(const std::string& name) {
    return data + "\\" + name;
}

// The case file of a history's CSV: every record a full test case, every
// field set, the long texts of several lines and Japanese with the trail
// byte 0x5C (表, ソ, 能) that the file escapes around.
std::string FullCaseFile(const std::string& csv) {
    auto records = std::make_unique<History>("");
    HistoryCsvReader reader(*records);
    reader.feed(csv.data(), csv.size());
    reader.finish();
    const std::vector<casefile::Key> keys = caseplace::recordKeys(*records);
    constexpr testcase::Verdict kVerdicts[] = {testcase::Verdict::ok, testcase::Verdict::ng,
                                               testcase::Verdict::hold, testcase::Verdict::none};
    std::vector<casefile::Entry> entries;
    char text[256];
    for (std::size_t i = 0; i < keys.size(); ++i) {
        casefile::Entry e;
        e.key = keys[i];
        testcase::TestCase& c = e.testCase;
        std::snprintf(text, sizeof text, "TC-%04u", static_cast<unsigned>(i));
        c.testId = text;
        c.step = std::to_string(i % 20 + 1);
        std::snprintf(text, sizeof text,
                      "ログイン画面で利用者名とパスワードを入力し、「表示」を押す。\r\n"
                      "一覧表ソートの結果が %u 件表示される。\r\n機能の状態は「有効」のまま。",
                      static_cast<unsigned>(i));
        c.expected = text;
        c.actual = "一覧表が表示された。\r\n件数と並び順は期待どおり。";
        c.verdict = kVerdicts[i % 4];
        c.tester = "試験 太郎";
        c.date = "2026/12/08";
        c.remarks = "再試験の対象外";
        entries.push_back(std::move(e));
    }
    return casefile::write(entries);
}

int Prepare() {
    for (int i = 0; i < kPictures; ++i) {
        const std::string path = InData("p" + std::to_string(i) + ".jpg");
        std::vector<uint8_t> pixels = bench::ScenePixels(kPictureWidth, kPictureHeight, 7 * i);
        if (!bench::WriteJpeg(path.c_str(), kPictureWidth, kPictureHeight, 75, pixels.data()))
            return 1;
    }
    for (int records : {250, 500, 990, 1000}) {
        if (!bench::WriteBytes(InData("h" + std::to_string(records) + ".csv"),
                               bench::HistoryCsv(records, kPictures)))
            return 1;
    }
    // The same records again, beside the cases of every one.
    const std::string csv = bench::HistoryCsv(1000, kPictures);
    return bench::WriteBytes(InData("hc1000.csv"), csv) &&
                   bench::WriteBytes(InData("hc1000.zcase"), FullCaseFile(csv))
               ? 0
               : 1;
}

// The main window as at start-up, at a size a user would give it, with the
// captures going to DATA as JPEG files of quality 75, or as BMP files
// named zb0.bmp, zb1.bmp...; with `ocr`, every capture is read as well
// ([OCR] 文字読み取り in the settings file before the window reads it).
HWND StartMainWindow(bool bmp = false, bool ocr = false) {
    settingsStore.initialize();
    if (ocr) {
        Win32SettingsFiles files;
        OcrSettings reading;
        reading.enabled = true;
        if (!ocr_settings::save(files, settingsStore.iniPath, reading))
            return nullptr;
    }
    Settings& s = settingsStore.settings;
    s.windowX = 0;
    s.windowY = 0;
    s.windowWidth = 1200;
    s.windowHeight = 900;
    const int widths[kColumnCount] = {240, 160, 150, 100};
    std::copy(widths, widths + kColumnCount, s.columnWidths);
    s.jpegMode = bmp ? 0 : 1;
    s.jpegQuality = 75;
    std::snprintf(s.imageFilePrefix, sizeof s.imageFilePrefix, "%s", bmp ? "zb" : "");
    s.confirmOverwrite = 0;
    s.folderOption = 0;
    std::snprintf(s.saveFolder, sizeof s.saveFolder, "%s", data.c_str());
    history.reset();
    appState = AppState{};
    appState.instance = GetModuleHandleA(nullptr);
    RegisterMainWindowClass(appState.instance);
    if (!CreateMainWindow(appState.instance, SW_SHOWNORMAL))
        return nullptr;
    bench::PaintNow(appState.mainWindow);
    return appState.mainWindow;
}

// The list's first WM_SETREDRAW once the open dialog has ended: the list
// is emptied only after GetOpenFileName has returned, so that is when the
// dialog has gone and the open's own work on the rows begins. The list is
// watched from the dialog's end to that message only: a hook, or a
// subclass kept longer, would cost the timed work itself.
double listTouched = 0;
WNDPROC listProc = nullptr;
LRESULT CALLBACK WatchList(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    const WNDPROC next = listProc;
    if (message == WM_SETREDRAW) {
        listTouched = bench::NowMs();
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(next));
    }
    return CallWindowProcA(next, list, message, wParam, lParam);
}
void WatchListFromNow() {
    listProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        historyList.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchList)));
}

struct OpenTimes {
    double fromOk = 0, fromClosed = 0, fromGone = 0;
};

// Runs the open command on a history file; false when it did not fill the
// list. `times` gets the milliseconds to the list painted from the OK press,
// from the dialog's end (its teardown within GetOpenFileName counted) and
// from the dialog gone.
bool OpenHistory(HWND window, const std::string& csv, OpenTimes* times) {
    history.modified = 0;  // no save question in between
    listTouched = 0;
    bench::AnswerNextFileDialog(csv, WatchListFromNow);
    SendMessageA(window, WM_COMMAND, IDM_FILE_OPEN, 0);
    bench::PaintNow(window);
    const double painted = bench::NowMs();
    const bench::FileDialogTimes dialog = bench::LastFileDialog();
    if (times)
        *times = {painted - dialog.okPressed, painted - dialog.closed,
                  listTouched ? painted - listTouched : 0};
    return historyList.itemCount() > 0 && (!times || listTouched != 0);
}

// With `ocr`, the text reading is on and every picture has its ".ocr"
// already: what the open adds is the look for pictures still unread.
int Open(const std::string& csv, int runs, bool ocr = false) {
    for (int i = 0; ocr && i < kPictures; ++i) {
        const std::string picture = InData("p" + std::to_string(i) + ".jpg");
        if (!bench::WriteBytes(ocrfile::sidecarPath(picture), std::string(ocrfile::kVersionLine) + "\r\n"))
            return 1;
    }
    HWND window = StartMainWindow(false, ocr);
    if (!window)
        return 1;
    std::vector<double> fromOk, fromClosed, fromGone;
    for (int i = 0; i <= runs; ++i) {
        OpenTimes t;
        if (!OpenHistory(window, InData(csv), &t)) {
            std::fprintf(stderr, "the history did not open\n");
            return 1;
        }
        if (i > 0) {  // the first run warms Wine's caches
            fromOk.push_back(t.fromOk);
            fromClosed.push_back(t.fromClosed);
            fromGone.push_back(t.fromGone);
        }
    }
    // The open command's own work without its dialog, as the floor's fill
    // has none: the list emptied, the file read, the rows filled, painted.
    std::vector<double> work;
    for (int i = 0; i <= runs; ++i) {
        const double start = bench::NowMs();
        historyList.clearAll();
        historyfile::Read(history, window);
        historyList.fillFromRecords();
        bench::PaintNow(window);
        if (i > 0)
            work.push_back(bench::NowMs() - start);
    }
    RECT list;
    GetWindowRect(historyList.window, &list);
    std::printf("list window %ldx%ld\n%d rows\n", list.right - list.left, list.bottom - list.top,
                historyList.itemCount());
    bench::Report("open from OK", bench::Median(fromOk));
    bench::Report("open from the dialog's end", bench::Median(fromClosed));
    bench::Report("open from the dialog gone", bench::Median(fromGone));
    bench::Report("open without the dialog: read, filled, painted", bench::Median(work));
    DestroyWindow(window);
    return 0;
}

// A 1000-record history opened with a full test case on every record
// against the same records without any, turn about in one process, the
// side that goes first changing each round: OK in the open dialog ->
// painted, and the open's own work without the dialog. The ratios are the
// medians of each round's pair, which follow the load of the other builds
// on this machine more closely than the ratio of the medians. Fails when
// the cases were not all placed, or placed where there are none.
int OpenCases(int runs) {
    HWND window = StartMainWindow();
    if (!window)
        return 1;
    std::vector<double> fromOk[2], work[2], okRatio, workRatio;
    const char* const names[2] = {"h1000.csv", "hc1000.csv"};
    for (int i = 0; i <= runs; ++i) {
        double ok[2] = {}, own[2] = {};
        for (int turn = 0; turn < 2; ++turn) {
            const int cased = (i + turn) % 2;
            OpenTimes t;
            if (!OpenHistory(window, InData(names[cased]), &t))
                return std::fprintf(stderr, "%s did not open\n", names[cased]), 1;
            ok[cased] = t.fromOk;
            const double start = bench::NowMs();
            historyList.clearAll();
            historyfile::Read(history, window);
            historyList.fillFromRecords();
            bench::PaintNow(window);
            own[cased] = bench::NowMs() - start;
            const std::size_t placed = history.cases.all().size();
            if (placed != (cased ? 1000u : 0u) || !history.casesAside.empty())
                return std::fprintf(stderr, "%s: %u cases placed\n", names[cased],
                                    static_cast<unsigned>(placed)),
                       1;
        }
        if (i == 0)  // the first round warms Wine's caches
            continue;
        for (int cased = 0; cased < 2; ++cased) {
            fromOk[cased].push_back(ok[cased]);
            work[cased].push_back(own[cased]);
        }
        okRatio.push_back(ok[1] / ok[0]);
        workRatio.push_back(own[1] / own[0]);
    }
    bench::Report("open 1000 records, OK -> painted, no cases", bench::Median(fromOk[0]));
    bench::Report("open 1000 records, OK -> painted, full cases", bench::Median(fromOk[1]));
    bench::Report("the same without the dialog, no cases", bench::Median(work[0]));
    bench::Report("the same without the dialog, full cases", bench::Median(work[1]));
    std::printf("ratio from OK: %.2f\nratio without the dialog: %.2f\n", bench::Median(okRatio),
                bench::Median(workRatio));
    history.modified = 0;
    DestroyWindow(window);
    return 0;
}

void SelectRow(int row) {
    LVITEMA item{};
    item.state = item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(historyList.window, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

int Select(const std::string& csv, int steps) {
    HWND window = StartMainWindow();
    if (!window || !OpenHistory(window, InData(csv), nullptr))
        return 1;
    SetFocus(historyList.window);
    SelectRow(0);
    bench::PaintNow(window);
    std::vector<double> ms;
    for (int i = 0; i <= steps; ++i) {
        const double start = bench::NowMs();
        SendMessageA(historyList.window, WM_KEYDOWN, VK_DOWN, 0);
        SendMessageA(historyList.window, WM_KEYUP, VK_DOWN, 0);
        bench::PaintNow(window);
        if (i > 0)
            ms.push_back(bench::NowMs() - start);
    }
    const int row = static_cast<int>(
        SendMessageA(historyList.window, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (row != steps + 1 || imagePane->picture.width() != kPictureWidth) {
        std::fprintf(stderr, "the selection did not move as it should (row %d)\n", row);
        return 1;
    }
    RECT view;
    GetWindowRect(imagePane->view, &view);
    std::printf("view window %ldx%ld\n", view.right - view.left, view.bottom - view.top);
    bench::Report("selection step", bench::Median(ms));
    DestroyWindow(window);
    return 0;
}

double ProcessMs() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) / 10000.0;
    };
    return ms(kernel) + ms(user);
}

// Hot key -> file: the capture pipeline of one screen hot key. Hot key ->
// shown: the main window's whole handling of it (file, record, row,
// picture), painted.
int Capture(int runs, const char* csv, bool bmp, bool ocr = false) {
    HWND window = StartMainWindow(bmp, ocr);
    if (!window)
        return 1;
    if (csv && !OpenHistory(window, InData(csv), nullptr))
        return 1;
    // Made after the main window, which Wine would otherwise keep above it on
    // the X server, and so in the captures: the floor takes the scene.
    HWND scene = bench::CreateSceneWindow();
    const int rows = historyList.itemCount();
    std::vector<double> pipeline, shown;
    // The pipeline's captures first, then the whole handling's: the timed
    // pipeline writes as many files as the floor does, and a 6 MB write
    // takes several times as long once more data waits to be written.
    for (int i = 0; !csv && i <= runs; ++i) {
        const double start = bench::NowMs();
        CaptureResult captured = capturer.capture(imagePane->view, kScreenHotKey);
        if (captured.target != 2) {
            std::fprintf(stderr, "capture failed\n");
            return 1;
        }
        if (i > 0)
            pipeline.push_back(bench::NowMs() - start);
        // As the floor does (but for zb1.bmp, which the script compares).
        if (bmp && i != 1)
            DeleteFileA(captured.path.c_str());
        // As the main window does once it has shown the file's picture.
        capturer.reuseFileBlock(std::move(captured.file));
    }
    // The process's processor time over the captures against their wall
    // time: with the reading on and a core to spare it is near two, the
    // proof that the reader was at work while they were taken.
    const double loopStart = bench::NowMs();
    const double cpuStart = ProcessMs();
    for (int i = 0; i <= runs && history.count < kRecordMaximum; ++i) {
        const double start = bench::NowMs();
        SendMessageA(window, WM_HOTKEY, kScreenHotKey, 0);
        bench::PaintNow(window);
        if (i > 0)
            shown.push_back(bench::NowMs() - start);
        if (bmp)
            DeleteFileA(history.records[history.count - 1].imagePath);
    }
    std::printf("processor over wall during the captures: %.2f\n",
                (ProcessMs() - cpuStart) / (bench::NowMs() - loopStart));
    if (historyList.itemCount() <= rows || imagePane->picture.empty()) {
        std::fprintf(stderr, "the captures were not shown\n");
        return 1;
    }
    if (!csv)
        bench::Report(bmp ? "hot key -> BMP file" : "hot key -> file", bench::Median(pipeline));
    char name[64];
    std::snprintf(name, sizeof name, "hot key -> %sshown, %d rows", bmp ? "BMP " : "", rows);
    bench::Report(name, bench::Median(shown));
    history.modified = 0;
    DestroyWindow(window);
    DestroyWindow(scene);
    return 0;
}

#ifdef ZELCAP_BENCH_HOOKS
// The digest's cost on the road: BMP captures of the whole screen (the
// largest files, the cheapest to encode, so the worst case for the hash),
// each timed from the hot key to its picture painted, with the digest and
// without, in alternating order so that the machine's load falls on both
// alike; and from the hot key to the digest pinned, which the next capture
// waits for. Each capture starts with the last one's digest in.
int CaptureHash(int pairs) {
    HWND window = StartMainWindow(true);
    if (!window)
        return 1;
    HWND scene = bench::CreateSceneWindow();
    std::vector<double> with, without, fileWith, fileWithout, pinned, hash;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    for (int i = 0; i <= pairs && history.count + 2 < kRecordMaximum; ++i) {
        for (const bool on : {i % 2 == 0, i % 2 != 0}) {
            capture_road::SetHashingForBench(on);
            LARGE_INTEGER pressed;
            QueryPerformanceCounter(&pressed);
            const double start = bench::NowMs();
            SendMessageA(window, WM_HOTKEY, kScreenHotKey, 0);
            bench::PaintNow(window);
            const double shown = bench::NowMs() - start;
            const double written =
                static_cast<double>(capture_road::FileWrittenForBench() - pressed.QuadPart) *
                1000.0 / static_cast<double>(frequency.QuadPart);
            evidenceBook.flush();
            const double done = bench::NowMs() - start;
            if (i > 0) {
                (on ? with : without).push_back(shown);
                (on ? fileWith : fileWithout).push_back(written);
                if (on)
                    pinned.push_back(done);
            }
            const char* path = history.records[history.count - 1].imagePath;
            if (on && i > 0) {
                std::string bytes;
                HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, 0, nullptr);
                DWORD size = file != INVALID_HANDLE_VALUE ? GetFileSize(file, nullptr) : 0;
                bytes.resize(size);
                DWORD got = 0;
                if (file != INVALID_HANDLE_VALUE) {
                    ReadFile(file, &bytes[0], size, &got, nullptr);
                    CloseHandle(file);
                }
                Sha256Digest d;
                const double h = bench::NowMs();
                win::sha256(bytes.data(), got, d);
                hash.push_back(bench::NowMs() - h);
            }
            DeleteFileA(path);
        }
    }
    capture_road::SetHashingForBench(true);
    if (with.empty() || without.empty()) {
        std::fprintf(stderr, "no captures\n");
        return 1;
    }
    bench::Report("hot key -> BMP shown, with the digest", bench::Median(with));
    bench::Report("hot key -> BMP shown, without the digest", bench::Median(without));
    bench::Report("hot key -> digest pinned", bench::Median(pinned));
    bench::Report("hot key -> BMP file, with the digest", bench::Median(fileWith));
    bench::Report("hot key -> BMP file, without the digest", bench::Median(fileWithout));
    bench::Report("SHA-256 of one BMP capture", bench::Median(hash));
    history.modified = 0;
    DestroyWindow(window);
    DestroyWindow(scene);
    return 0;
}
#endif

// Wine counts no GDI objects per process (GetGuiResources answers 0) but
// hands freed handle slots out again: the slots 256 new objects get are the
// same before and after work that keeps no object of its own.
std::vector<int> GdiProbeSlots() {
    HDC screen = GetDC(nullptr);
    std::vector<HBITMAP> probes;
    std::vector<int> slots;
    for (int i = 0; i < 256; ++i) {
        probes.push_back(CreateCompatibleBitmap(screen, 1, 1));
        slots.push_back(static_cast<int>(reinterpret_cast<UINT_PTR>(probes.back()) & 0xFFFF));
    }
    for (auto it = probes.rbegin(); it != probes.rend(); ++it)
        DeleteObject(*it);
    ReleaseDC(nullptr, screen);
    std::sort(slots.begin(), slots.end());
    return slots;
}

// The committed memory of the process (Wine answers this one from the
// process's own counters).
double PrivateMegabytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.PagefileUsage) / (1 << 20);
}

int Soak(int captures) {
    HWND scene = bench::CreateSceneWindow();
    HWND window = StartMainWindow();
    if (!window)
        return 1;
    const int warmUp = 20;
    std::vector<int> before;
    double memoryBefore = 0;
    for (int i = 0; i < captures; ++i) {
        if (i == warmUp) {
            before = GdiProbeSlots();
            memoryBefore = PrivateMegabytes();
        }
        SendMessageA(window, WM_HOTKEY, kScreenHotKey, 0);
        bench::PaintNow(window);
    }
    const std::vector<int> after = GdiProbeSlots();
    const double memoryAfter = PrivateMegabytes();
    std::vector<int> common;
    std::set_intersection(before.begin(), before.end(), after.begin(), after.end(),
                          std::back_inserter(common));
    const int rows = historyList.itemCount();
    std::printf("%d captures, %d rows\n", captures, rows);
    bench::Report("GDI handle slots taken over", static_cast<double>(before.size() - common.size()),
                  "of 256 probes");
    bench::Report("memory growth", memoryAfter - memoryBefore, "MB");
    std::printf("memory after %d captures: %.1f MB\n", warmUp, memoryBefore);
    history.modified = 0;
    DestroyWindow(window);
    DestroyWindow(scene);
    return rows == captures ? 0 : 1;
}

// Hot keys pressed while a capture runs wait in the main window's queue: 20
// posted at once are handled one after the other, the last picture shown
// and painted. Against the same 20 captures of the pipeline alone, in the
// same round, per key; the history grows by 20 rows a round (and 20 files a
// round are overwritten for the pipeline's own).
int Queued(int rounds) {
    constexpr int kKeys = 20;
    HWND window = StartMainWindow();
    if (!window)
        return 1;
    HWND scene = bench::CreateSceneWindow();
    std::vector<double> queued, bare;
    for (int round = 0; round <= rounds; ++round) {
        const int records = history.count;
        const double start = bench::NowMs();
        for (int i = 0; i < kKeys; ++i)
            PostMessageA(window, WM_HOTKEY, kScreenHotKey, 0);
        MSG message;
        while (history.count < records + kKeys && GetMessageA(&message, nullptr, 0, 0) > 0)
            DispatchMessageA(&message);
        bench::PaintNow(window);
        const double shown = bench::NowMs() - start;
        if (history.count != records + kKeys || imagePane->picture.empty()) {
            std::fprintf(stderr, "the queued captures were not all shown\n");
            return 1;
        }
        const double bareStart = bench::NowMs();
        for (int i = 0; i < kKeys; ++i) {
            CaptureResult captured = capturer.capture(imagePane->view, kScreenHotKey);
            capturer.reuseFileBlock(std::move(captured.file));
        }
        const double pipeline = bench::NowMs() - bareStart;
        if (round > 0) {  // the first warms Wine's caches
            queued.push_back(shown / kKeys);
            bare.push_back(pipeline / kKeys);
        }
    }
    bench::Report("20 queued hot keys -> last picture shown, per key", bench::Median(queued));
    bench::Report("20 captures of the pipeline alone, per key", bench::Median(bare));
    history.modified = 0;
    DestroyWindow(window);
    DestroyWindow(scene);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: zelcap_bench prepare|open|open-ocr|cases|select|capture|capture-bmp|capture-ocr|"
                             "soak|queued DATA ...\n");
        return 2;
    }
    const std::string command = argv[1];
    data = argv[2];
    auto number = [&](int i) { return argc > i ? std::atoi(argv[i]) : 10; };
    if (command == "prepare")
        return Prepare();
    if (command == "open" && argc > 3)
        return Open(argv[3], number(4));
    if (command == "open-ocr" && argc > 3)
        return Open(argv[3], number(4), true);
    if (command == "cases")
        return OpenCases(number(3));
    if (command == "select" && argc > 3)
        return Select(argv[3], number(4));
    if (command == "capture")
        return Capture(number(3), argc > 4 ? argv[4] : nullptr, false);
    if (command == "capture-bmp")
        return Capture(number(3), nullptr, true);
    // The same with the text reading on: its worker reads each capture
    // while the next ones are taken.
    if (command == "capture-ocr")
        return Capture(number(3), nullptr, false, true);
#ifdef ZELCAP_BENCH_HOOKS
    if (command == "capture-hash")
        return CaptureHash(number(3));
#endif
    if (command == "soak")
        return Soak(number(3));
    if (command == "queued")
        return Queued(number(3));
    std::fprintf(stderr, "unknown command %s\n", command.c_str());
    return 2;
}

// Floor of opening a history: the least a Win32 program does to show a CSV
// history file in a report list view like Zelcap's (same styles, columns and
// font): read the file, split its lines, and fill the list with redraw off,
// emptying it first, then paint once. Prints the median milliseconds, and
// the same again from OK in an open dialog like Zelcap's that names the
// file (the dialog's own teardown is then part of the time).
//   floor_list.exe CSV RUNS LIST_WIDTH LIST_HEIGHT
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/bench/bench_support_win.h"

namespace {

std::string ReadWholeFile(const char* path) {
    std::string bytes;
    HANDLE file = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    bytes.resize(GetFileSize(file, nullptr));
    DWORD got = 0;
    ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr);
    bytes.resize(got);
    CloseHandle(file);
    return bytes;
}

// The four fields of every line after the header.
std::vector<std::vector<std::string>> Records(const std::string& csv) {
    std::vector<std::vector<std::string>> records;
    size_t at = csv.find("\r\n");
    while (at != std::string::npos && at + 2 < csv.size()) {
        const size_t start = at + 2;
        at = csv.find("\r\n", start);
        const std::string line = csv.substr(start, at - start);
        std::vector<std::string> fields;
        size_t from = 0;
        for (int i = 0; i < 3; ++i) {
            const size_t comma = line.find(',', from);
            fields.push_back(line.substr(from, comma - from));
            from = comma == std::string::npos ? line.size() : comma + 1;
        }
        fields.push_back(line.substr(from));
        records.push_back(fields);
    }
    return records;
}

void SetText(HWND list, int row, int column, const std::string& text) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

void Fill(HWND list, const char* path) {
    const auto records = Records(ReadWholeFile(path));
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    for (size_t i = 0; i < records.size(); ++i) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<char*>(records[i][1].c_str());
        const int row = static_cast<int>(
            SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        SetText(list, row, 1, records[i][2]);
        SetText(list, row, 2, records[i][0]);
        SetText(list, row, 3, records[i][3]);
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5)
        return 2;
    const char* csv = argv[1];
    const int runs = std::atoi(argv[2]);
    const int width = std::atoi(argv[3]), height = std::atoi(argv[4]);
    InitCommonControls();
    HWND frame = CreateWindowExA(0, "STATIC", "floor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                 width + 40, height + 80, nullptr, nullptr, nullptr, nullptr);
    HWND list = CreateWindowExA(0, WC_LISTVIEWA, "",
                                WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL |
                                    LVS_REPORT | LVS_SHOWSELALWAYS | LVS_EDITLABELS,
                                0, 0, width, height, frame, nullptr, nullptr, nullptr);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_GRIDLINES | LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT);
    HFONT font = CreateFontA(10, 0, 0, 0, 400, 0, 0, 0, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, PROOF_QUALITY, FIXED_PITCH | FF_MODERN,
                             "MS ゴシック");
    SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    const char* headers[4] = {"見出し", "イメージ情報", "日付", "説明文"};
    const int widths[4] = {240, 160, 150, 100};
    for (int i = 0; i < 4; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.cx = widths[i];
        column.pszText = const_cast<char*>(headers[i]);
        column.iSubItem = i;
        SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    bench::PaintNow(frame);
    std::vector<double> ms;
    for (int i = 0; i <= runs; ++i) {
        const double start = bench::NowMs();
        Fill(list, csv);
        bench::PaintNow(frame);
        if (i > 0)
            ms.push_back(bench::NowMs() - start);
    }
    std::vector<double> fromOk;
    for (int i = 0; i <= runs; ++i) {
        char path[MAX_PATH] = {};
        OPENFILENAMEA ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = frame;
        ofn.lpstrFilter = "CSV files(*.csv)\0*.csv\0files(*.*)\0*.*\0";
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = path;
        ofn.nMaxFile = sizeof path;
        ofn.lpstrDefExt = "csv";
        ofn.lpstrTitle = "開くファイル名を指定して下さい";
        ofn.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
        bench::AnswerNextFileDialog(csv);
        if (!GetOpenFileNameA(&ofn))
            return 1;
        Fill(list, path);
        bench::PaintNow(frame);
        if (i > 0)
            fromOk.push_back(bench::NowMs() - bench::LastFileDialog().okPressed);
    }
    std::printf("%d rows\n", static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)));
    bench::Report("floor: fill with redraw off", bench::Median(ms));
    bench::Report("floor: open dialog OK, then fill with redraw off", bench::Median(fromOk));
    DestroyWindow(frame);
    DeleteObject(font);
    return 0;
}

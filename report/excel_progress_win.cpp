#include "report/excel_progress_win.h"

#include <cstdio>
#include <string>

#include "base/progress_window_win.h"
#include "resources/excel_ids.h"

void RunWithProgress(HWND owner, ExcelProgress& progress, const std::function<void()>& work) {
    win::ProgressView view;
    view.dialog = IDD_EXCEL_PROGRESS;
    view.text = IDC_EXCEL_PROGRESS_TEXT;
    view.bar = IDC_EXCEL_PROGRESS_BAR;
    view.cancel = &progress.cancel;
    // Putting the records in takes the bar's first half, writing the file
    // the second.
    view.describe = [&progress](int& position) {
        const int done = progress.done, total = progress.total;
        constexpr int kHalf = win::kProgressRange / 2;
        char text[128];
        position = 0;
        if (progress.cancel) {
            std::snprintf(text, sizeof text, "中止しています...");
        } else if (progress.stage == static_cast<int>(WorkbookStage::records)) {
            std::snprintf(text, sizeof text, "記録を出力しています: %d / %d件", done, total);
            position = total > 0 ? done * kHalf / total : 0;
        } else {
            std::snprintf(text, sizeof text, "ファイルに書き込んでいます: %d / %d", done, total);
            position = kHalf + (total > 0 ? done * kHalf / total : 0);
        }
        return std::string(text);
    };
    win::RunWithProgress(owner, view, work);
}

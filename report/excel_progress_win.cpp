#include "report/excel_progress_win.h"

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <thread>

#include "base/app_state_win.h"
#include "resources/excel_ids.h"

namespace {

constexpr UINT kWorkEnded = WM_APP + 40;
constexpr UINT_PTR kTimer = 1;
constexpr int kBarRange = 1000;

struct Job {
    ExcelProgress* progress;
    const std::function<void()>* work;
    std::thread thread;
    std::string shown;
};

Job* JobOf(HWND dialog) {
    return reinterpret_cast<Job*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// The stage's count and the bar: putting the records in takes the first
// half, writing the file the second.
void Show(HWND dialog, Job& job) {
    const ExcelProgress& p = *job.progress;
    const int done = p.done, total = p.total;
    char text[128];
    int position = 0;
    if (p.cancel) {
        std::snprintf(text, sizeof text, "中止しています...");
    } else if (p.stage == static_cast<int>(WorkbookStage::records)) {
        std::snprintf(text, sizeof text, "記録を出力しています: %d / %d件", done, total);
        position = total > 0 ? done * (kBarRange / 2) / total : 0;
    } else {
        std::snprintf(text, sizeof text, "ファイルに書き込んでいます: %d / %d", done, total);
        position = kBarRange / 2 + (total > 0 ? done * (kBarRange / 2) / total : 0);
    }
    if (job.shown != text) {
        job.shown = text;
        SetDlgItemTextA(dialog, IDC_EXCEL_PROGRESS_TEXT, text);
    }
    SendDlgItemMessageA(dialog, IDC_EXCEL_PROGRESS_BAR, PBM_SETPOS, position, 0);
}

INT_PTR CALLBACK ProgressProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    Job* job = JobOf(dialog);
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            job = reinterpret_cast<Job*>(lParam);
            SendDlgItemMessageA(dialog, IDC_EXCEL_PROGRESS_BAR, PBM_SETRANGE32, 0, kBarRange);
            Show(dialog, *job);
            SetTimer(dialog, kTimer, 100, nullptr);
            const std::function<void()>* work = job->work;
            job->thread = std::thread([dialog, work] {
                (*work)();
                PostMessageA(dialog, kWorkEnded, 0, 0);
            });
            return TRUE;
        }
        case WM_TIMER:
            if (job && wParam == kTimer)
                Show(dialog, *job);
            return TRUE;
        case WM_COMMAND:
            // Esc, Alt+F4 and the button alike; the window stays until the
            // work has stopped, so that nothing is left half-written.
            if (job && LOWORD(wParam) == IDCANCEL && !job->progress->cancel) {
                job->progress->cancel = true;
                EnableWindow(GetDlgItem(dialog, IDCANCEL), FALSE);
                Show(dialog, *job);
            }
            return TRUE;
        case kWorkEnded:
            KillTimer(dialog, kTimer);
            EndDialog(dialog, IDOK);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

void RunWithProgress(HWND owner, ExcelProgress& progress, const std::function<void()>& work) {
    Job job{&progress, &work, {}, {}};
    HINSTANCE instance = appState.instance ? appState.instance : GetModuleHandleA(nullptr);
    const INT_PTR shown = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_EXCEL_PROGRESS), owner,
                                          ProgressProc, reinterpret_cast<LPARAM>(&job));
    if (!job.thread.joinable()) {
        // No window (out of resources): the work runs here, without one.
        if (shown <= 0)
            work();
        return;
    }
    job.thread.join();
}

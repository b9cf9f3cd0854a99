#include "base/progress_window_win.h"

#include <commctrl.h>

#include <thread>

#include "base/app_state_win.h"
#include "base/message_box_win.h"

namespace win {

namespace {

constexpr UINT kWorkEnded = WM_APP + 40;
constexpr UINT_PTR kTimer = 1;

struct Job {
    const ProgressView* view;
    const std::function<void()>* work;
    std::thread thread;
    std::string shown;
};

void Show(HWND dialog, Job& job) {
    int position = 0;
    const std::string text = job.view->describe ? job.view->describe(position) : std::string();
    if (job.shown != text) {
        job.shown = text;
        SetDlgItemTextA(dialog, job.view->text, text.c_str());
    }
    SendDlgItemMessageA(dialog, job.view->bar, PBM_SETPOS, position, 0);
}

INT_PTR CALLBACK ProgressProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    Job* job = reinterpret_cast<Job*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            job = reinterpret_cast<Job*>(lParam);
            SendDlgItemMessageA(dialog, job->view->bar, PBM_SETRANGE32, 0, kProgressRange);
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
            if (job && LOWORD(wParam) == IDCANCEL && job->view->cancel && !*job->view->cancel) {
                *job->view->cancel = true;
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

void RunWithProgress(HWND owner, const ProgressView& view, const std::function<void()>& work) {
    // A script's command pops nothing up; its caller waits for the answer.
    if (KeepMessages::active()) {
        work();
        return;
    }
    Job job{&view, &work, {}, {}};
    HINSTANCE instance = appState.instance ? appState.instance : GetModuleHandleA(nullptr);
    const INT_PTR shown = DialogBoxParamA(instance, MAKEINTRESOURCEA(view.dialog), owner,
                                          ProgressProc, reinterpret_cast<LPARAM>(&job));
    if (!job.thread.joinable()) {
        if (shown <= 0) {
            HCURSOR old = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
            work();
            SetCursor(old);
        }
        return;
    }
    job.thread.join();
}

}  // namespace win

// The export's progress window: the work runs on a thread of its own while
// a modal window shows how far it is and lets the user cancel it.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>

#include "report/workbook_writer.h"

// Written by the work, read by the window; `cancel` the other way round.
struct ExcelProgress final : WorkbookProgress {
    std::atomic<int> stage{static_cast<int>(WorkbookStage::records)};
    std::atomic<int> done{0};
    std::atomic<int> total{0};
    std::atomic<bool> cancel{false};

    bool report(WorkbookStage s, int d, int t) override {
        stage = static_cast<int>(s);
        total = t;
        done = d;
        return !cancel;
    }
};

// Runs `work` on another thread and returns when it has ended; meanwhile
// the progress window, owned by `owner`, is shown.
void RunWithProgress(HWND owner, ExcelProgress& progress, const std::function<void()>& work);

// A modal progress window for long work: the work runs on a thread of its
// own while the window shows how far it is, and Esc, Alt+F4 and the
// window's button ask it to stop. The window stays until the work has
// ended, so that nothing is left half-done behind it.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>

namespace win {

constexpr int kProgressRange = 1000;

struct ProgressView {
    int dialog = 0;  // the window's resource: a text, a bar and IDCANCEL
    int text = 0;
    int bar = 0;
    std::atomic<bool>* cancel = nullptr;  // set by the window, read by the work
    // The text to show and the bar's position (0 to kProgressRange), asked
    // on the window's thread a few times a second.
    std::function<std::string(int& position)> describe;
};

// Runs `work` and returns when it has ended. Without a window (out of
// resources) it runs here, under the wait cursor; for a script's command
// (KeepMessages) it runs here without one.
void RunWithProgress(HWND owner, const ProgressView& view, const std::function<void()>& work);

}  // namespace win

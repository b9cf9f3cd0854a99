// Step recording: a low-level mouse hook on a thread of its own takes, at
// each press of the left or right button outside Zelcap's windows, the
// pixels of the window under the pointer (or of the whole screen) before
// the clicked program has reacted. What was clicked is looked up on a
// second thread with time-limited calls. The main window is told with
// UWM_STEP_SHOT and writes the steps in click order on its own thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "capture/step_heading.h"

struct StepShot {
    int number = 0;               // 1, 2, ... in the order of the presses
    POINT point{};                // screen coordinates of the press
    RECT rect{};                  // the part of the screen taken (on the screen)
    std::vector<uint8_t> pixels;  // bottom-up 24-bit rows of rect, dibStride
    StepTarget target;            // what was clicked
    HWND under = nullptr;
    // Milliseconds from the press (the event's time) to the pixels taken,
    // and from the hook's call to the pixels taken.
    double pressToGrabMs = 0, grabMs = 0;
    LARGE_INTEGER grabbedAt{};
    bool ready = false;  // the target has been looked up
};

class StepRecorder {
  public:
    StepRecorder() = default;
    StepRecorder(const StepRecorder&) = delete;
    StepRecorder& operator=(const StepRecorder&) = delete;
    ~StepRecorder() { stop(); }

    // Starts the hook; false when it could not be installed. Steps are
    // numbered from 1 again.
    bool start(HWND notify, bool wholeScreen);
    void stop();
    bool running() const { return hookThread_.joinable(); }
    int taken() const { return counter_; }
    // In a benchmark build with its log named: the median of five bare
    // whole-screen grabs on the hook thread before the hook went in (the
    // benchmark's floor); 0 otherwise.
    double floorMs() const { return floorMs_; }

    // The oldest step whose target is known; false when there is none.
    bool take(StepShot& shot);

    // The pixels of a part of the screen, as a press takes them (bottom-up
    // 24-bit rows); false when they could not be taken.
    static bool grab(const RECT& rect, std::vector<uint8_t>& pixels);

  private:
    static LRESULT CALLBACK hookProc(int code, WPARAM wParam, LPARAM lParam);
    void hookMain(HANDLE started);
    void lookupMain();
    void onPress(StepButton button, const MSLLHOOKSTRUCT& info);

    HWND notify_ = nullptr;
    bool wholeScreen_ = false;
    std::thread hookThread_, lookupThread_;
    std::atomic<DWORD> hookThreadId_{0};
    std::atomic<bool> hooked_{false};
    int counter_ = 0;
    double floorMs_ = 0;
    // The last press, to take a double click as one step.
    StepButton lastButton_ = StepButton::left;
    POINT lastPoint_{};
    DWORD lastTime_ = 0;
    bool havePress_ = false;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<StepShot> shots_;
    bool stopping_ = false;
};

extern StepRecorder stepRecorder;

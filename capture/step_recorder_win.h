// Step recording: a low-level mouse hook on a thread of its own takes, at
// each press of the left or right button outside Zelcap's windows, the
// pixels of the window under the pointer (or of the whole screen) and what
// the window manager knows of the clicked window, before the clicked
// program has reacted. What only the program can tell (its accessibility
// name, a menu item) is asked on a thread of each step's own, so that a
// program that hangs holds back no other step: a step waits for its answer
// at most kLookupMs after the press, then goes on with what is known. The
// main window is told with UWM_STEP_SHOT and writes the steps in click
// order on its own thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <string>
#include <vector>

#include "capture/capture_extras.h"
#include "capture/key_steps.h"
#include "capture/step_heading.h"

// A press of a mouse button, the text typed into one control, or a
// shortcut key.
enum class StepKind { click, typing, shortcut };

struct StepShot {
    StepKind kind = StepKind::click;
    keysteps::TypedStep typed;  // a typing step's control and text
    std::string shortcut;       // a shortcut step's key, "Ctrl+S"
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
    bool ready = false;  // the target has been looked up, or its time ran out
    std::shared_ptr<struct StepLookup> lookup;  // the question still open, if any
};

// What the keyboard adds to the steps; nothing while both are off.
struct StepKeys {
    bool typing = false;
    bool shortcuts = false;
};

class StepRecorder {
  public:
    StepRecorder() = default;
    StepRecorder(const StepRecorder&) = delete;
    StepRecorder& operator=(const StepRecorder&) = delete;
    ~StepRecorder() {
        stop();
        finish();
    }

    // The longest a step waits for the program under it to answer.
    static constexpr double kLookupMs = 700;

    // Starts the hook; false when it could not be installed. Steps are
    // numbered from 1 again.
    bool start(HWND notify, bool wholeScreen, StepKeys keys = {});
    // The hot keys Zelcap holds now: pressed, they are no shortcut steps.
    void setOwnKeys(const HeldHotKeys& keys);
    // Takes no more presses. The presses already taken still become ready
    // (each at most kLookupMs after its press) and are announced with
    // UWM_STEP_SHOT; stop does not wait for them.
    void stop();
    // Waits until every press taken is ready (at most kLookupMs).
    void finish();
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

    // What the window manager tells of the window at a press without asking
    // the program (class, style, texts, the title of its window, and for a
    // menu the window it belongs to); then what the program itself answers
    // within `answerMs` per question (accessibility name and role, the
    // menu item).
    static void describeQuickly(HWND under, StepTarget& target);
    static void askProgram(HWND under, POINT point, UINT answerMs, StepTarget& target);
    // What the program tells of a typing step's control: whether its
    // accessibility calls it protected (the text is then dropped) and,
    // where an input method made the text, the text the control holds;
    // false when the program did not answer.
    static bool askTyped(HWND control, UINT answerMs, keysteps::TypedStep& typed);

  private:
    static LRESULT CALLBACK hookProc(int code, WPARAM wParam, LPARAM lParam);
    void hookMain(HANDLE started);
    void lookupMain();
    void startLookups();
    void onPress(StepButton button, const MSLLHOOKSTRUCT& info);
    static LRESULT CALLBACK keyHookProc(int code, WPARAM wParam, LPARAM lParam);
    void onKey(const KBDLLHOOKSTRUCT& info, bool down);
    void onTyped(HWND focus, HWND root, const KBDLLHOOKSTRUCT& info);
    bool onShortcut(HWND root, const KBDLLHOOKSTRUCT& info);
    const keysteps::Control& controlOf(HWND focus, HWND root);
    // The typing step that ended, if any, with the window as it is now.
    void pushTyping(std::optional<keysteps::TypedStep> typed);
    // A key step's picture of `root`, numbered after the steps before it.
    void pushKeyStep(StepShot shot, HWND root);
    RECT stepRect(HWND root, POINT point) const;

    HWND notify_ = nullptr;
    bool wholeScreen_ = false;
    std::thread hookThread_, lookupThread_;
    std::atomic<DWORD> hookThreadId_{0};
    std::atomic<bool> hooked_{false};
    std::atomic<int> counter_{0};
    double floorMs_ = 0;
    // The last press, to take a double click as one step.
    StepButton lastButton_ = StepButton::left;
    POINT lastPoint_{};
    DWORD lastTime_ = 0;
    bool havePress_ = false;
    // The keyboard, on the hook thread alone but for ownKeys_.
    StepKeys keys_;
    keysteps::Typing typing_;
    keysteps::Control control_;  // the control keys went to last
    HWND typingRoot_ = nullptr;
    bool keyDown_[256] = {};     // a held key's repeats are no new shortcut
    std::mutex ownKeysMutex_;
    HeldHotKeys ownKeys_;

    // Shared with the questions' threads, which may outlive the recorder
    // while a program hangs.
    struct Sync {
        std::mutex mutex;
        std::condition_variable wake;
    };
    std::shared_ptr<Sync> sync_ = std::make_shared<Sync>();
    std::deque<StepShot> shots_;
    bool stopping_ = false;
};

extern StepRecorder stepRecorder;

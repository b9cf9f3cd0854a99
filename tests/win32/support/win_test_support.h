// Helpers for in-process Win32 tests: a private working folder, the real
// main window, a message pump with a deadline, and answers for message boxes
// and dialogs given from inside their own modal loops.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// Reads a whole file; empty when it cannot be read. `exists` tells which.
std::string ReadFileBytes(const std::string& path, bool* exists = nullptr);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// The pixel at (x, y) of the window's client area as the screen shows it
// once repainted. Wine hands a window's pixels to the X server a moment
// after painting, so the screen is read until it shows `expected` or three
// seconds have passed; the last pixel seen.
COLORREF ShownPixel(HWND window, int x, int y, COLORREF expected);
// A w x h BMP file of one colour (B, G, R bytes).
std::string SolidBmp(int w, int h, uint8_t b, uint8_t g, uint8_t r);
// The names of the files (not folders) a FindFirstFile pattern matches, in
// the order the system lists them.
std::vector<std::string> FilesMatching(const std::string& pattern);
std::string CurrentDirectory();
// A width x height 24-bit BMP file, every byte of its pixels `grey`.
std::string GreyBmp(int width, int height, char grey = '\x80');

// Makes a new empty folder under the current one and changes into it; the
// destructor changes back (the folder is left for the runner to delete).
class ScopedWorkFolder {
  public:
    ScopedWorkFolder();
    ~ScopedWorkFolder();
    const std::string& path() const { return path_; }

  private:
    std::string previous_;
    std::string path_;
};

// Pumps messages (through the program's own dispatch, accelerators included)
// until `done` returns true or the time runs out; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
// Pumps whatever is queued now.
void PumpPending();

// What a modal window looked like when it came up.
struct SeenDialog {
    std::string caption;
    std::string text;  // the message text of a message box (static 0xFFFF)
};

// Answers the modal windows that come up on this thread, in order. Each
// answer gets the dialog window and acts on it (press a button, fill in a
// field). Dialogs beyond the answers given are closed with IDCANCEL and
// counted as unexpected.
class DialogAnswerer {
  public:
    using Answer = std::function<void(HWND dialog)>;
    DialogAnswerer();
    ~DialogAnswerer();
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    void add(Answer answer);
    // Presses the button with this id (IDOK, IDYES, ...).
    void press(int buttonId);
    // Dialogs with this caption are left to close by themselves (progress
    // windows): neither answered nor counted as seen.
    void letRun(std::string caption) { running_.push_back(std::move(caption)); }

    const std::vector<SeenDialog>& seen() const { return seen_; }
    int unexpected() const { return unexpected_; }
    size_t pending() const { return answers_.size() - next_; }

  private:
    friend void InstallDialogGuard();
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    static VOID CALLBACK Fire(HWND, UINT, UINT_PTR, DWORD);
    void onDialog(HWND dialog);

    std::vector<Answer> answers_;
    std::vector<std::string> running_;
    size_t next_ = 0;
    std::vector<SeenDialog> seen_;
    int unexpected_ = 0;
};

// Watches this thread for modal windows that no DialogAnswerer expects:
// each is closed with IDCANCEL and fails the running test.
void InstallDialogGuard();

// Presses a dialog's button as a click would.
void PressButton(HWND dialog, int buttonId);

}  // namespace testsupport

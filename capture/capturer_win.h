// The capture state of the process: monitoring, the hot keys, the picture of
// the last capture and the running file number.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/win_handles_win.h"
#include "capture/capture_extras.h"
#include "capture/capture_kinds.h"
#include "capture/decorations_win.h"
#include "capture/file_naming.h"
#include "capture/monitor_layout.h"
#include "capture/step_recorder_win.h"
#include "settings/settings.h"

class History;

// What one capture did, for the shell to make its record from.
struct CaptureResult {
    // kTargetWindow or kTargetScreen once the file is on disk; 0 when the
    // capture was refused; -1 when no file was written (a failure or a
    // declined overwrite), which uses up its number too.
    int target = 0;
    int number = 0;          // the file number the capture used
    int nextNumber = 0;      // the number the next capture takes
    std::string path;        // the file written
    std::string recordPath;  // the record's image path
    std::string heading;     // the record's heading
    // The file's bytes as written, so that its picture can be shown without
    // reading the file back. The caller may take them, and give them back
    // (Capturer::reuseFileBlock) once it is done with them.
    std::vector<uint8_t> file;

    bool written() const { return target >= 1; }
};

// A new picture for the history, however it was made: the one way a hot
// key's capture, a recorded step and a comparison reach their file.
struct NewPicture {
    std::string fileName;  // in the capture folder
    // The record's image path, asked for once the file is written; none:
    // "保存先" and the name (only the name when the two do not fit).
    std::function<std::string()> recordPath;
    std::string heading;
    // The file's bytes, made in the block given (one an earlier file left);
    // false when they could not be made.
    std::function<bool(std::vector<uint8_t>&)> encode;
    // A capture's file is refused before it is opened when the grab left
    // no picture; finished bytes need none.
    bool needsPicture = false;
    int32_t target = kTargetScreen;  // CaptureResult::target once written
    // A recorded step's number, which its failure messages name with the
    // file; 0 for any other picture. A step's overwrite question comes up
    // while the user works in another program.
    int step = 0;
};

class Capturer {
  public:
    static constexpr int kPrefixSize = 64;

    // The file settings the pipeline works from, a copy the settings sheet
    // replaces at once (applySettings), so that a capture never sees half
    // of a change.
    struct FileOptions {
        int32_t confirmOverwrite = 0;
        int32_t jpegMode = 0;
        int32_t jpegQuality = 0;
        char namePrefix[kPrefixSize]{};
    };

    void reset();
    // Copies the settings the pipeline works from (start-up).
    void prime(const Settings& settings, const History& history);
    // The [Capture_Ext] group from and to the settings file.
    void loadExtras();
    bool saveExtras();
    const CaptureExtras& extras() const { return extras_; }
    // The group as the extras page or the settings sheet changed it; saved
    // by saveExtras.
    void setExtras(const CaptureExtras& extras) { extras_ = extras; }
    // The region the next "前回の範囲" capture takes.
    void keepRegion(const CaptureRegion& region) { extras_.lastRegion = region; }

    // 0 when refused (the capture folder follows a history that has no name
    // yet); otherwise registers the monitored kinds' hot keys and returns 1.
    // A key another program holds does not stop the others: it is listed
    // in hotKeyFailures. A key one of ours already holds is not: the kind
    // registered first takes it.
    int startMonitoring(HWND owner);
    void stopMonitoring(HWND owner);
    // 1 while armed.
    int32_t monitoring() const { return monitoring_; }
    const std::vector<FailedHotKey>& hotKeyFailures() const { return hotKeyFailures_; }
    // The one message about the keys of the last arming that failed; none
    // when all were registered.
    void reportHotKeyFailures(HWND owner) const;
    // The step recording key, registered whenever it is on (armed or not);
    // tells the user when another program holds it, not when an armed kind
    // of ours does.
    void registerStepKey(HWND owner);
    bool hotKeyFailed(int hotKeyId) const;
    // The refusal every new picture starts with: the capture folder follows
    // a history that has no name yet. True, after the message, when refused.
    bool refuseUntitledFolder(HWND owner);
    // The refusals every capture starts with (that one, the start number
    // beyond the maximum); true when the capture may go on. The region
    // kinds ask before the overlay.
    bool readyToCapture(HWND owner);
    // The whole screen as it is now, for the region overlay to show and the
    // region capture to cut from; null when it cannot be taken. Kept until
    // releaseFrozenScreen().
    HBITMAP freezeScreen();
    void releaseFrozenScreen();
    // The virtual screen the frozen picture shows: every monitor, its
    // corner at negative coordinates when one lies left of or above the
    // primary monitor.
    CaptureRegion frozenBounds() const;
    // The last capture's picture on the clipboard as a DIB; false (after
    // telling the user) when it could not be put there.
    bool copyToClipboard(HWND owner);
    // The last capture's picture size; false when there is no picture.
    bool pictureSize(int* width, int* height) const;
    // Forgets the last capture's picture: the next file of a capture that
    // grabs none is refused.
    void dropPicture() { image_.reset(); }
    // kTargetWindow or kTargetScreen: what the last grab took.
    int32_t lastTarget() const { return lastTarget_; }

    // What the pipeline keeps of the settings, after the settings sheet
    // changed them.
    void applySettings(const Settings& settings);
    const FileOptions& fileOptions() const { return options_; }
    void setFileOptions(const FileOptions& options) { options_ = options; }
    // The number the next capture's file takes.
    int32_t nextNumber() const { return nextNumber_; }
    void setNextNumber(int32_t number) { nextNumber_ = number; }
    // The folder the last picture was written in, without its trailing
    // backslash.
    const char* folder() const { return folder_; }

    // The pipeline for one hot key.
    CaptureResult capture(HWND owner, int hotKeyId);
    // A result's file bytes once nothing needs them any more: the next file
    // is made in their block. Fresh pages for a 6 MB BMP file cost a
    // whole-screen capture a sixth of its time under Wine.
    void reuseFileBlock(std::vector<uint8_t> spent);
    // One recorded step: its pixels with the click mark drawn in, written
    // like any capture under the next number, with the step's heading.
    CaptureResult captureStep(HWND owner, StepShot& shot, const std::string& heading);
    // A picture made elsewhere (bottom-up 24-bit rows, dibStride), of the
    // part `rect` of the screen or taller (a scrolled page), written as a
    // capture is; `step` names a step's number in its messages, 0 none.
    CaptureResult capturePicture(HWND owner, const RECT& rect, const std::vector<uint8_t>& bottomUp,
                                 const std::string& heading, int step = 0);
    // Writes a new picture in the capture folder (asking before it replaces
    // a file when the settings say so) and removes the annotations of the
    // picture it replaced. Every failure has been told when it returns.
    CaptureResult writePicture(HWND owner, const NewPicture& picture);

    // The format of the next capture's file: extras.png, else jpegMode.
    ImageFormat imageFormat() const {
        return captureImageFormat(extras_.png, options_.jpegMode != 0);
    }
    // The JPEG file's bytes in `out`; false when the picture could not be
    // read or encoded.
    bool encodeJpeg(HWND owner, int quality, std::vector<uint8_t>& out);

  private:
    // Grabs the foreground window or the screen into `image`; false when the
    // off-screen setting holds a value the pipeline does not know.
    // A window on any monitor: cut to (or kept beyond) the virtual screen,
    // which on a desktop of one monitor is the primary screen.
    bool grabWindow(HWND owner, int hotKeyId, const MonitorLayout& layout);
    void grabScreen(int hotKeyId, int screenWidth, int screenHeight);
    // Every monitor (kAllMonitorsHotKeyId) or the one under the pointer;
    // what lies on no monitor is black.
    void grabMonitors(int hotKeyId, const MonitorLayout& layout);
    // extras.lastRegion, from the frozen screen when there is one, else
    // from the screen as it is; false when the region is empty.
    bool grabRegion(const MonitorLayout& layout);
    // The display and memory DCs for a screen of this size, made at the
    // first capture and again when the screen size changes; false when
    // they cannot be made.
    bool captureDcs(int screenWidth, int screenHeight);
    // The screen point the display DC's (0, 0) shows (displayOrigin_).
    void findDisplayOrigin();
    // Paints black what of `area` (screen coordinates, the picture's
    // origin at its corner) lies on no monitor, on a desktop of several.
    void blackenUncovered(HDC picture, const CaptureRect& area, const MonitorLayout& layout);
    // `image` as a width x height bitmap: the last one when it has that
    // size, a new one otherwise.
    void prepareImage(int width, int height);
    // The writers' common opening: the picture check, the open and the
    // overwrite question. -1 when the writer must stop.
    int openTarget(HWND owner, const char* path, const NewPicture& picture, win::FileHandle& file,
                   bool* isDisk);
    // The picture's pixels as a bottom-up 24-bit block, into a block of
    // dibImageSize bytes; false when there are none.
    bool readPixels(HWND owner, int32_t width, int32_t height, uint8_t* block);
    // Names the next numbered file and writes the picture in the chosen
    // format under that heading.
    CaptureResult writeNumberedFile(HWND owner, std::string heading, int step);
    // The encoder of the picture in `format`.
    std::function<bool(std::vector<uint8_t>&)> encoderFor(HWND owner, ImageFormat format);
    // The heading of a hot key's record: the fixed one or the title.
    std::string recordHeading() const;
    // The record's image path for the file numbered `number`.
    std::string recordImagePath(int number);
    // Opens the file (asking before it replaces one), lets the picture make
    // its bytes, writes and closes it; hands the bytes to `written` on
    // success. 0, or -1 when no file was written.
    int writeFile(HWND owner, const char* path, const NewPicture& picture,
                  std::vector<uint8_t>& written);

    int32_t monitoring_ = 0;
    win::Bitmap image_;
    RECT captureRect_{};
    int32_t lastTarget_ = kTargetNone;
    FileOptions options_;
    char folder_[kPathSize]{};
    int32_t nextNumber_ = 1;
    char title_[kPathSize]{};
    CaptureExtras extras_;
    std::vector<FailedHotKey> hotKeyFailures_;

    // What this process has registered, armed kinds and the step key.
    HeldHotKeys heldKeys_;
    win::MemoryDc display_;
    win::Bitmap frozen_;
    CaptureRect frozenBounds_{};
    // The screen the last picture was cut to, which the writers derive
    // its size by.
    CaptureRect captureBounds_{};
    win::MemoryDc memory_;
    int dcScreenWidth_ = 0, dcScreenHeight_ = 0;
    POINT displayOrigin_{0, 0};
    int imageWidth_ = 0, imageHeight_ = 0;
    // The picture's pixels as a kept bottom-up block (`pixels_`); false
    // when they cannot be read. *width and *height are the picture's.
    bool readKeptPixels(HWND owner, int32_t* width, int32_t* height);

    // The JPEG and PNG writers' pixel block.
    std::vector<uint8_t> pixels_;
    // The block of a file written earlier, given back for the next file.
    std::vector<uint8_t> spareFile_;
};

extern Capturer capturer;

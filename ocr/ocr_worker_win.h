// Reads the text of pictures on one low-priority thread, one picture at a
// time, and posts each result to a window. Nothing waits for it: enqueue()
// only takes a lock around a queue push. The engine (and its models, tens of
// megabytes) is made on the worker's thread at the first picture, so a user
// who never reads text never loads it.
#pragma once

#include "base/win_handles_win.h"
#include "ocr/ocr_engine_win.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace ocr {

// A decoded picture as the worker reads it: see OcrPixels for the layout.
struct OcrPicture {
    std::vector<uint8_t> bytes;
    int width = 0;
    int height = 0;
    std::ptrdiff_t firstRowOffset = 0;  // where the top row starts in `bytes`
    std::ptrdiff_t rowStep = 0;
    int bytesPerPixel = 3;

    OcrPixels pixels() const {
        return OcrPixels{bytes.empty() ? nullptr : bytes.data() + firstRowOffset, width, height, rowStep,
                         bytesPerPixel};
    }
};

// Decodes the picture at `path` (CP932) on the worker's thread; false when
// the file cannot be read or decoded. Passed in by the shell, so that this
// folder does not depend on the one that decodes pictures.
using PictureReader = std::function<bool(const std::string& path, OcrPicture& out)>;

// What the window receives: the picture's path and what was read from it.
struct OcrPosted {
    std::string path;
    OcrOutcome outcome;
};

class OcrWorker {
  public:
    // Results go to `target` as PostedMessage() with lParam an OcrPosted*
    // that the window takes with Take(); the thread starts here.
    OcrWorker(HWND target, PictureReader reader, std::string tessdataFolder = TessdataBesideProgram());
    // stop().
    ~OcrWorker();
    OcrWorker(const OcrWorker&) = delete;
    OcrWorker& operator=(const OcrWorker&) = delete;

    // Adds a picture to the end of the queue; ignored once stopped.
    void enqueue(std::string path);
    // Pictures not yet started (the one being read is not counted).
    std::vector<std::string> pending() const;
    // Abandons the picture being read (the engine is told to cancel), drops
    // the queue and joins the thread. Called on the target window's thread,
    // it also frees the results posted and not yet received.
    void stop();

    // The registered message the results come with.
    static UINT PostedMessage();
    // Takes ownership of a posted result; call once for every such message.
    static std::unique_ptr<OcrPosted> Take(LPARAM lParam);

  private:
    static DWORD WINAPI ThreadMain(LPVOID self);
    void run();
    bool next(std::string* path);
    void readOne(OcrEngine& engine, const std::string& path);

    HWND target_;
    PictureReader reader_;
    std::string folder_;
    mutable std::mutex mutex_;
    std::deque<std::string> queue_;
    std::atomic<bool> stopping_{false};
    win::KernelHandle wake_;  // auto-reset: a picture was queued, or stop
    win::KernelHandle thread_;
};

}  // namespace ocr

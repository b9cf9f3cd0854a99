#include "ocr/ocr_worker_win.h"

#include <new>
#include <utility>

namespace ocr {

namespace {

// The engine's page layout and LSTM recurse deeper than a default thread's
// stack is sure to allow.
constexpr SIZE_T kWorkerStack = SIZE_T{8} << 20;

}  // namespace

UINT OcrWorker::PostedMessage() {
    static const UINT message = RegisterWindowMessageA("Zelcap.OcrResult");
    return message;
}

std::unique_ptr<OcrPosted> OcrWorker::Take(LPARAM lParam) {
    return std::unique_ptr<OcrPosted>(reinterpret_cast<OcrPosted*>(lParam));
}

OcrWorker::OcrWorker(HWND target, PictureReader reader, std::string tessdataFolder)
    : target_(target), reader_(std::move(reader)), folder_(std::move(tessdataFolder)),
      wake_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {
    if (!wake_)
        return;
    thread_.reset(CreateThread(nullptr, kWorkerStack, &OcrWorker::ThreadMain, this,
                               STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    // Below the window's thread and the capture road: a capture taken while a
    // page is being read gets the processor first.
    if (thread_)
        SetThreadPriority(thread_.get(), THREAD_PRIORITY_LOWEST);
}

OcrWorker::~OcrWorker() { stop(); }

void OcrWorker::enqueue(std::string path) {
    if (stopping_.load() || !thread_)
        return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(std::move(path));
    }
    SetEvent(wake_.get());
}

std::vector<std::string> OcrWorker::pending() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::vector<std::string>(queue_.begin(), queue_.end());
}

void OcrWorker::stop() {
    stopping_.store(true);
    if (thread_) {
        SetEvent(wake_.get());
        WaitForSingleObject(thread_.get(), INFINITE);
        thread_.reset();
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.clear();
    }
    // Results still in the window's queue would be lost with it; only the
    // window's own thread can remove them.
    if (target_ && GetWindowThreadProcessId(target_, nullptr) == GetCurrentThreadId()) {
        MSG msg;
        while (PeekMessageA(&msg, target_, PostedMessage(), PostedMessage(), PM_REMOVE))
            Take(msg.lParam);
    }
}

DWORD WINAPI OcrWorker::ThreadMain(LPVOID self) {
    static_cast<OcrWorker*>(self)->run();
    return 0;
}

bool OcrWorker::next(std::string* path) {
    for (;;) {
        if (stopping_.load())
            return false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!queue_.empty()) {
                *path = std::move(queue_.front());
                queue_.pop_front();
                return true;
            }
        }
        WaitForSingleObject(wake_.get(), INFINITE);
    }
}

void OcrWorker::run() {
    std::unique_ptr<OcrEngine> engine;
    std::string path;
    while (next(&path)) {
        if (!engine)
            engine = std::make_unique<OcrEngine>(folder_);
        readOne(*engine, path);
    }
}

void OcrWorker::readOne(OcrEngine& engine, const std::string& path) {
    auto posted = std::make_unique<OcrPosted>();
    posted->path = path;
    try {
        OcrPicture picture;
        if (!reader_(path, picture))
            posted->outcome = OcrOutcome{OcrStatus::Failed, "画像ファイルを読み込めませんでした。", {}};
        else
            posted->outcome = engine.recognise(picture.pixels(), &stopping_);
    } catch (const std::bad_alloc&) {
        posted->outcome = OcrOutcome{OcrStatus::OutOfMemory, OcrStatusText(OcrStatus::OutOfMemory), {}};
    } catch (...) {
        // Whatever the shell's decoder throws ends this picture, not the
        // thread (an exception out of it would end the program).
        posted->outcome = OcrOutcome{OcrStatus::Failed, OcrStatusText(OcrStatus::Failed), {}};
    }
    // A result of a stopped worker has no one left to read it.
    if (stopping_.load())
        return;
    if (PostMessageA(target_, PostedMessage(), 0, reinterpret_cast<LPARAM>(posted.get())))
        (void)posted.release();
}

}  // namespace ocr

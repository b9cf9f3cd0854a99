#include "capture/step_recorder_win.h"

#include <oleacc.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "base/app_messages_win.h"
#include "base/win_handles_win.h"
#include "base/bmp_format.h"
#include "capture/dib_win.h"
#include "capture/step_timing_win.h"

StepRecorder stepRecorder;

namespace {

// The hook procedure has no context of its own.
StepRecorder* activeRecorder = nullptr;

// A program that does not answer within this time is not asked again for
// the step: the heading then says less, but nothing waits on it.
constexpr UINT kAnswerMs = 200;

double MsBetween(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 /
           static_cast<double>(frequency.QuadPart);
}

bool OwnWindow(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId();
}

std::string TextOf(HWND window) {
    char text[256] = {};
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG | SMTO_BLOCK, kAnswerMs, &result))
        return {};
    text[sizeof text - 1] = '\0';
    return text;
}

std::string Narrow(BSTR text) {
    if (!text)
        return {};
    char out[256] = {};
    const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, out, sizeof out - 1, nullptr, nullptr);
    return n > 0 ? std::string(out) : std::string();
}

// The accessibility name and role at the point, as far as the program
// under it tells them.
void Accessible(POINT point, StepTarget& target) {
    win::ComPtr<IAccessible> accessible;
    win::Variant child;
    if (AccessibleObjectFromPoint(point, accessible.put(), child.put()) != S_OK || !accessible)
        return;
    BSTR name = nullptr;
    if (accessible->get_accName(child.get(), &name) == S_OK) {
        win::Bstr owned(name);
        target.accessibleName = Narrow(owned.get());
    }
    win::Variant role;
    if (accessible->get_accRole(child.get(), role.put()) == S_OK && role.get().vt == VT_I4)
        target.accessibleRole = role.get().lVal;
}

}  // namespace

bool StepRecorder::start(HWND notify, bool wholeScreen) {
    if (running())
        return true;
    notify_ = notify;
    wholeScreen_ = wholeScreen;
    counter_ = 0;
    havePress_ = false;
    stopping_ = false;
    hooked_ = false;
    activeRecorder = this;
    win::KernelHandle started(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!started)
        return false;
    hookThread_ = std::thread(&StepRecorder::hookMain, this, started.get());
    WaitForSingleObject(started.get(), 5000);
    if (!hooked_) {
        PostThreadMessageA(hookThreadId_, WM_QUIT, 0, 0);
        hookThread_.join();
        activeRecorder = nullptr;
        return false;
    }
    lookupThread_ = std::thread(&StepRecorder::lookupMain, this);
    return true;
}

void StepRecorder::stop() {
    if (!running())
        return;
    PostThreadMessageA(hookThreadId_, WM_QUIT, 0, 0);
    hookThread_.join();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    // The presses already taken are still looked up, so that none is lost.
    lookupThread_.join();
    activeRecorder = nullptr;
}

bool StepRecorder::take(StepShot& shot) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (shots_.empty() || !shots_.front().ready)
        return false;
    shot = std::move(shots_.front());
    shots_.pop_front();
    return true;
}

void StepRecorder::hookMain(HANDLE started) {
    hookThreadId_ = GetCurrentThreadId();
    floorMs_ = 0;
#ifdef ZELCAP_BENCH_HOOKS
    if (step_timing::Enabled()) {
        const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        std::vector<uint8_t> pixels;
        double ms[5];
        for (double& m : ms) {
            LARGE_INTEGER from, to;
            QueryPerformanceCounter(&from);
            grab(screen, pixels);
            QueryPerformanceCounter(&to);
            m = MsBetween(from, to);
        }
        std::sort(ms, ms + 5);
        floorMs_ = ms[2];
    }
#endif
    MSG message;
    PeekMessageA(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // the queue first
    win::Hook hook(SetWindowsHookExA(WH_MOUSE_LL, hookProc, GetModuleHandleA(nullptr), 0));
    hooked_ = static_cast<bool>(hook);
    SetEvent(started);
    if (!hook)
        return;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Only the press is recorded and the pixels copied: the system waits for a
// low-level hook before any program sees the click.
LRESULT CALLBACK StepRecorder::hookProc(int code, WPARAM wParam, LPARAM lParam) {
    StepRecorder* self = activeRecorder;
    if (code == HC_ACTION && self && (wParam == WM_LBUTTONDOWN || wParam == WM_RBUTTONDOWN))
        self->onPress(wParam == WM_LBUTTONDOWN ? StepButton::left : StepButton::right,
                      *reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void StepRecorder::onPress(StepButton button, const MSLLHOOKSTRUCT& info) {
    LARGE_INTEGER entered;
    QueryPerformanceCounter(&entered);
    const DWORD enteredTick = GetTickCount();
    // The second press of a double click belongs to the first one's step.
    const bool doubleClick =
        havePress_ && button == lastButton_ && info.time - lastTime_ <= GetDoubleClickTime() &&
        std::abs(info.pt.x - lastPoint_.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
        std::abs(info.pt.y - lastPoint_.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
    havePress_ = !doubleClick;
    lastButton_ = button;
    lastPoint_ = info.pt;
    lastTime_ = info.time;
    if (doubleClick)
        return;
    HWND under = WindowFromPoint(info.pt);
    HWND root = under ? GetAncestor(under, GA_ROOT) : nullptr;
    if (root && OwnWindow(root))
        return;

    StepShot shot;
    shot.point = info.pt;
    shot.under = under;
    shot.target.button = button;
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    RECT rect{0, 0, screenWidth, screenHeight};
    if (!wholeScreen_ && root) {
        RECT window{};
        GetWindowRect(root, &window);
        RECT screen = rect;
        if (!IntersectRect(&rect, &window, &screen))
            rect = screen;
    }
    shot.rect = rect;
    if (!grab(rect, shot.pixels))
        return;
    QueryPerformanceCounter(&shot.grabbedAt);
    shot.grabMs = MsBetween(entered, shot.grabbedAt);
    shot.pressToGrabMs = static_cast<double>(enteredTick - info.time) + shot.grabMs;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        shot.number = ++counter_;
        shots_.push_back(std::move(shot));
    }
    wake_.notify_all();
}

bool StepRecorder::grab(const RECT& rect, std::vector<uint8_t>& pixels) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    uint32_t size = 0;
    if (width <= 0 || height <= 0 || !dibImageSize(width, height, &size))
        return false;
    win::WindowDc screen(nullptr);
    win::MemoryDc memory(CreateCompatibleDC(screen.get()));
    BITMAPINFO info = BottomUpBgr24(width, height);
    void* bits = nullptr;
    win::Bitmap section(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!screen || !memory || !section || !bits)
        return false;
    {
        win::SelectGuard selected(memory.get(), section.get());
        if (!BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left, rect.top, SRCCOPY))
            return false;
    }
    GdiFlush();
    try {
        pixels.assign(static_cast<const uint8_t*>(bits), static_cast<const uint8_t*>(bits) + size);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void StepRecorder::lookupMain() {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    for (;;) {
        HWND under = nullptr;
        POINT point{};
        int number = 0;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            const auto pendingShot = [&] {
                for (const StepShot& s : shots_)
                    if (!s.ready)
                        return true;
                return false;
            };
            wake_.wait(lock, [&] { return stopping_ || pendingShot(); });
            if (!pendingShot())
                break;
            for (const StepShot& s : shots_)
                if (!s.ready) {
                    under = s.under;
                    point = s.point;
                    number = s.number;
                    break;
                }
        }
        StepTarget found;
        if (under) {
            char className[128] = {};
            GetClassNameA(under, className, sizeof className);
            found.className = className;
            found.style = static_cast<uint32_t>(GetWindowLongA(under, GWL_STYLE));
            HWND root = GetAncestor(under, GA_ROOT);
            DWORD_PTR answer = 0;
            // A program that hangs is asked nothing more.
            if (SendMessageTimeoutA(root, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kAnswerMs,
                                    &answer)) {
                found.text = TextOf(under);
                found.topTitle = TextOf(root);
                Accessible(point, found);
            }
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            for (StepShot& s : shots_)
                if (s.number == number) {
                    found.button = s.target.button;
                    s.target = std::move(found);
                    s.ready = true;
                    break;
                }
        }
        PostMessageA(notify_, UWM_STEP_SHOT, 0, 0);
    }
    if (SUCCEEDED(com))
        CoUninitialize();
}

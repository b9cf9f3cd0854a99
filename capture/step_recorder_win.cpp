#include "capture/step_recorder_win.h"

#include <oleacc.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <utility>

#include "base/app_messages_win.h"
#include "base/win_handles_win.h"
#include "base/bmp_format.h"
#include "capture/dib_win.h"
#include "capture/monitors_win.h"
#include "capture/step_timing_win.h"

StepRecorder stepRecorder;

namespace {

// The hook procedure has no context of its own.
StepRecorder* activeRecorder = nullptr;

// Each question to the clicked program waits at most this long; the step
// itself waits at most StepRecorder::kLookupMs in all.
constexpr UINT kAnswerMs = 500;

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

bool IsMenuWindow(HWND window) {
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    return std::strcmp(className, "#32768") == 0;
}

std::string Narrow(const wchar_t* text) {
    if (!text || !*text)
        return {};
    char out[256] = {};
    const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, out, sizeof out - 1, nullptr, nullptr);
    return n > 0 ? std::string(out) : std::string();
}

// The text the window manager keeps for a window: its title, a button's
// caption. Asks the program nothing, so it answers while the program hangs
// or is busy repainting.
std::string KeptText(HWND window) {
    wchar_t text[256] = {};
    return InternalGetWindowText(window, text, 256) > 0 ? Narrow(text) : std::string();
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

// The item of an open menu at the point. Only the menu's own program, or
// the system where menus are shared between programs, can tell it.
std::string MenuItemAt(HWND menuWindow, POINT point, UINT answerMs) {
    constexpr UINT kGetMenu = 0x01E1;  // MN_GETHMENU
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(menuWindow, kGetMenu, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, answerMs,
                             &answer) ||
        !answer)
        return {};
    HMENU menu = reinterpret_cast<HMENU>(answer);
    const int item = MenuItemFromPoint(nullptr, menu, point);
    char text[256] = {};
    if (item < 0 ||
        GetMenuStringA(menu, static_cast<UINT>(item), text, sizeof text, MF_BYPOSITION) <= 0)
        return {};
    return text;
}

}  // namespace

struct StepLookup {
    StepTarget found;  // the step's target with the program's answers
    bool done = false;
};

void StepRecorder::describeQuickly(HWND under, StepTarget& target) {
    char className[128] = {};
    GetClassNameA(under, className, sizeof className);
    target.className = className;
    target.style = static_cast<uint32_t>(GetWindowLongA(under, GWL_STYLE));
    target.text = KeptText(under);
    HWND root = GetAncestor(under, GA_ROOT);
    if (IsMenuWindow(under)) {
        // An open menu is a window of its own: the window it was opened
        // from is the one whose thread is in menu mode.
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        if (GetGUIThreadInfo(GetWindowThreadProcessId(under, nullptr), &info)) {
            // Wine names the menu itself the owner of a menu opened with
            // TrackPopupMenu; the active window is then the one.
            for (HWND owner : {info.hwndMenuOwner, info.hwndActive})
                if (owner && !IsMenuWindow(owner)) {
                    root = GetAncestor(owner, GA_ROOT);
                    break;
                }
        }
    }
    target.topTitle = root ? KeptText(root) : std::string();
}

void StepRecorder::askProgram(HWND under, POINT point, UINT answerMs, StepTarget& target) {
    DWORD_PTR answer = 0;
    // A program that hangs is asked nothing more.
    if (!SendMessageTimeoutA(GetAncestor(under, GA_ROOT), WM_NULL, 0, 0,
                             SMTO_ABORTIFHUNG | SMTO_BLOCK, answerMs, &answer))
        return;
    if (IsMenuWindow(under)) {
        // Not the accessibility at the point: the menu may have closed by
        // now, and the point would name what lay under it.
        std::string item = MenuItemAt(under, point, answerMs);
        if (!item.empty())
            target.text = std::move(item);
        return;
    }
    if (target.text.empty())
        target.text = TextOf(under);
    // A window gone since the press (a dialog closed by its button) leaves
    // another window at the point, which would give a wrong name.
    if (WindowFromPoint(point) == under)
        Accessible(point, target);
}

bool StepRecorder::start(HWND notify, bool wholeScreen) {
    if (running())
        return true;
    finish();
    notify_ = notify;
    wholeScreen_ = wholeScreen;
    counter_ = 0;
    havePress_ = false;
    {
        std::lock_guard<std::mutex> lock(sync_->mutex);
        stopping_ = false;
    }
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
    activeRecorder = nullptr;
    {
        std::lock_guard<std::mutex> lock(sync_->mutex);
        stopping_ = true;
    }
    sync_->wake.notify_all();
}

void StepRecorder::finish() {
    // The presses already taken are still looked up, so that none is lost;
    // none waits longer than kLookupMs.
    if (lookupThread_.joinable())
        lookupThread_.join();
}

bool StepRecorder::take(StepShot& shot) {
    std::lock_guard<std::mutex> lock(sync_->mutex);
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
    // A step on any monitor: the window cut to the virtual screen, or the
    // whole monitor that was clicked on (the primary screen when there is
    // one monitor).
    const MonitorLayout layout = ReadMonitorLayout();
    const int number = std::max(1, monitorAt(layout, info.pt.x, info.pt.y));
    const CaptureRect& clicked = layout.monitors[static_cast<std::size_t>(number - 1)];
    RECT rect{clicked.left, clicked.top, clicked.right, clicked.bottom};
    if (!wholeScreen_ && root) {
        RECT window{};
        GetWindowRect(root, &window);
        const RECT screen{layout.bounds.left, layout.bounds.top, layout.bounds.right,
                          layout.bounds.bottom};
        if (!IntersectRect(&rect, &window, &screen))
            rect = RECT{clicked.left, clicked.top, clicked.right, clicked.bottom};
    }
    shot.rect = rect;
    if (!grab(rect, shot.pixels))
        return;
    QueryPerformanceCounter(&shot.grabbedAt);
    shot.grabMs = MsBetween(entered, shot.grabbedAt);
    shot.pressToGrabMs = static_cast<double>(enteredTick - info.time) + shot.grabMs;
    // Before the click goes on: an open menu closes once it has it.
    if (under)
        describeQuickly(under, shot.target);
    {
        std::lock_guard<std::mutex> lock(sync_->mutex);
        shot.number = ++counter_;
        shots_.push_back(std::move(shot));
    }
    sync_->wake.notify_all();
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

// Every step not yet asked about gets a thread of its own for its
// questions. Called with the lock held.
void StepRecorder::startLookups() {
    for (StepShot& s : shots_) {
        if (s.ready || s.lookup)
            continue;
        s.lookup = std::make_shared<StepLookup>();
        if (!s.under) {
            s.lookup->done = true;
            continue;
        }
        try {
            std::thread([sync = sync_, job = s.lookup, under = s.under, point = s.point,
                         target = s.target]() mutable {
                const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
                askProgram(under, point, kAnswerMs, target);
                if (SUCCEEDED(com))
                    CoUninitialize();
                {
                    std::lock_guard<std::mutex> lock(sync->mutex);
                    job->found = std::move(target);
                    job->done = true;
                }
                sync->wake.notify_all();
            }).detach();
        } catch (const std::exception&) {
            s.lookup->done = true;  // no thread: the step keeps what is known
        }
    }
}

void StepRecorder::lookupMain() {
    std::unique_lock<std::mutex> lock(sync_->mutex);
    for (;;) {
        startLookups();
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        bool announce = false, waiting = false;
        double wait = kLookupMs;
        for (StepShot& s : shots_) {
            if (s.ready)
                continue;
            if (s.lookup->done) {
                s.target = std::move(s.lookup->found);
            } else {
                // A program that has not answered by now keeps its step
                // and every step behind it waiting no longer.
                const double left = kLookupMs - MsBetween(s.grabbedAt, now);
                if (left > 0) {
                    wait = std::min(wait, left);
                    waiting = true;
                    continue;
                }
            }
            s.lookup.reset();
            s.ready = true;
            announce = true;
        }
        if (announce)
            PostMessageA(notify_, UWM_STEP_SHOT, 0, 0);
        if (!waiting && stopping_)
            break;
        if (waiting)
            sync_->wake.wait_for(lock, std::chrono::duration<double, std::milli>(wait + 1));
        else
            sync_->wake.wait(lock);
    }
}

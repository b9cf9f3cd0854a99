#include "capture/step_recorder_win.h"

#include <imm.h>
#include <oleacc.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <cwchar>
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

// Whether the control's accessibility calls it protected: a password field
// a program draws itself, with no ES_PASSWORD to tell it.
bool Protected(HWND control) {
    win::ComPtr<IAccessible> accessible;
    if (AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                   reinterpret_cast<void**>(accessible.put())) != S_OK ||
        !accessible)
        return false;
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    win::Variant state;
    return accessible->get_accState(self, state.put()) == S_OK && state.get().vt == VT_I4 &&
           (state.get().lVal & STATE_SYSTEM_PROTECTED) != 0;
}

// Whether the input method of the control's program is open: its keys
// then make no characters of their own.
bool ImeOpen(HWND control, UINT answerMs) {
    constexpr WPARAM kGetOpenStatus = 0x0005;  // IMC_GETOPENSTATUS, not in MinGW's imm.h
    HWND ime = ImmGetDefaultIMEWnd(control);
    DWORD_PTR open = 0;
    return ime && SendMessageTimeoutA(ime, WM_IME_CONTROL, kGetOpenStatus, 0,
                                      SMTO_ABORTIFHUNG | SMTO_BLOCK, answerMs, &open) &&
           open != 0;
}

// A control's text asked as UTF-16 and made CP932 here: Wine's ANSI
// WM_GETTEXT between two programs loses the double-byte characters.
std::string WideTextOf(HWND control) {
    constexpr int kTextSize = 4096;
    std::wstring text(kTextSize, L'\0');
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXT, kTextSize, reinterpret_cast<LPARAM>(&text[0]),
                             SMTO_ABORTIFHUNG | SMTO_BLOCK, kAnswerMs, &result))
        return {};
    text.resize(std::wcslen(text.c_str()));
    if (text.empty())
        return {};
    std::string out(text.size() * 2, '\0');
    const int n = WideCharToMultiByte(932, 0, text.c_str(), static_cast<int>(text.size()), &out[0],
                                      static_cast<int>(out.size()), nullptr, nullptr);
    out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return out;
}

// The text of a control once it stays the same a moment: the program may
// not have taken the last keys yet.
std::string SettledText(HWND control) {
    std::string text = WideTextOf(control);
    for (int look = 0; look < 3; ++look) {
        Sleep(60);
        std::string again = WideTextOf(control);
        if (again == text)
            break;
        text = std::move(again);
    }
    return text;
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

// A typing step whose program did not say in time whether the control is
// protected: a control other than a standard edit is taken for a password
// field, so that what may be a password is never written.
keysteps::TypedStep Unanswered(keysteps::TypedStep typed) {
    if (!typed.control.edit) {
        typed.control.password = true;
        typed.text.clear();
    }
    return typed;
}

}  // namespace

struct StepLookup {
    StepTarget found;  // the step's target with the program's answers
    keysteps::TypedStep typed;  // a typing step's control and text, as the program tells
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

bool StepRecorder::askTyped(HWND control, UINT answerMs, keysteps::TypedStep& typed) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(GetAncestor(control, GA_ROOT), WM_NULL, 0, 0,
                             SMTO_ABORTIFHUNG | SMTO_BLOCK, answerMs, &answer))
        return false;
    if (!typed.control.password && Protected(control)) {
        typed.control.password = true;
        typed.text.clear();
    }
    if (typed.control.password || !typed.control.edit)
        return true;
    // A one-line field holds what was typed as it went in, whatever way it
    // came (an input method, characters the keys do not name); a field the
    // program emptied at Enter leaves the keys' text.
    const bool oneLine = (GetWindowLongA(control, GWL_STYLE) & ES_MULTILINE) == 0;
    if (oneLine || typed.composed || ImeOpen(control, answerMs)) {
        std::string text = SettledText(control);
        if (!text.empty())
            typed.text = std::move(text);
    }
    return true;
}

bool StepRecorder::start(HWND notify, bool wholeScreen, StepKeys keys) {
    if (running())
        return true;
    finish();
    notify_ = notify;
    wholeScreen_ = wholeScreen;
    keys_ = keys;
    typing_ = keysteps::Typing();
    control_ = keysteps::Control();
    typingRoot_ = nullptr;
    std::fill(std::begin(keyDown_), std::end(keyDown_), false);
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
    win::Hook keyHook;
    if (hook && (keys_.typing || keys_.shortcuts))
        keyHook.reset(SetWindowsHookExA(WH_KEYBOARD_LL, keyHookProc, GetModuleHandleA(nullptr), 0));
    hooked_ = hook && (keyHook || !(keys_.typing || keys_.shortcuts));
    SetEvent(started);
    if (!hooked_)
        return;
    // The typing's idle end: a thread timer, seen here without a window.
    const UINT_PTR idleTimer = keys_.typing ? SetTimer(nullptr, 0, 200, nullptr) : 0;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && !message.hwnd) {
            pushTyping(typing_.idle(GetTickCount()));
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (idleTimer)
        KillTimer(nullptr, idleTimer);
    // Keys typed up to the end of the recording are a step too.
    pushTyping(typing_.end());
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
    // A click takes the focus away from the control typed into: its
    // step, with the picture before the click goes on.
    if (typing_.gathering())
        pushTyping(typing_.end());
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
    shot.rect = stepRect(root, info.pt);
    if (!grab(shot.rect, shot.pixels))
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

// A step on any monitor: the window cut to the virtual screen, or the
// whole monitor of the point (the primary screen when there is one
// monitor).
RECT StepRecorder::stepRect(HWND root, POINT point) const {
    const MonitorLayout layout = ReadMonitorLayout();
    const int number = std::max(1, monitorAt(layout, point.x, point.y));
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
    return rect;
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
        s.lookup->typed = s.typed;
        if (!s.under) {
            // A key step was described on the hook thread.
            if (s.kind != StepKind::click)
                s.lookup->found = s.target;
            s.lookup->done = true;
            continue;
        }
        try {
            std::thread([sync = sync_, job = s.lookup, under = s.under, point = s.point,
                         target = s.target, typing = s.kind == StepKind::typing,
                         typed = s.typed]() mutable {
                const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
                if (!typing)
                    askProgram(under, point, kAnswerMs, target);
                else if (!askTyped(under, kAnswerMs, typed))
                    typed = Unanswered(std::move(typed));
                if (SUCCEEDED(com))
                    CoUninitialize();
                {
                    std::lock_guard<std::mutex> lock(sync->mutex);
                    job->found = std::move(target);
                    job->typed = std::move(typed);
                    job->done = true;
                }
                sync->wake.notify_all();
            }).detach();
        } catch (const std::exception&) {
            s.lookup->typed = Unanswered(std::move(s.lookup->typed));
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
                if (s.kind == StepKind::typing)
                    s.typed = std::move(s.lookup->typed);
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
            if (!s.lookup->done && s.kind == StepKind::typing)
                s.typed = Unanswered(std::move(s.typed));
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

// ---- the keyboard ----

void StepRecorder::setOwnKeys(const HeldHotKeys& keys) {
    std::lock_guard<std::mutex> lock(ownKeysMutex_);
    ownKeys_ = keys;
}

LRESULT CALLBACK StepRecorder::keyHookProc(int code, WPARAM wParam, LPARAM lParam) {
    StepRecorder* self = activeRecorder;
    if (code == HC_ACTION && self) {
        const bool down = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN;
        if (down || wParam == WM_KEYUP || wParam == WM_SYSKEYUP)
            self->onKey(*reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam), down);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

namespace {

bool Held(int virtualKey) {
    return (GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}

// The label a dialog puts before a field: the static text just before it
// in the z-order, as the window manager keeps it.
std::string LabelOf(HWND control) {
    HWND before = GetWindow(control, GW_HWNDPREV);
    char className[16] = {};
    if (!before || !GetClassNameA(before, className, sizeof className) ||
        CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, className, -1, "Static", -1) !=
            CSTR_EQUAL)
        return {};
    std::string name = stepName(KeptText(before));
    for (const char* colon : {"：", ":"}) {
        const std::size_t n = std::strlen(colon);
        if (name.size() >= n && name.compare(name.size() - n, n, colon) == 0)
            name.erase(name.size() - n);
    }
    return name;
}

// A standard edit control, one of the rich edit controls too.
bool IsEdit(HWND control) {
    char className[32] = {};
    GetClassNameA(control, className, sizeof className);
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, className, -1, "Edit", -1) ==
               CSTR_EQUAL ||
           CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, className, 8, "RichEdit", 8) ==
               CSTR_EQUAL;
}

// The character a key gives in the layout of the program it goes to, as
// CP932 bytes; empty for a key that types nothing.
std::string CharacterOf(const KBDLLHOOKSTRUCT& info, HWND root) {
    BYTE state[256] = {};
    for (int vk : {VK_SHIFT, VK_LSHIFT, VK_RSHIFT})
        if (Held(vk))
            state[vk] = 0x80;
    if (GetKeyState(VK_CAPITAL) & 1)
        state[VK_CAPITAL] = 1;
    const HKL layout = GetKeyboardLayout(GetWindowThreadProcessId(root, nullptr));
    wchar_t typed[8] = {};
    const int n = ToUnicodeEx(info.vkCode, info.scanCode, state, typed, 7, 0, layout);
    if (n <= 0 || typed[0] < 0x20 || typed[0] == 0x7F)
        return {};
    char bytes[16] = {};
    const int length =
        WideCharToMultiByte(932, 0, typed, n, bytes, sizeof bytes - 1, nullptr, nullptr);
    return length > 0 ? std::string(bytes, static_cast<std::size_t>(length)) : std::string();
}

}  // namespace

void StepRecorder::onKey(const KBDLLHOOKSTRUCT& info, bool down) {
    const DWORD vk = info.vkCode & 0xFF;
    const bool repeat = down && keyDown_[vk];
    keyDown_[vk] = down;
    if (!down)
        return;
    // Keys with no window in front (Wine's desktop, when a window got the
    // X focus without being activated) go to no control that can be named.
    HWND root = GetForegroundWindow();
    if (!root || root == GetDesktopWindow() || OwnWindow(root))
        return;
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    HWND focus = GetGUIThreadInfo(GetWindowThreadProcessId(root, nullptr), &thread) &&
                         thread.hwndFocus
                     ? thread.hwndFocus
                     : root;
    if (keys_.shortcuts && !repeat && onShortcut(root, info))
        return;
    if (keys_.typing)
        onTyped(focus, root, info);
}

// True when the key was a shortcut (a step, or one of Zelcap's own keys).
bool StepRecorder::onShortcut(HWND root, const KBDLLHOOKSTRUCT& info) {
    keysteps::Keys keys;
    keys.ctrl = Held(VK_CONTROL);
    keys.alt = Held(VK_MENU) || (info.flags & LLKHF_ALTDOWN) != 0;
    keys.shift = Held(VK_SHIFT);
    keys.win = Held(VK_LWIN) || Held(VK_RWIN);
    keys.virtualKey = info.vkCode;
    char systemName[64] = {};
    const LONG scan = static_cast<LONG>(((info.scanCode & 0xFF) << 16) |
                                        ((info.flags & LLKHF_EXTENDED) ? (1 << 24) : 0));
    GetKeyNameTextA(scan, systemName, sizeof systemName);
    const std::string name = keysteps::shortcutName(keys, systemName);
    if (name.empty())
        return false;
    {
        const int32_t flags = (keys.shift ? 0x01 : 0) | (keys.ctrl ? 0x02 : 0) | (keys.alt ? 0x04 : 0);
        std::lock_guard<std::mutex> lock(ownKeysMutex_);
        if (!keys.win && ownKeys_.holds(flags, static_cast<int32_t>(info.vkCode)))
            return true;
    }
    pushTyping(typing_.end());
    StepShot shot;
    shot.kind = StepKind::shortcut;
    shot.shortcut = name;
    shot.target.topTitle = KeptText(root);
    pushKeyStep(std::move(shot), root);
    return true;
}

void StepRecorder::onTyped(HWND focus, HWND root, const KBDLLHOOKSTRUCT& info) {
    if (Held(VK_CONTROL) || Held(VK_MENU) || Held(VK_LWIN) || Held(VK_RWIN))
        return;
    if (info.vkCode == VK_RETURN || info.vkCode == VK_TAB) {
        pushTyping(typing_.end());
        return;
    }
    const std::string character = info.vkCode == VK_BACK ? "\b" : CharacterOf(info, root);
    // A key an input method took, or a character sent as a packet, names
    // no character here: the control's text tells it at the step's end.
    const bool composed = info.vkCode == VK_PROCESSKEY || info.vkCode == VK_PACKET;
    if (character.empty() && !composed)
        return;
    // A key for another control ends the step of the one before, whose
    // picture is the screen as it is now.
    const keysteps::Control& control = controlOf(focus, root);
    pushTyping(character.empty() ? typing_.compose(control, info.time)
                                 : typing_.type(control, character, info.time));
    typingRoot_ = root;
}

const keysteps::Control& StepRecorder::controlOf(HWND focus, HWND root) {
    const uintptr_t window = reinterpret_cast<uintptr_t>(focus);
    if (control_.window != window) {
        control_.window = window;
        control_.name = LabelOf(focus);
        control_.topTitle = KeptText(root);
        control_.edit = IsEdit(focus);
        control_.password = control_.edit && (GetWindowLongA(focus, GWL_STYLE) & ES_PASSWORD) != 0;
    }
    return control_;
}

void StepRecorder::pushTyping(std::optional<keysteps::TypedStep> typed) {
    if (!typed)
        return;
    StepShot shot;
    shot.kind = StepKind::typing;
    shot.under = reinterpret_cast<HWND>(typed->control.window);  // asked as a click is
    shot.target.topTitle = typed->control.topTitle;
    shot.typed = std::move(*typed);
    HWND root = typingRoot_ && IsWindow(typingRoot_) ? typingRoot_ : GetForegroundWindow();
    pushKeyStep(std::move(shot), root);
}

void StepRecorder::pushKeyStep(StepShot shot, HWND root) {
    RECT window{};
    if (root)
        GetWindowRect(root, &window);
    shot.point = POINT{(window.left + window.right) / 2, (window.top + window.bottom) / 2};
    shot.rect = stepRect(root, shot.point);
    if (!grab(shot.rect, shot.pixels))
        return;
    QueryPerformanceCounter(&shot.grabbedAt);
    {
        std::lock_guard<std::mutex> lock(sync_->mutex);
        shot.number = ++counter_;
        shots_.push_back(std::move(shot));
    }
    sync_->wake.notify_all();
}

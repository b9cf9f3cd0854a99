// The keyboard's steps as the recorder takes them from another program:
// typed text gathered per field, a password's never kept, shortcut keys as
// steps of their own and Zelcap's own hot keys as none.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture/key_steps.h"
#include "capture/step_recorder_win.h"
#include "settings/settings.h"
#include "tests/win32/support/win_test_support.h"

namespace {

using testsupport::PumpUntil;

// key_target.exe, built beside this test, until the test ends.
struct KeyTarget {
    PROCESS_INFORMATION process{};
    HWND window = nullptr;

    KeyTarget() {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string program(path);
        program = program.substr(0, program.find_last_of('\\') + 1) + "key_target.exe";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessA(program.c_str(), nullptr, nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                            nullptr, nullptr, &startup, &process))
            return;
        PumpUntil([&] { return (window = FindWindowA("ZelcapKeyTarget", nullptr)) != nullptr; });
        PumpUntil([&] { return IsWindowVisible(window) != FALSE; });
    }
    ~KeyTarget() {
        if (process.hProcess) {
            TerminateProcess(process.hProcess, 0);
            WaitForSingleObject(process.hProcess, 5000);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
    }
    std::string field(int index) const {
        HWND edit = FindWindowExA(window, nullptr, "Edit", nullptr);
        if (index == 1)
            edit = FindWindowExA(window, edit, "Edit", nullptr);
        char text[64] = {};
        DWORD_PTR result = 0;
        SendMessageTimeoutA(edit, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                            SMTO_ABORTIFHUNG, 1000, &result);
        return text;
    }
};

void Press(std::vector<WORD> keys) {
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = key;
        inputs.push_back(in);
    }
    for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = *it;
        in.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(in);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    PumpUntil([] { return false; }, 30);
}

void Type(const char* letters) {
    for (const char* c = letters; *c; ++c)
        Press({static_cast<WORD>(*c >= 'a' && *c <= 'z' ? *c - 'a' + 'A' : *c)});
}

void TypeCharacter(wchar_t character) {
    INPUT in[2] = {};
    for (INPUT& i : in) {
        i.type = INPUT_KEYBOARD;
        i.ki.wScan = character;
        i.ki.dwFlags = KEYEVENTF_UNICODE;
    }
    in[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
    PumpUntil([] { return false; }, 30);
}

std::string HeadingOf(const StepShot& shot) {
    if (shot.kind == StepKind::typing)
        return keysteps::typingHeading(shot.typed, kCommentSize - 1);
    if (shot.kind == StepKind::shortcut)
        return keysteps::shortcutHeading(shot.shortcut, shot.target.topTitle, kCommentSize - 1);
    return stepHeading(shot.target, kCommentSize - 1);
}

TEST(KeySteps, TypingPasswordsAndShortcutsAsTheRecorderTakesThem) {
    KeyTarget target;
    ASSERT_NE(target.window, nullptr);
    SetForegroundWindow(target.window);
    PumpUntil([&] { return GetForegroundWindow() == target.window; });
    // Wine activates the window again at its first key, whose focus moves
    // through the window itself: a key that types nothing goes first.
    Press({VK_SHIFT});
    HWND first = nullptr;
    ASSERT_TRUE(PumpUntil([&] {
        first = FindWindowExA(target.window, nullptr, "Edit", nullptr);
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(GetWindowThreadProcessId(target.window, nullptr), &info) &&
               info.hwndFocus == first;
    }));
    HWND notify =
        CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    StepRecorder recorder;
    HeldHotKeys own;
    own.add(112, 0x03, 'T');  // the step key, Ctrl+Shift+T
    recorder.setOwnKeys(own);
    ASSERT_TRUE(recorder.start(notify, false, StepKeys{true, true}));

    Type("yamadx");
    Press({VK_BACK});
    Type("a");
    Press({VK_TAB});
    const std::string name = target.field(0);
    Type("secret7");
    Press({VK_CONTROL, VK_SHIFT, 'T'});  // Zelcap's own: no step
    Press({VK_CONTROL, 'S'});            // ends the password's typing first
    Press({VK_F5});
    Press({VK_SHIFT, VK_TAB});
    // A character sent as a packet (as an input method's or an on-screen
    // keyboard's come) names no key: the field's text tells it.
    TypeCharacter(L'山');
    // No key for longer than the idle time: the step ends by itself.
    PumpUntil([] { return false; }, keysteps::kIdleMs + 600);
    const int beforeStop = recorder.taken();
    recorder.stop();
    recorder.finish();
    EXPECT_EQ(name, "yamada");  // the keys did reach the program
    EXPECT_EQ(target.field(1), "secret7");

    std::vector<StepShot> shots;
    PumpUntil([&] {
        StepShot shot;
        while (recorder.take(shot))
            shots.push_back(std::move(shot));
        return shots.size() >= 5;
    });
    EXPECT_EQ(beforeStop, 5);
    const char* const expected[] = {
        "「氏名」に「yamada」と入力 (入力テスト)", "「パスワード」にパスワードを入力 (入力テスト)",
        "「Ctrl+S」を押す (入力テスト)",           "「F5」を押す (入力テスト)",
        "「氏名」に「山」と入力 (入力テスト)",
    };
    std::string headings;
    for (const StepShot& shot : shots)
        headings += HeadingOf(shot) + "\n";
    ASSERT_EQ(shots.size(), std::size(expected)) << headings;
    for (std::size_t i = 0; i < shots.size(); ++i) {
        EXPECT_EQ(HeadingOf(shots[i]), expected[i]) << i;
        EXPECT_EQ(shots[i].number, static_cast<int>(i) + 1);
        EXPECT_FALSE(shots[i].pixels.empty()) << i;
        EXPECT_EQ(HeadingOf(shots[i]).find("secret"), std::string::npos);
    }
    EXPECT_EQ(shots[0].typed.text, "yamada");
    EXPECT_TRUE(shots[1].typed.control.password);
    EXPECT_TRUE(shots[1].typed.text.empty());
    DestroyWindow(notify);
}

}  // namespace

namespace {

// What the program of key_target.exe tells of a typing step's control.
TEST(KeySteps, TheProgramTellsAProtectedFieldAndTheTextAFieldHolds) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    KeyTarget target;
    ASSERT_TRUE(target.window);
    HWND secret = nullptr;  // the last field made
    PumpUntil([&] {
        return (secret = FindWindowExA(target.window, nullptr, "ZelcapProtectedField", nullptr));
    });
    HWND name = FindWindowExA(target.window, nullptr, "Edit", nullptr);
    HWND password = FindWindowExA(target.window, name, "Edit", nullptr);
    ASSERT_TRUE(name && password && secret);
    struct Case {
        const char* what;
        HWND control;
        const wchar_t* holds;  // the field's text, set first (nullptr: left as it is)
        keysteps::Control asked;
        bool password;
        std::string text;
    } const cases[] = {
        {"a field's own text, Japanese too", name, L"山田 太郎", {0, "氏名", "", false, true}, false,
         "\x8E\x52\x93\x63\x20\x91\xBE\x98\x59"},
        {"a field emptied at Enter keeps the keys", name, L"", {0, "氏名", "", false, true}, false,
         "keys"},
        {"a password edit", password, nullptr, {0, "パスワード", "", true, true}, true, ""},
        {"a field protected by its accessibility", secret, nullptr, {0, "暗証番号", "", false, false},
         true, ""},
    };
    for (const Case& c : cases) {
        if (c.holds) {
            DWORD_PTR result = 0;
            SendMessageTimeoutW(c.control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.holds),
                                SMTO_ABORTIFHUNG, 1000, &result);
        }
        keysteps::TypedStep typed{c.asked, c.asked.password ? "" : "keys"};
        EXPECT_TRUE(StepRecorder::askTyped(c.control, 1000, typed)) << c.what;
        EXPECT_EQ(typed.control.password, c.password) << c.what;
        EXPECT_EQ(typed.text, c.text) << c.what;
    }
    if (SUCCEEDED(com))
        CoUninitialize();
}

}  // namespace

// The main window's side of a scripted call, sent to the real window as the
// client sends it: the busy answer while a dialog of its thread is open
// (owned by the window or by none) or a capture is under way, a request
// that fails the checks, and the messages a scripted command keeps instead
// of showing, which come back in the answer.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/capture_road_win.h"
#include "app/script_host_win.h"
#include "base/app_state_win.h"
#include "base/message_box_win.h"
#include "capture/capture_extras.h"
#include "capture/capture_kinds.h"
#include "capture/capturer_win.h"
#include "history/history.h"
#include "script/script_call.h"
#include "settings/settings_store.h"
#include "tests/win32/support/capture_fixture.h"
#include "tests/win32/support/main_window_fixture.h"

using testsupport::DialogAnswerer;

namespace {

// The caller's window, as the client's hidden one: it keeps the answer.
std::string answer;
int answers = 0;

LRESULT CALLBACK CallerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (data && data->dwData == script::kAnswerTag && data->lpData) {
            answer.assign(static_cast<const char*>(data->lpData), data->cbData);
            ++answers;
        }
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

script::Command CaptureOf(int kind) {
    script::Command c;
    c.verb = script::Verb::capture;
    c.kind = kind;
    return c;
}

class ScriptHostTest : public testsupport::MainWindowFixture {
  protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        std::snprintf(settingsStore.settings.saveFolder, kPathSize, "%s",
                      InFolder("スクリプト表").c_str());
        CreateDirectoryA(settingsStore.settings.saveFolder, nullptr);
        capturer.prime(settingsStore.settings, history);
        WNDCLASSA wc{};
        wc.lpfnWndProc = CallerProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "ScriptHostCaller";
        RegisterClassA(&wc);
        caller_ = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                wc.hInstance, nullptr);
        ASSERT_NE(caller_, nullptr);
        script_host::Ready();
    }
    void TearDown() override {
        DestroyWindow(caller_);
        MainWindowFixture::TearDown();
    }

    // Sends the bytes as the client does; the window's return value.
    LRESULT SendBytes(const std::string& bytes) {
        answer.clear();
        answers = 0;
        COPYDATASTRUCT data{script::kRequestTag, static_cast<DWORD>(bytes.size()),
                            const_cast<char*>(bytes.data())};
        return SendMessageA(window_, WM_COPYDATA, reinterpret_cast<WPARAM>(caller_),
                            reinterpret_cast<LPARAM>(&data));
    }
    LRESULT Send(const std::vector<script::Command>& commands) {
        return SendBytes(script::encodeRequest(commands));
    }

    HWND caller_ = nullptr;
};

constexpr LRESULT kBusy = static_cast<LRESULT>(script::Outcome::busy);
const char kBusyJson[] =
    u8"{\"ok\":false,\"error\":\"busy\",\"message\":\"Zelcap でダイアログが開いているか、"
    u8"キャプチャーの途中です。\"}";

// A message box of ours is open: the window owning it is disabled, but one
// without an owner leaves the main window enabled, and only the thread's
// visible dialogs tell. Either way nothing runs.
TEST_F(ScriptHostTest, AnOpenDialogAnswersBusyAndRunsNothing) {
    const HWND owners[] = {window_, nullptr};
    for (HWND owner : owners) {
        DialogAnswerer boxes;
        LRESULT code = 0;
        bool mainEnabled = false;
        boxes.add([&](HWND box) {
            mainEnabled = IsWindowEnabled(window_) != FALSE;
            code = Send({CaptureOf(1)});
            testsupport::PressButton(box, IDOK);
        });
        ShowMessage(owner, "確認", "テスト", MB_OK);
        EXPECT_EQ(boxes.pending(), 0u);
        EXPECT_EQ(code, kBusy) << (owner ? "owned" : "no owner");
        EXPECT_EQ(answer, kBusyJson);
        EXPECT_EQ(mainEnabled, owner != window_);
    }
    EXPECT_EQ(history.count, 0);
}

// A capture under way holds the road: the busy flag of a capture whose
// message is up, or a delay counting down. Once it is over the same
// request is taken.
TEST_F(ScriptHostTest, ACaptureUnderWayAnswersBusyUntilItEnds) {
    {
        CaptureBusyScope capturing;
        EXPECT_EQ(Send({CaptureOf(1)}), kBusy);
        EXPECT_EQ(answer, kBusyJson);
    }
    testsupport::EditExtras([](CaptureExtras& e) { e.delaySeconds = 5; });
    capture_road::OnHotKey(window_, kFirstHotKeyId + 1, 0);
    ASSERT_TRUE(capture_road::CaptureInProgress());
    EXPECT_EQ(Send({CaptureOf(1)}), kBusy);
    capture_road::CancelPendingCapture(window_);
    testsupport::EditExtras([](CaptureExtras& e) { e.delaySeconds = 0; });
    EXPECT_EQ(history.count, 0);

    EXPECT_EQ(Send({CaptureOf(1)}), 0) << answer;
    EXPECT_EQ(history.count, 1);
    EXPECT_NE(answer.find("\"ok\":true"), std::string::npos) << answer;
}

// The window checks what it receives, which any program of the user may
// send: a bad request does nothing and says why; one of another kind of
// message is not answered at all.
TEST_F(ScriptHostTest, ARequestThatFailsTheChecksRunsNothing) {
    script::Command headingUnmarked = CaptureOf(1);
    headingUnmarked.heading = "見出し";  // hasHeading not set
    script::Command relativeText = CaptureOf(1);
    relativeText.textFile = "説明.txt";
    script::Command quitWithPath;
    quitWithPath.verb = script::Verb::quit;
    quitWithPath.path = "C:\\x";
    const std::string good = script::encodeRequest({CaptureOf(1)});
    const std::string bad[] = {
        script::encodeRequest({CaptureOf(1), headingUnmarked}),  // the good one does not run either
        script::encodeRequest({relativeText}),
        script::encodeRequest({quitWithPath}),
        good.substr(0, good.size() - 1),
        std::string(),
    };
    for (const std::string& bytes : bad) {
        EXPECT_EQ(SendBytes(bytes), static_cast<LRESULT>(script::Outcome::badArgument));
        EXPECT_EQ(answers, 1);
        EXPECT_NE(answer.find("\"error\":\"bad-argument\""), std::string::npos) << answer;
    }
    COPYDATASTRUCT other{0x1234, static_cast<DWORD>(good.size()), const_cast<char*>(good.data())};
    answers = 0;
    EXPECT_EQ(SendMessageA(window_, WM_COPYDATA, reinterpret_cast<WPARAM>(caller_),
                           reinterpret_cast<LPARAM>(&other)),
              0);
    EXPECT_EQ(answers, 0);
    EXPECT_EQ(history.count, 0);
    EXPECT_TRUE(IsWindow(window_));
}

// What the hot key would have told the user in a message box is kept: no
// box comes up (the dialog guard fails the test if one does), the answer
// carries the text, and the road is free again for the next command and
// the next call.
TEST_F(ScriptHostTest, AScriptedCallKeepsItsMessagesAndFreesTheRoad) {
    testsupport::EditExtras([](CaptureExtras& e) { e.lastRegion = {}; });
    DialogAnswerer boxes;  // none expected
    EXPECT_EQ(Send({CaptureOf(script::kLastRegionKind)}),
              static_cast<LRESULT>(script::Outcome::refused));
    EXPECT_EQ(answer,
              u8"{\"ok\":false,\"error\":\"refused\",\"message\":\"前回の範囲がありません。"
              u8"先に範囲指定キャプチャーを行ってください。\",\"command\":\"capture\"}");
    EXPECT_TRUE(boxes.seen().empty());
    EXPECT_EQ(boxes.unexpected(), 0);
    EXPECT_FALSE(capture_road::CaptureInProgress());
    EXPECT_FALSE(KeepMessages::active());

    // Outside a call the same command shows its message.
    boxes.press(IDOK);
    SendMessageA(window_, WM_HOTKEY, kRepeatRegionHotKeyId, 0);
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_EQ(boxes.seen()[0].text,
              "前回の範囲がありません。先に範囲指定キャプチャーを行ってください。");

    EXPECT_EQ(Send({CaptureOf(1), CaptureOf(1)}), 0) << answer;
    EXPECT_EQ(history.count, 2);
}

}  // namespace

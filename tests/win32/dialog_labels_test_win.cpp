// The labels of the dialogs Zelcap adds must be whole under Wine's Japanese
// fonts, which are wider than Windows' own: Wine neither shrinks nor wraps a
// label without blanks, it cuts it off at the control's edge.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/cp932.h"
#include "resources/annotation_ids.h"
#include "resources/capture_extras_ids.h"
#include "resources/case_dialog_ids.h"
#include "resources/evidence_ids.h"
#include "resources/excel_ids.h"
#include "resources/ocr_ids.h"
#include "resources/find_ids.h"
#include "resources/stamp_ids.h"

namespace {

INT_PTR CALLBACK Inert(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// Room the control leaves for its text, in pixels of its client area.
int TextRoom(HWND control, const RECT& client) {
    char kind[32] = {};
    GetClassNameA(control, kind, sizeof kind);
    const int width = client.right - client.left;
    if (lstrcmpiA(kind, "Button") != 0)
        return width;
    switch (GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            // The box and the gap after it, as Wine's button draws them.
            return width - GetSystemMetrics(SM_CXMENUCHECK) - 4;
        case BS_GROUPBOX:
            return width - 16;  // the frame's corner before and after the caption
        default:
            return width - 6;  // the push button's edge
    }
}

std::string Size(const RECT& r) {
    return std::to_string(r.right - r.left) + " x " + std::to_string(r.bottom - r.top);
}

// A label of several lines on one line of the report.
std::string Printable(const char* text) {
    std::string line;
    const size_t length = std::strlen(text);
    for (size_t i = 0; i < length;) {
        const size_t n = cp932::charLength(text, length, i);
        if (n == 1 && text[i] == '\n')
            line += "\\n";
        else if (n == 2 || text[i] != '\r')
            line.append(text + i, n);
        i += n;
    }
    return line;
}

// "label (needs N px, has M)" for each label cut off: a one-line label too
// wide, a label of several lines too wide or too high.
std::string CutLabels(HWND dialog) {
    std::string cut;
    for (HWND control = GetWindow(dialog, GW_CHILD); control != nullptr;
         control = GetWindow(control, GW_HWNDNEXT)) {
        char kind[32] = {};
        GetClassNameA(control, kind, sizeof kind);
        if ((lstrcmpiA(kind, "Static") != 0 && lstrcmpiA(kind, "Button") != 0) ||
            !(GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE))
            continue;
        char text[256] = {};
        GetWindowTextA(control, text, sizeof text);
        if (text[0] == '\0')
            continue;
        RECT client{};
        GetClientRect(control, &client);
        HDC dc = GetDC(control);
        const HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
        RECT needed{};
        DrawTextA(dc, text, -1, &needed, DT_CALCRECT | DT_SINGLELINE);
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc, &metrics);
        // A label two lines high wraps as the static draws it: at its line
        // breaks and blanks, and inside a word too long for a line. All of
        // its lines must fit its height.
        const bool wraps = lstrcmpiA(kind, "Static") == 0 && client.bottom >= 2 * metrics.tmHeight;
        RECT wrapped{0, 0, client.right, 0};
        if (wraps)
            DrawTextA(dc, text, -1, &wrapped, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
        SelectObject(dc, old);
        ReleaseDC(control, dc);
        if (wraps) {
            if (wrapped.right > client.right || wrapped.bottom > client.bottom)
                cut += Printable(text) + " (needs " + Size(wrapped) + " px, has " + Size(client) +
                       ")\n";
            continue;
        }
        const int room = TextRoom(control, client);
        if (needed.right > room)
            cut += std::string(text) + " (needs " + std::to_string(needed.right) + " px, has " +
                   std::to_string(room) + ")\n";
    }
    return cut;
}

TEST(DialogLabels, OurDialogsShowEveryLabelWhole) {
    // The settings page is a child; it needs a parent to be made.
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 600, 600, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    const struct {
        int id;
        const char* name;
    } dialogs[] = {{IDD_EXCEL_OPTIONS, "Excel出力"},
                   {IDD_SHEET_CAPTURE_EXTRAS, "拡張キャプチャー"},
                   {IDD_ANNOTATION_TEXT, "文字"},
                   {IDD_EVIDENCE_VERIFY, "証跡の検証"},
                   {IDD_EVIDENCE_PROGRESS, "証跡を確かめています"},
                   {IDD_STAMP_SETTINGS, "スタンプの設定"},
                   {IDD_FIND, "検索"},
                   {IDD_TEST_CASE, "テストケース"},
                   {IDD_OCR_SETTINGS, "文字読み取りの設定"},
                   {IDD_OCR_PROGRESS, "文字を読み取っています"}};
    for (const auto& d : dialogs) {
        HWND dialog =
            CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(d.id), parent, Inert, 0);
        ASSERT_NE(dialog, nullptr) << d.name;
        EXPECT_EQ(CutLabels(dialog), "") << d.name;
        DestroyWindow(dialog);
    }
    DestroyWindow(parent);
}

}  // namespace

// The test cases on the real main window: the テストケース dialog over
// several records (the fields they share shown, the others left as each
// record has them), F4 / Shift+F4 on the selection through the main loop's
// keys, an NG verdict painted red, the case columns' widths kept in
// [TestCase] without a byte of [Window] changing, and hot-key captures
// filed under the current case with their 手順 numbered.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/main_window_win.h"
#include "capture/capturer_win.h"
#include "capture/settings_sheet_win.h"
#include "history/case_dialog_rules.h"
#include "history/history.h"
#include "history/history_list_win.h"
#include "resources/capture_extras_ids.h"
#include "resources/case_dialog_ids.h"
#include "resources/resource_ids.h"
#include "settings/case_settings.h"
#include "settings/settings_files_win.h"
#include "settings/settings_store.h"
#include "tests/win32/support/main_window_fixture.h"

using testcase::TestCase;
using testcase::Verdict;
using testsupport::DialogAnswerer;
using testsupport::ReadFileBytes;

namespace {

CaseSettings LoadCase() {
    Win32SettingsFiles files;
    return case_settings::load(files, settingsStore.iniPath);
}

void SaveCase(const CaseSettings& s) {
    Win32SettingsFiles files;
    ASSERT_TRUE(case_settings::save(files, settingsStore.iniPath, s));
}

// Whether a label's text, wrapped as the static draws it, fits the label.
bool LabelFits(HWND label) {
    char text[512] = {};
    GetWindowTextA(label, text, sizeof text);
    RECT client{};
    GetClientRect(label, &client);
    HDC dc = GetDC(label);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)));
    RECT needed{0, 0, client.right, 0};
    DrawTextA(dc, text, -1, &needed, DT_CALCRECT | DT_WORDBREAK);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    return text[0] != '\0' && needed.right <= client.right && needed.bottom <= client.bottom;
}

std::string ItemText(HWND dialog, int id) {
    char text[512] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

// The lines of one [group] of an INI text, its heading included.
std::string Group(const std::string& ini, const std::string& name) {
    const std::string heading = "[" + name + "]";
    const size_t at = ini.find(heading);
    if (at == std::string::npos)
        return {};
    const size_t end = ini.find("\n[", at + heading.size());
    std::string group = ini.substr(at, end == std::string::npos ? std::string::npos : end + 1 - at);
    // The blank line before a group that follows is the file's, not the group's.
    while (!group.empty() && (group.back() == '\n' || group.back() == '\r'))
        group.pop_back();
    return group;
}

class CaseEditingTest : public testsupport::MainWindowFixture {
  protected:
    void PrepareSettings() override {
        folder = folder_->path() + "\\試験 画像";
        CreateDirectoryA(folder.c_str(), nullptr);
        std::snprintf(settingsStore.settings.saveFolder, kPathSize, "%s", folder.c_str());
        settingsStore.settings.folderOption = 0;
    }
    void SetUp() override {
        MainWindowFixture::SetUp();
        capturer.prime(settingsStore.settings, history);
    }
    // A whole-screen capture, as the hot key of kind 1 sends it.
    void HotKey() { SendMessageA(window_, WM_HOTKEY, 103, 0); }
    HWND List() const { return historyList.window; }
    void Select(std::initializer_list<int> rows) {
        LVITEMA none{};
        none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&none));
        for (int row : rows) {
            LVITEMA on{};
            on.state = on.stateMask = LVIS_SELECTED;
            SendMessageA(List(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&on));
        }
    }
    std::string Cell(int row, int column) const {
        char text[256] = {};
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(List(), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        return text;
    }
    const TestCase* CaseOf(int record) const {
        return history.cases.find(history.records[record].id);
    }
    // Runs what is queued through the main loop's own dispatch, keys and all.
    void PumpKeys() {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchAppMessage(window_, accelerators_, message);
    }
    void PressF4(bool shift) {
        BYTE state[256];
        GetKeyboardState(state);
        state[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(state);
        PostMessageA(List(), WM_KEYDOWN, VK_F4, 0);
        PumpKeys();
        state[VK_SHIFT] = 0;
        SetKeyboardState(state);
    }
    // Pixels of one cell of the list as it paints itself.
    struct CellPixels {
        int red = 0, dark = 0;
    };
    CellPixels Paint(int row, int column) const {
        RECT client{};
        GetClientRect(List(), &client);
        RECT cell{};
        cell.top = column;
        cell.left = LVIR_LABEL;
        SendMessageA(List(), LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell));
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
        ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(dc, bitmap);
        SendMessageA(List(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc),
                     PRF_CLIENT | PRF_ERASEBKGND);
        CellPixels seen;
        for (int y = cell.top; y < cell.bottom; ++y) {
            for (int x = cell.left; x < cell.right; ++x) {
                const COLORREF p = GetPixel(dc, x, y);
                const int r = GetRValue(p), g = GetGValue(p), b = GetBValue(p);
                if (r > 0x90 && r - g > 0x60 && r - b > 0x60)
                    ++seen.red;
                else if (r < 0x60 && g < 0x60 && b < 0x60)
                    ++seen.dark;
            }
        }
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        return seen;
    }

    std::string folder;
};

TEST_F(CaseEditingTest, SeveralRecordsShowWhatTheyShareAndKeepWhatTheyDiffer) {
    for (int i = 0; i < 3; ++i)
        HotKey();
    ASSERT_EQ(history.count, 3);
    TestCase first;
    first.testId = "T-1";
    first.step = "1";
    first.verdict = Verdict::ok;
    first.remarks = "ソフト表示";
    first.tester = "山田";
    TestCase second = first;
    second.step = "2";
    second.verdict = Verdict::ng;
    history.cases.set(history.records[0].id, first);
    history.cases.set(history.records[1].id, second);
    history.modified = 0;
    Select({0, 1});

    DialogAnswerer answers;
    std::string shownId, shownStep, shownRemarks, shownTester;
    LRESULT shownVerdict = 0;
    bool scopeFits = false;
    answers.add([&](HWND dialog) {
        shownId = ItemText(dialog, IDC_CASE_TEST_ID);
        shownStep = ItemText(dialog, IDC_CASE_STEP);
        shownRemarks = ItemText(dialog, IDC_CASE_REMARKS);
        shownTester = ItemText(dialog, IDC_CASE_TESTER);
        shownVerdict = SendDlgItemMessageA(dialog, IDC_CASE_VERDICT, CB_GETCURSEL, 0, 0);
        scopeFits = LabelFits(GetDlgItem(dialog, IDC_CASE_SCOPE));
        SetDlgItemTextA(dialog, IDC_CASE_TEST_ID, "ログイン-09");
        testsupport::PressButton(dialog, IDOK);
    });
    SendMessageA(window_, WM_COMMAND, IDM_TEST_CASE, 0);
    EXPECT_EQ(answers.unexpected(), 0);
    EXPECT_EQ(shownId, "T-1");
    EXPECT_EQ(shownRemarks, "ソフト表示");
    EXPECT_EQ(shownTester, "山田");
    EXPECT_EQ(shownStep, "");
    EXPECT_EQ(shownVerdict, CB_ERR);
    EXPECT_TRUE(scopeFits) << "the several records' note is cut under Wine's font";

    for (int record : {0, 1}) {
        ASSERT_NE(CaseOf(record), nullptr) << record;
        EXPECT_EQ(CaseOf(record)->testId, "ログイン-09") << record;
        EXPECT_EQ(CaseOf(record)->remarks, "ソフト表示") << record;
        EXPECT_EQ(Cell(record, HistoryList::kTestIdColumn), "ログイン-09") << record;
    }
    EXPECT_EQ(CaseOf(0)->step, "1");
    EXPECT_EQ(CaseOf(1)->step, "2");
    EXPECT_EQ(CaseOf(0)->verdict, Verdict::ok);
    EXPECT_EQ(CaseOf(1)->verdict, Verdict::ng);
    EXPECT_EQ(CaseOf(2), nullptr);
    EXPECT_EQ(history.modified, 1);
}

TEST_F(CaseEditingTest, OneRecordShowsItsDefaultsAndATextTooLongIsCutWithAMessage) {
    CaseSettings s;
    s.tester = "検証 太郎";
    SaveCase(s);
    HotKey();
    ASSERT_EQ(history.count, 1);
    Select({0});
    DialogAnswerer answers;
    std::string shownTester, shownDate;
    answers.add([&](HWND dialog) {
        shownTester = ItemText(dialog, IDC_CASE_TESTER);
        shownDate = ItemText(dialog, IDC_CASE_DATE);
        SendDlgItemMessageA(dialog, IDC_CASE_VERDICT, CB_SETCURSEL, 3, 0);
        SetDlgItemTextA(dialog, IDC_CASE_REMARKS, std::string(4100, 'x').c_str());
        testsupport::PressButton(dialog, IDOK);
    });
    answers.press(IDOK);
    SendMessageA(window_, WM_COMMAND, IDM_TEST_CASE, 0);
    EXPECT_EQ(answers.unexpected(), 0);
    EXPECT_EQ(shownTester, "検証 太郎");
    EXPECT_EQ(shownDate, case_dialog::datePart(history.records[0].dateTime));
    ASSERT_EQ(answers.seen().size(), 2u);
    EXPECT_NE(answers.seen()[1].text.find("備考"), std::string::npos) << answers.seen()[1].text;
    ASSERT_NE(CaseOf(0), nullptr);
    EXPECT_EQ(CaseOf(0)->verdict, Verdict::hold);
    EXPECT_EQ(CaseOf(0)->remarks.size(), testcase::fieldLimit(testcase::Field::remarks));
    EXPECT_EQ(Cell(0, HistoryList::kVerdictColumn), "保留");
}

TEST_F(CaseEditingTest, F4AndShiftF4SetTheVerdictOfTheSelectionAndNgIsPaintedRed) {
    for (int i = 0; i < 3; ++i)
        HotKey();
    ASSERT_EQ(history.count, 3);
    testsupport::PumpPending();
    SetFocus(List());
    history.modified = 0;
    Select({0, 1});
    PressF4(false);
    EXPECT_EQ(history.modified, 1);
    Select({2});
    PressF4(true);
    const Verdict expected[] = {Verdict::ok, Verdict::ok, Verdict::ng};
    for (int record = 0; record < 3; ++record) {
        ASSERT_NE(CaseOf(record), nullptr) << record;
        EXPECT_EQ(CaseOf(record)->verdict, expected[record]) << record;
        EXPECT_EQ(CaseOf(record)->date, case_dialog::datePart(history.records[record].dateTime));
        EXPECT_EQ(Cell(record, HistoryList::kVerdictColumn),
                  testcase::verdictText(expected[record]));
    }

    // Unselected, so that the rows are drawn in their own colours; the
    // window large enough, and the four columns narrow enough, that the
    // 判定 column shows.
    Select({});
    MoveWindow(window_, 0, 0, 900, 600, TRUE);
    testsupport::PumpPending();
    for (int column = 0; column < 4; ++column)
        SendMessageA(List(), LVM_SETCOLUMNWIDTH, column, 80);
    const auto ng = Paint(2, HistoryList::kVerdictColumn);
    const auto ok = Paint(1, HistoryList::kVerdictColumn);
    const auto heading = Paint(2, 0);
    EXPECT_GT(ng.red, 0);
    EXPECT_EQ(ok.red, 0);
    EXPECT_GT(ok.dark, 0);
    EXPECT_EQ(heading.red, 0);
    EXPECT_GT(heading.dark, 0);
}

TEST_F(CaseEditingTest, CaseColumnWidthsGoToTheirGroupAndTheWindowGroupStaysAsItWas) {
    // What the close writes of the window without the case columns' part.
    SaveGeometry(window_);
    ASSERT_TRUE(settingsStore.saveWindowSettings());
    const std::string before = ReadFileBytes(settingsStore.iniPath);
    ASSERT_NE(Group(before, "Window"), "");
    EXPECT_EQ(Group(before, case_settings::kGroup), "");

    SendMessageA(List(), LVM_SETCOLUMNWIDTH, HistoryList::kTestIdColumn, 133);
    SendMessageA(List(), LVM_SETCOLUMNWIDTH, HistoryList::kVerdictColumn, 71);
    const std::string ini = settingsStore.iniPath;
    ASSERT_TRUE(Close());
    const std::string after = ReadFileBytes(ini);
    EXPECT_EQ(Group(after, "Window"), Group(before, "Window"));
    const CaseSettings s = LoadCase();
    EXPECT_EQ(s.testIdColumnWidth, 133);
    EXPECT_EQ(s.verdictColumnWidth, 71);
}

class CurrentCaseTest : public CaseEditingTest {
  protected:
    void PrepareSettings() override {
        CaseEditingTest::PrepareSettings();
        CaseSettings s;
        s.currentTestId = "ログイン-01";
        s.nextStep = 1;
        s.tester = "検証 太郎";
        s.testIdColumnWidth = 120;
        s.verdictColumnWidth = 60;
        SaveCase(s);
    }
};

TEST_F(CurrentCaseTest, HotKeyCapturesAreFiledUnderTheCurrentCaseWithTheirSteps) {
    EXPECT_EQ(historyList.columnWidth(HistoryList::kTestIdColumn), 120);
    EXPECT_EQ(historyList.columnWidth(HistoryList::kVerdictColumn), 60);
    HotKey();
    HotKey();
    ASSERT_EQ(history.count, 2);
    for (int record = 0; record < 2; ++record) {
        const TestCase* c = CaseOf(record);
        ASSERT_NE(c, nullptr) << record;
        EXPECT_EQ(c->testId, "ログイン-01");
        EXPECT_EQ(c->step, std::to_string(record + 1));
        EXPECT_EQ(c->tester, "検証 太郎");
        EXPECT_EQ(c->date, case_dialog::datePart(history.records[record].dateTime));
        EXPECT_EQ(c->verdict, Verdict::none);
        EXPECT_EQ(Cell(record, HistoryList::kTestIdColumn), "ログイン-01");
        EXPECT_EQ(Cell(record, HistoryList::kVerdictColumn), "未判定");
    }
    EXPECT_EQ(LoadCase().nextStep, 3);
}

// The 拡張キャプチャー page (the sheet's fifth) refuses a step of 0 and
// keeps the page open; the case it stores is the next capture's.
TEST_F(CaseEditingTest, ThePageSetsTheCurrentCaseTheNextCaptureIsFiledUnder) {
    DialogAnswerer answers;
    bool openAfterRefusal = false;
    answers.add([&](HWND sheet) {
        PropSheet_SetCurSel(sheet, nullptr, 4);
        HWND page = PropSheet_GetCurrentPageHwnd(sheet);
        SetDlgItemTextA(page, IDC_EXTRAS_CASE_ID, "画面表示-02");
        SetDlgItemTextA(page, IDC_EXTRAS_CASE_STEP, "0");
        SetDlgItemTextA(page, IDC_EXTRAS_CASE_TESTER, "検証 花子");
        PropSheet_PressButton(sheet, PSBTN_OK);
        testsupport::PumpPending();
        openAfterRefusal = IsWindow(sheet) && IsWindowVisible(sheet);
        SetDlgItemTextA(page, IDC_EXTRAS_CASE_STEP, "5");
        PropSheet_PressButton(sheet, PSBTN_OK);
    });
    answers.press(IDOK);
    RunSettingsPropertySheet(window_);
    EXPECT_EQ(answers.unexpected(), 0);
    ASSERT_EQ(answers.seen().size(), 2u);
    EXPECT_EQ(answers.seen()[1].text, "次の手順は1～99999で指定してください。");
    EXPECT_TRUE(openAfterRefusal);
    const CaseSettings s = LoadCase();
    EXPECT_EQ(s.currentTestId, "画面表示-02");
    EXPECT_EQ(s.nextStep, 5);
    EXPECT_EQ(s.tester, "検証 花子");

    HotKey();
    ASSERT_EQ(history.count, 1);
    ASSERT_NE(CaseOf(0), nullptr);
    EXPECT_EQ(CaseOf(0)->testId, "画面表示-02");
    EXPECT_EQ(CaseOf(0)->step, "5");
    EXPECT_EQ(CaseOf(0)->tester, "検証 花子");
    EXPECT_EQ(LoadCase().nextStep, 6);
}

TEST_F(CaseEditingTest, WithoutACurrentCaseACaptureHasNoCase) {
    HotKey();
    ASSERT_EQ(history.count, 1);
    EXPECT_TRUE(history.cases.empty());
    EXPECT_EQ(Cell(0, HistoryList::kTestIdColumn), "");
    EXPECT_EQ(Group(ReadFileBytes(settingsStore.iniPath), case_settings::kGroup), "");
}

}  // namespace

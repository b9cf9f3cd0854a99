#include "history/case_dialog_win.h"

#include <cstdio>
#include <iterator>
#include <vector>

#include "base/cp932.h"
#include "base/dialog_text_win.h"
#include "resources/case_dialog_ids.h"
#include "settings/settings_files_win.h"
#include "settings/settings_store.h"

namespace {

using testcase::Field;
using testcase::Verdict;

struct TextControl {
    Field field;
    int id;
};
constexpr TextControl kTexts[] = {
    {Field::testId, IDC_CASE_TEST_ID},   {Field::step, IDC_CASE_STEP},
    {Field::expected, IDC_CASE_EXPECTED}, {Field::actual, IDC_CASE_ACTUAL},
    {Field::tester, IDC_CASE_TESTER},    {Field::date, IDC_CASE_DATE},
    {Field::remarks, IDC_CASE_REMARKS}};
constexpr Verdict kVerdicts[] = {Verdict::none, Verdict::ok, Verdict::ng, Verdict::hold};

int Index(Field f) {
    return static_cast<int>(f);
}

void Init(HWND dialog, const CaseDialogData& data) {
    // Two lines broken here: Wine wraps no Japanese text without a blank.
    char scope[192];
    if (data.records > 1)
        std::snprintf(scope, sizeof scope,
                      "選択した %d 件の記録に設定します。\n記録ごとに異なる項目は空欄で、"
                      "入力しない限りそれぞれの値のままです。",
                      data.records);
    else
        std::snprintf(scope, sizeof scope, "選択した記録のテストケースです。");
    SetDlgItemTextA(dialog, IDC_CASE_SCOPE, scope);
    for (const TextControl& t : kTexts)
        SetDlgItemTextA(dialog, t.id, data.form.shown.text(t.field)->c_str());
    HWND verdict = GetDlgItem(dialog, IDC_CASE_VERDICT);
    for (Verdict v : kVerdicts)
        SendMessageA(verdict, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(testcase::verdictText(v)));
    // Records that differ in their verdict show none chosen.
    const int shown = data.form.differs[Index(Field::verdict)]
                          ? -1
                          : static_cast<int>(data.form.shown.verdict);
    SendMessageA(verdict, CB_SETCURSEL, static_cast<WPARAM>(shown), 0);
}

// A field counts as typed in when its text is not what was shown, or the
// user edited it back to that (a differing field cleared on purpose stays
// empty for every record).
void Read(HWND dialog, CaseDialogData& data) {
    case_dialog::Edit& edit = data.edit;
    edit.values = data.form.shown;
    for (const TextControl& t : kTexts) {
        HWND control = GetDlgItem(dialog, t.id);
        *edit.values.text(t.field) = DialogItemText(dialog, t.id, static_cast<std::size_t>(-1));
        edit.touched[Index(t.field)] = *edit.values.text(t.field) != *data.form.shown.text(t.field) ||
                                       SendMessageA(control, EM_GETMODIFY, 0, 0) != 0;
    }
    const LRESULT chosen = SendDlgItemMessageA(dialog, IDC_CASE_VERDICT, CB_GETCURSEL, 0, 0);
    const bool picked = chosen >= 0 && chosen < static_cast<LRESULT>(std::size(kVerdicts));
    edit.values.verdict = picked ? kVerdicts[chosen] : data.form.shown.verdict;
    const bool wasShown = !data.form.differs[Index(Field::verdict)];
    edit.touched[Index(Field::verdict)] =
        picked && (!wasShown || edit.values.verdict != data.form.shown.verdict);
}

INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* data = reinterpret_cast<CaseDialogData*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            Init(dialog, *reinterpret_cast<CaseDialogData*>(lParam));
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK && data) {
                Read(dialog, *data);
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

INT_PTR RunCaseDialog(HINSTANCE instance, HWND owner, CaseDialogData& data) {
    const INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_TEST_CASE), owner,
                                           Procedure, reinterpret_cast<LPARAM>(&data));
    return result == IDOK ? IDOK : IDCANCEL;
}

CaseSettings LoadCaseSettings() {
    Win32SettingsFiles files;
    return case_settings::load(files, settingsStore.iniPath);
}

bool SaveCaseSettings(const CaseSettings& s) {
    Win32SettingsFiles files;
    return case_settings::save(files, settingsStore.iniPath, s);
}

std::string TesterName(const CaseSettings& s) {
    if (!s.tester.empty())
        return s.tester;
    char name[257] = {};
    DWORD size = sizeof name;
    if (!GetUserNameA(name, &size))
        return {};
    std::string text(name);
    text.resize(cp932::cutLength(text.data(), text.size(), testcase::fieldLimit(Field::tester)));
    return text;
}

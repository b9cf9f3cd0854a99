// The history list's test cases: the テストID and 判定 columns after the
// four of the records, filled from history.cases by each row's record id
// (never read back into a record: writeBack takes the four alone), the
// テストケース dialog over the selection, and the verdict of F4 / Shift+F4.
#include "history/history_list_win.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "base/message_box_win.h"
#include "history/case_dialog_win.h"
#include "history/history.h"

namespace {

constexpr COLORREF kNgColour = RGB(0xE0, 0x00, 0x00);

const char* const kCaseHeaders[2] = {"テストID", "判定"};

}  // namespace

void HistoryList::insertCaseColumns() {
    const CaseSettings s = LoadCaseSettings();
    caseWidths_[0] = s.testIdColumnWidth;
    caseWidths_[1] = s.verdictColumnWidth;
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = caseWidths_[i];
        column.pszText = const_cast<char*>(kCaseHeaders[i]);
        column.iSubItem = kTestIdColumn + i;
        SendMessageA(window, LVM_INSERTCOLUMNA, kTestIdColumn + i,
                     reinterpret_cast<LPARAM>(&column));
    }
}

void HistoryList::saveCaseColumnWidths() {
    if (!window)
        return;
    const int widths[2] = {columnWidth(kTestIdColumn), columnWidth(kVerdictColumn)};
    if (widths[0] == caseWidths_[0] && widths[1] == caseWidths_[1])
        return;
    // The rest of the group as the file has it now (the settings page may
    // have changed the current case since the list was made).
    CaseSettings s = LoadCaseSettings();
    s.testIdColumnWidth = widths[0];
    s.verdictColumnWidth = widths[1];
    if (SaveCaseSettings(s)) {
        caseWidths_[0] = widths[0];
        caseWidths_[1] = widths[1];
    }
}

// The row's record id; a record without one (read before ids were kept)
// gets one now, on the row too.
uint32_t HistoryList::recordIdOfRow(int row) {
    if (row < 0 || row >= history.count)
        return 0;
    HistoryRecord& r = history.records[row];
    if (r.id == 0) {
        r.id = history.newRecordId();
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        item.lParam = static_cast<LPARAM>(r.id);
        SendMessageA(window, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    return r.id;
}

void HistoryList::showCase(int row, bool freshRow) {
    const testcase::TestCase* c = nullptr;
    if (row >= 0 && row < history.count && history.records[row].id != 0)
        c = history.cases.find(history.records[row].id);
    if (!c && freshRow)
        return;
    setText(row, kTestIdColumn, c ? c->testId.c_str() : "");
    setText(row, kVerdictColumn, c ? testcase::verdictText(c->verdict) : "");
}

int HistoryList::setVerdictOfSelection(testcase::Verdict verdict) {
    return setVerdictsOfSelection([verdict](uint32_t, testcase::Verdict& out) {
        out = verdict;
        return true;
    });
}

int HistoryList::setVerdictsOfSelection(
    const std::function<bool(uint32_t id, testcase::Verdict& out)>& verdictOf) {
    if (!window || selectedCount() == 0)
        return 0;
    int changed = 0;
    const CaseSettings settings = LoadCaseSettings();
    const std::string tester = TesterName(settings);
    for (int row = firstSelected(); row >= 0;
         row = static_cast<int>(SendMessageA(window, LVM_GETNEXTITEM, row, LVNI_SELECTED))) {
        const uint32_t id = recordIdOfRow(row);
        testcase::Verdict verdict = testcase::Verdict::none;
        if (id == 0 || !verdictOf(id, verdict))
            continue;
        const testcase::TestCase* own = history.cases.find(id);
        testcase::TestCase c = case_dialog::withDefaults(own ? *own : testcase::TestCase{}, tester,
                                                         history.records[row].dateTime);
        c.verdict = verdict;
        history.cases.set(id, c);
        showCase(row);
        ++changed;
    }
    if (changed == 0)
        return 0;
    markChanged();
    return 1;
}

int HistoryList::editCasesOfSelection() {
    if (!window || selectedCount() == 0)
        return 0;
    const std::string tester = TesterName(LoadCaseSettings());
    std::vector<int> rows;
    std::vector<testcase::TestCase> shown;
    for (int row = firstSelected(); row >= 0;
         row = static_cast<int>(SendMessageA(window, LVM_GETNEXTITEM, row, LVNI_SELECTED))) {
        const uint32_t id = recordIdOfRow(row);
        if (id == 0)
            continue;
        const testcase::TestCase* own = history.cases.find(id);
        rows.push_back(row);
        shown.push_back(case_dialog::withDefaults(own ? *own : testcase::TestCase{}, tester,
                                                  history.records[row].dateTime));
    }
    if (rows.empty())
        return 0;
    CaseDialogData data;
    data.form = case_dialog::shared(shown);
    data.records = static_cast<int>(rows.size());
    if (RunCaseDialog(instance, promptOwner(), data) != IDOK || !case_dialog::anyTouched(data.edit))
        return 0;
    std::vector<testcase::Field> cut;
    for (size_t k = 0; k < rows.size(); ++k) {
        testcase::TestCase c = case_dialog::apply(shown[k], data.form, data.edit);
        for (testcase::Field f : testcase::cutToLimits(c))
            cut.push_back(f);
        history.cases.set(history.records[rows[k]].id, c);
        showCase(rows[k]);
    }
    markChanged();
    const std::string message = case_dialog::cutMessage(cut);
    if (!message.empty())
        ShowMessage(promptOwner(), message.c_str(), "テストケース", MB_ICONWARNING | MB_OK);
    return 1;
}

LRESULT HistoryList::customDraw(NMHDR* header) const {
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
    if (!window || header->hwndFrom != window)
        return CDRF_DODEFAULT;
    switch (draw->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return history.cases.empty() ? CDRF_DODEFAULT : CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
            return CDRF_NOTIFYSUBITEMDRAW;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
            const int row = static_cast<int>(draw->nmcd.dwItemSpec);
            const testcase::TestCase* c =
                row >= 0 && row < history.count && history.records[row].id != 0
                    ? history.cases.find(history.records[row].id)
                    : nullptr;
            // Every subitem is set: a colour given to one stays for the
            // subitems drawn after it in the row.
            const bool ng = draw->iSubItem == kVerdictColumn && c &&
                            c->verdict == testcase::Verdict::ng;
            draw->clrText = ng ? kNgColour : CLR_DEFAULT;
            return CDRF_NEWFONT;
        }
        default:
            return CDRF_DODEFAULT;
    }
}

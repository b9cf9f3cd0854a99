#include "app/capture_stamp_win.h"

#include "base/message_box_win.h"
#include "history/evidence_book_win.h"
#include "history/history.h"
#include "picture/annotation_file.h"
#include "settings/case_settings.h"
#include "settings/settings_files_win.h"
#include "settings/settings_store.h"
#include "view/annotation_stamp.h"
#include "view/annotation_stamp_win.h"

namespace capture_stamp {

namespace {

CaseSettings LoadOptions() {
    Win32SettingsFiles files;
    return case_settings::load(files, settingsStore.iniPath);
}

std::string Tester(const CaseSettings& options) {
    return options.tester.empty() ? WindowsUserName() : options.tester;
}

}  // namespace

std::string WindowsUserName() {
    char name[256] = {};
    DWORD size = sizeof name;
    if (!GetUserNameA(name, &size))
        return std::string();
    return name;
}

std::vector<testcase::Field> ApplyScriptCase(const testcase::TestCase& given) {
    if (history.count <= 0 || given.empty())
        return {};
    const HistoryRecord& record = history.records[history.count - 1];
    const testcase::TestCase* kept = history.cases.find(record.id);
    testcase::TestCase c = kept ? *kept : testcase::TestCase{};
    for (int i = 0; i < testcase::kFieldCount; ++i) {
        const auto field = static_cast<testcase::Field>(i);
        const std::string* text = given.text(field);
        if (text && !text->empty())
            *c.text(field) = *text;
    }
    if (given.verdict != testcase::Verdict::none)
        c.verdict = given.verdict;
    if (c.tester.empty())
        c.tester = Tester(LoadOptions());
    if (c.date.empty())
        c.date = std::string(record.dateTime).substr(0, 10);  // "yyyy/mm/dd"
    std::vector<testcase::Field> cut = testcase::cutToLimits(c);
    history.cases.set(record.id, c);
    return cut;
}

bool StampNewRecord(HWND owner, const std::string& picture) {
    const CaseSettings options = LoadOptions();
    if (!options.stamp || history.count <= 0)
        return true;
    const HistoryRecord& record = history.records[history.count - 1];
    const testcase::TestCase* c = history.cases.find(record.id);
    const std::string tester = c && !c->tester.empty() ? c->tester : Tester(options);
    const std::string testId = c ? c->testId : options.currentTestId;
    std::string failed;
    if (!annotation_stamp::StampPicture(
            picture, options, stamp::stampText(record.dateTime, tester, testId), failed)) {
        const std::string text = "スタンプを書き込めませんでした。\r\n" + failed;
        ShowMessage(owner, text.c_str(), "エラー", MB_ICONERROR | MB_OK);
        return false;
    }
    evidenceBook.event(LogEvent::annotate, history.count, annotation::flattenedPath(picture));
    return true;
}

}  // namespace capture_stamp

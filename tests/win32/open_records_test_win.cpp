// Opening records in the configured applications. The application is
// record_args.exe, built next to this test, which logs how the shell started
// it: the program, its parameters and its working directory.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "history/open_records_win.h"
#include "settings/settings_store.h"
#include "tests/win32/support/win_test_support.h"

using testsupport::DialogAnswerer;
using testsupport::ScopedWorkFolder;

namespace {

const char kHelperName[] = "record_args.exe";
const char kMissingProgram[] = "no-such-program.exe";

struct Start {
    std::string program;
    std::string parameters;
    std::string directory;
    bool operator==(const Start& other) const {
        return program == other.program && parameters == other.parameters &&
               directory == other.directory;
    }
};

std::ostream& operator<<(std::ostream& out, const Start& start) {
    return out << "[" << start.program << "] [" << start.parameters << "] in [" << start.directory
               << "]";
}

std::string HelperPath() {
    char exe[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string path(exe, n);
    return path.substr(0, path.rfind('\\') + 1) + kHelperName;
}

bool HelperRunning() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return true;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Process32First(snapshot, &entry); more && !found;
         more = Process32Next(snapshot, &entry))
        found = lstrcmpiA(entry.szExeFile, kHelperName) == 0;
    CloseHandle(snapshot);
    return found;
}

// "<time>\t<command line>\t<directory>": the program is the first token of
// the command line, quoted or not, and the parameters all that follows the
// one blank after it.
Start ParseLine(const std::string& line, std::string* time) {
    const size_t tab1 = line.find('\t');
    const size_t tab2 = line.rfind('\t');
    *time = line.substr(0, tab1);
    const std::string command = line.substr(tab1 + 1, tab2 - tab1 - 1);
    Start start;
    start.directory = line.substr(tab2 + 1);
    size_t end;
    if (!command.empty() && command[0] == '"') {
        end = command.find('"', 1);
        start.program = command.substr(1, end - 1);
        ++end;
    } else {
        end = command.find(' ');
        start.program = command.substr(0, end);
    }
    if (end < command.size())
        start.parameters = command.substr(end + 1);
    return start;
}

class OpenRecordsTest : public testing::Test {
  protected:
    void SetUp() override {
        folder_ = std::make_unique<ScopedWorkFolder>();
        settingsStore.initialize();
        helper_ = HelperPath();
        ASSERT_TRUE(testsupport::FileExists(helper_)) << helper_;
        log_ = InFolder("args.log");
        SetEnvironmentVariableA("ZELCAP_ARGS_LOG", log_.c_str());
        Configure(helper_.c_str(), helper_.c_str());
        // Stands for the history list's parent window.
        owner_ = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(owner_, nullptr);
    }
    void TearDown() override {
        SetShift(false);
        DestroyWindow(owner_);
        SetEnvironmentVariableA("ZELCAP_ARGS_LOG", nullptr);
        folder_.reset();
    }

    std::string InFolder(const std::string& name) const { return folder_->path() + "\\" + name; }

    void Configure(const char* imageApp, const char* textApp) {
        std::snprintf(settingsStore.settings.imageApp, kPathSize, "%s", imageApp);
        std::snprintf(settingsStore.settings.textApp, kPathSize, "%s", textApp);
    }

    static void SetShift(bool down) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = down ? 0x80 : 0;
        SetKeyboardState(keys);
    }

    // Waits for every helper started so far to finish, then returns what
    // they logged in the order they were started, and empties the log.
    std::vector<Start> Started() {
        EXPECT_TRUE(testsupport::PumpUntil([] { return !HelperRunning(); }))
            << "a started helper did not finish";
        std::vector<std::pair<std::string, Start>> lines;
        const std::string log = testsupport::ReadFileBytes(log_);
        for (size_t begin = 0, end; (end = log.find('\n', begin)) != std::string::npos;
             begin = end + 1) {
            std::string time;
            const Start start = ParseLine(log.substr(begin, end - begin), &time);
            lines.emplace_back(time, start);
        }
        DeleteFileA(log_.c_str());
        std::sort(lines.begin(), lines.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<Start> starts;
        for (size_t i = 0; i < lines.size(); ++i) {
            if (i > 0) {
                EXPECT_NE(lines[i - 1].first, lines[i].first) << "start order undecidable";
            }
            starts.push_back(lines[i].second);
        }
        return starts;
    }

    Start Helper(const std::string& parameters, const std::string& directory) const {
        return Start{helper_, parameters, directory};
    }

    // Presses a button of a message box after checking that it belongs to
    // the window that started the operation.
    DialogAnswerer::Answer OwnedAnswer(int buttonId) {
        return [this, buttonId](HWND dialog) {
            EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner_);
            testsupport::PressButton(dialog, buttonId);
        };
    }

    static RowPaths Row(const std::string& image, const std::string& text) {
        RowPaths row{};
        std::snprintf(row.image, kPathSize, "%s", image.c_str());
        std::snprintf(row.text, kPathSize, "%s", text.c_str());
        return row;
    }

    std::unique_ptr<ScopedWorkFolder> folder_;
    std::string helper_;
    std::string log_;
    HWND owner_ = nullptr;
};

TEST_F(OpenRecordsTest, ApplicationGetsTheBareNameUnquotedInTheFilesFolder) {
    // A blank in the folder and the name, and 表 (0x95 0x5C) before the
    // real last backslash.
    const std::string dir = InFolder("資料 表");
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
    OpenRecordFile(owner_, (dir + "\\memo file.txt").c_str());
    OpenRecordFile(owner_, (dir + "\\表.JPG").c_str());
    EXPECT_EQ(Started(), (std::vector<Start>{Helper("memo file.txt", dir), Helper("表.JPG", dir)}));
}

TEST_F(OpenRecordsTest, EachKindUsesItsOwnApplicationAndAMissingOneIsReported) {
    DialogAnswerer answers;
    answers.add(OwnedAnswer(IDOK));
    answers.add(OwnedAnswer(IDOK));

    Configure(helper_.c_str(), kMissingProgram);
    OpenRecordFile(owner_, InFolder("a.gif").c_str());
    OpenRecordFile(owner_, InFolder("b.txt").c_str());
    Configure(kMissingProgram, helper_.c_str());
    OpenRecordFile(owner_, InFolder("c.bmp").c_str());
    OpenRecordFile(owner_, InFolder("d.TXT").c_str());

    EXPECT_EQ(Started(), (std::vector<Start>{Helper("a.gif", folder_->path()),
                                             Helper("d.TXT", folder_->path())}));
    ASSERT_EQ(answers.seen().size(), 2u);
    for (const auto& seen : answers.seen()) {
        EXPECT_EQ(seen.text, "ファイルが見つかりません");
        EXPECT_EQ(seen.caption, "ファイルオープンエラー");
    }
    EXPECT_EQ(answers.unexpected(), 0);
}

TEST_F(OpenRecordsTest, OtherExtensionsOpenNothingAndSayNothing) {
    DialogAnswerer answers;
    for (const char* name : {"a.jpeg", "a.Jpg", "a.txt.bak", "", "表"})
        OpenRecordFile(owner_, InFolder(name).c_str());
    OpenRecordTextFile(owner_, InFolder("a.jpg").c_str());
    EXPECT_EQ(Started(), std::vector<Start>{});
    EXPECT_EQ(answers.seen().size(), 0u);
}

// Gives ".gif" files, while it lives, an "open" command that starts the
// helper with the file as "%1". Wine looks up associations in the machine's
// classes only; the prefix is the tests' own. A ".gif" association that is
// not ours is left alone.
class ScopedGifAssociation {
  public:
    explicit ScopedGifAssociation(const std::string& helper) {
        char value[64] = {};
        LONG size = sizeof value;
        if (RegQueryValueA(HKEY_LOCAL_MACHINE, kExtension, value, &size) == ERROR_SUCCESS &&
            value[0] != '\0' && std::strcmp(value, kProgId) != 0) {
            foreign_ = true;
            return;
        }
        const std::string command = "\"" + helper + "\" \"%1\"";
        active_ = SetDefault(kExtension, kProgId) && SetDefault(kCommand, command.c_str());
    }
    ~ScopedGifAssociation() {
        if (foreign_)
            return;
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kExtension);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kProgIdKey);
    }
    bool foreign() const { return foreign_; }
    bool active() const { return active_; }

  private:
    static constexpr const char* kExtension = "Software\\Classes\\.gif";
    static constexpr const char* kProgId = "ZelcapTest.OpenRecords";
    static constexpr const char* kProgIdKey = "Software\\Classes\\ZelcapTest.OpenRecords";
    static constexpr const char* kCommand =
        "Software\\Classes\\ZelcapTest.OpenRecords\\shell\\open\\command";

    static bool SetDefault(const char* keyPath, const char* value) {
        HKEY key;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            return false;
        const LONG result =
            RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                           static_cast<DWORD>(std::strlen(value) + 1));
        RegCloseKey(key);
        return result == ERROR_SUCCESS;
    }

    bool foreign_ = false;
    bool active_ = false;
};

TEST_F(OpenRecordsTest, WithoutAnApplicationTheShellOpensTheWholePath) {
    ScopedGifAssociation association(helper_);
    if (association.foreign())
        GTEST_SKIP() << "the prefix has a .gif association of its own";
    ASSERT_TRUE(association.active());
    Configure("", kMissingProgram);
    // The file lies outside the current folder, and the shell is given no
    // working directory: the helper starts in the test's own folder.
    const std::string dir = InFolder("資料 表");
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
    const std::string path = dir + "\\1 表.gif";
    ASSERT_TRUE(testsupport::WriteFileBytes(path, "GIF89a"));
    OpenRecordFile(owner_, path.c_str());
    EXPECT_EQ(Started(), std::vector<Start>{Helper("\"" + path + "\"", folder_->path())});

    // A file that is not there is reported.
    DialogAnswerer answers;
    answers.add(OwnedAnswer(IDOK));
    OpenRecordFile(owner_, (dir + "\\missing.gif").c_str());
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].text, "ファイルが見つかりません");
    EXPECT_EQ(Started(), std::vector<Start>{});
}

TEST_F(OpenRecordsTest, ShiftOpensTheTextFileOfTheRow) {
    const std::vector<RowPaths> row{Row(InFolder("a.jpg"), InFolder("memo.txt"))};
    SetShift(true);
    EXPECT_EQ(OpenRows(owner_, row), 1);
    SetShift(false);
    EXPECT_EQ(OpenRows(owner_, row), 1);
    EXPECT_EQ(Started(), (std::vector<Start>{Helper("memo.txt", folder_->path()),
                                             Helper("a.jpg", folder_->path())}));

    // A row without a text file names the folder itself: nothing opens.
    SetShift(true);
    EXPECT_EQ(OpenRows(owner_, {Row(InFolder("a.jpg"), InFolder(""))}), 1);
    EXPECT_EQ(Started(), std::vector<Start>{});
}

TEST_F(OpenRecordsTest, SeveralRowsAskOnceThenOpenEachInRowOrder) {
    DialogAnswerer answers;
    answers.add(OwnedAnswer(IDOK));
    const std::vector<RowPaths> rows{Row(InFolder("c 3.jpg"), ""), Row(InFolder("表.png"), ""),
                                     Row(InFolder("a1.bmp"), "")};
    EXPECT_EQ(OpenRows(owner_, rows), 1);
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].text, "複数選択されています。\r\n全て開きますか？");
    EXPECT_EQ(answers.seen()[0].caption, "確認");
    const std::string dir = folder_->path();
    EXPECT_EQ(Started(), (std::vector<Start>{Helper("c 3.jpg", dir), Helper("表.png", dir),
                                             Helper("a1.bmp", dir)}));
}

TEST_F(OpenRecordsTest, CancelOpensNoneOfTheRows) {
    DialogAnswerer answers;
    answers.add(OwnedAnswer(IDCANCEL));
    const std::vector<RowPaths> rows{Row(InFolder("a.jpg"), ""), Row(InFolder("b.jpg"), "")};
    EXPECT_EQ(OpenRows(owner_, rows), 0);
    EXPECT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(Started(), std::vector<Start>{});
}

TEST_F(OpenRecordsTest, TextEditingTakesExactlyOneRow) {
    EXPECT_EQ(OpenTextOfRows(owner_, {Row(InFolder("a.jpg"), InFolder("memo.txt"))}), 1);
    EXPECT_EQ(Started(), std::vector<Start>{Helper("memo.txt", folder_->path())});

    DialogAnswerer answers;
    answers.add(OwnedAnswer(IDOK));
    answers.add(OwnedAnswer(IDOK));
    const RowPaths row = Row(InFolder("a.jpg"), InFolder("memo.txt"));
    EXPECT_EQ(OpenTextOfRows(owner_, {row, row}), 0);
    EXPECT_EQ(OpenTextOfRows(owner_, {}), 0);
    ASSERT_EQ(answers.seen().size(), 2u);
    for (const auto& seen : answers.seen()) {
        EXPECT_EQ(seen.text, "複数選択してテキスト編集はできません？");
        EXPECT_EQ(seen.caption, "確認");
    }
    EXPECT_EQ(Started(), std::vector<Start>{});
}

}  // namespace

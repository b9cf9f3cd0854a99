// The settings store on the real file system under Windows: CP932 keys and
// paths, the search for the file, its creation and its safe replacement.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/win_handles_win.h"
#include "settings/settings_files_win.h"
#include "settings/settings_store.h"
#include "tests/win32/support/win_test_support.h"

using testsupport::ReadFileBytes;
using testsupport::ScopedWorkFolder;
using testsupport::WriteFileBytes;

namespace {

TEST(SettingsFilesWin, SearchIsLimitedToTheFolderAndIgnoresCase) {
    ScopedWorkFolder folder;
    Win32SettingsFiles files;
    char found[kPathSize];
    EXPECT_FALSE(files.findFile(folder.path().c_str(), "Zelcap.ini", found));
    EXPECT_STREQ(found, "");

    ASSERT_TRUE(WriteFileBytes("zelcap.INI", ""));
    ASSERT_TRUE(files.findFile(folder.path().c_str(), "Zelcap.ini", found));
    EXPECT_EQ(CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, found, -1,
                             (folder.path() + "\\Zelcap.ini").c_str(), -1),
              CSTR_EQUAL)
        << found;

    // A file in a subfolder or beside the program is not found.
    CreateDirectoryA("sub", nullptr);
    EXPECT_FALSE(files.findFile((folder.path() + "\\sub").c_str(), "Zelcap.ini", found));
}

TEST(SettingsFilesWin, CreateNewRefusesAnExistingFile) {
    ScopedWorkFolder folder;
    Win32SettingsFiles files;
    const std::string path = folder.path() + "\\Zelcap.ini";
    ASSERT_TRUE(files.createNew(path.c_str()));
    ASSERT_TRUE(WriteFileBytes(path, "[A]\r\nb=1\r\n"));
    EXPECT_FALSE(files.createNew(path.c_str()));
    EXPECT_EQ(ReadFileBytes(path), "[A]\r\nb=1\r\n");
}

std::vector<std::string> FilesIn(const std::string& dir) {
    return testsupport::FilesMatching(dir + "\\*");
}

TEST(SettingsFilesWin, ReplaceAllSwapsTheWholeFileAndLeavesNoTemporary) {
    ScopedWorkFolder folder;
    Win32SettingsFiles files;
    // A folder name whose second byte is a backslash byte.
    const std::string dir = folder.path() + "\\表示";
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
    const std::string path = dir + "\\Zelcap.ini";
    ASSERT_TRUE(WriteFileBytes(path, std::string(5000, 'x')));
    ASSERT_TRUE(files.replaceAll(path.c_str(), "short\r\n"));
    std::string bytes;
    ASSERT_TRUE(files.readAll(path.c_str(), bytes));
    EXPECT_EQ(bytes, "short\r\n");
    EXPECT_EQ(FilesIn(dir), std::vector<std::string>{"Zelcap.ini"});
}

TEST(SettingsFilesWin, ReplaceAllKeepsTheOldFileWhenItCannotWrite) {
    ScopedWorkFolder folder;
    Win32SettingsFiles files;
    const std::string path = folder.path() + "\\Zelcap.ini";
    ASSERT_TRUE(WriteFileBytes(path, "old\r\n"));
    {
        // Another program holds the file open without letting it go: it
        // cannot be replaced, and the new contents must not stay behind as
        // a temporary.
        win::FileHandle held(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held);
        EXPECT_FALSE(files.replaceAll(path.c_str(), "new\r\n"));
    }
    EXPECT_EQ(ReadFileBytes(path), "old\r\n");
    EXPECT_EQ(FilesIn(folder.path()), std::vector<std::string>{"Zelcap.ini"});
}

TEST(SettingsStoreWin, ReadsAndWritesJapaneseKeysInTheRealFile) {
    ScopedWorkFolder folder;
    const std::string ini =
        "; kept\r\n"
        "[File_Set]\r\n"
        "保存先=C:\\キャプチャ\\表\r\n"
        "画面全体：修飾キー=0\r\n"
        "画面全体：キー=82\r\n"
        "全体フォント斜体=257\r\n"
        "CSVタイトル=売上\r\n"
        "未知のキー=残す\r\n"
        "[Window]\r\n"
        "項目３幅=0\r\n";
    ASSERT_TRUE(WriteFileBytes("Zelcap.ini", ini));
    Win32SettingsFiles files;
    SettingsStore store(files);
    EXPECT_EQ(std::string(store.startDirectory), folder.path());
    const Settings& s = store.settings;
    EXPECT_STREQ(s.saveFolder, "C:\\キャプチャ\\表");
    EXPECT_EQ(s.hotKeys[0].modifiers, 0);
    EXPECT_EQ(s.hotKeys[0].virtualKey, 82);
    EXPECT_EQ(s.hotKeys[1].modifiers, 1);  // Shift+I for the kinds left at 0
    EXPECT_EQ(s.hotKeys[1].virtualKey, 0x49);
    EXPECT_EQ(s.generalFont.italic, 1);
    EXPECT_EQ(s.columnWidths[2], 30);
    EXPECT_STREQ(s.textApp, "notepad");

    store.settings.startNumber = 42;
    ASSERT_TRUE(store.saveFileSettings());
    const std::string after = ReadFileBytes("Zelcap.ini");
    EXPECT_EQ(after.rfind("; kept\r\n[File_Set]\r\n", 0), 0u);
    EXPECT_NE(after.find("\r\n未知のキー=残す\r\n"), std::string::npos);
    EXPECT_NE(after.find("\r\nCSVタイトル=売上\r\n"), std::string::npos);
    EXPECT_NE(after.find("\r\n画像ファイル開始番号=42\r\n"), std::string::npos);
    EXPECT_NE(after.find("\r\n全体フォント斜体=1\r\n"), std::string::npos);
    EXPECT_NE(after.find("\r\n保存先=C:\\キャプチャ\\表\r\n"), std::string::npos);

    // A second store reads back what the first one wrote.
    SettingsStore again(files);
    EXPECT_EQ(again.settings.startNumber, 42);
    EXPECT_STREQ(again.settings.csvTitle, "売上");
}

TEST(SettingsStoreWin, SaveRecreatesAFileDeletedWhileRunning) {
    ScopedWorkFolder folder;
    Win32SettingsFiles files;
    SettingsStore store(files);
    ASSERT_TRUE(testsupport::FileExists("Zelcap.ini"));
    ASSERT_TRUE(DeleteFileA("Zelcap.ini"));
    EXPECT_TRUE(store.saveFileSettings());
    EXPECT_EQ(ReadFileBytes("Zelcap.ini").rfind("[File_Set]\r\nCSV自動保存=0\r\n", 0), 0u);
}

}  // namespace

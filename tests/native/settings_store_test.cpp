#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "base/cp932.h"
#include "settings/ini_document.h"

namespace {

bool sameAsciiFold(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (fold(a[i]) != fold(b[i]))
            return false;
    }
    return true;
}

// The file system as a map of path to contents, with paths compared the way
// Windows compares them (well enough for ASCII test paths).
class FakeFiles : public SettingsFiles {
  public:
    std::map<std::string, std::string> files;
    std::string directory = "C:\\work";
    bool createFails = false;
    bool readFails = false;

    bool currentDirectory(char (&dir)[kPathSize]) override {
        return cp932::copyText(dir, directory.c_str());
    }
    bool findFile(const char* dir, const char* name, char (&fullPath)[kPathSize]) override {
        const auto it = lookup(std::string(dir) + "\\" + name);
        if (it == files.end())
            return false;
        cp932::copyText(fullPath, it->first.c_str());
        return true;
    }
    bool createNew(const char* path) override {
        if (createFails || lookup(path) != files.end())
            return false;
        files[path] = "";
        return true;
    }
    bool readAll(const char* path, std::string& bytes) override {
        const auto it = lookup(path);
        if (readFails || it == files.end())
            return false;
        bytes = it->second;
        return true;
    }
    bool replaceAll(const char* path, const std::string& bytes) override {
        const auto it = lookup(path);
        if (it == files.end()) {
            files[path] = bytes;
        } else {
            it->second = bytes;
        }
        return true;
    }

    std::map<std::string, std::string>::iterator lookup(const std::string& path) {
        for (auto it = files.begin(); it != files.end(); ++it) {
            if (sameAsciiFold(it->first, path))
                return it;
        }
        return files.end();
    }
};

const char* const kIni = "C:\\work\\Zelcap.ini";

TEST(SettingsStoreStart, WithoutAnIniCreatesAnEmptyOneAndKeepsBuiltIns) {
    FakeFiles fs;
    SettingsStore store(fs);
    ASSERT_EQ(fs.files.size(), 1u);
    EXPECT_EQ(fs.files.count(kIni), 1u);
    EXPECT_EQ(fs.files[kIni], "");
    EXPECT_STREQ(store.startDirectory, "C:\\work");
    EXPECT_STREQ(store.iniPath, kIni);

    const Settings& s = store.settings;
    EXPECT_STREQ(s.saveFolder, "");
    EXPECT_STREQ(s.reportFolder, "");
    EXPECT_STREQ(s.textApp, "");
    EXPECT_EQ(s.startNumber, 1);
    for (int32_t w : s.columnWidths)
        EXPECT_EQ(w, 100);
    for (const HotKeyEntry& h : s.hotKeys) {
        EXPECT_EQ(h.modifiers, 0);
        EXPECT_EQ(h.virtualKey, 0);
    }
}

TEST(SettingsStoreStart, ExistingFileWithoutFileSetGivesDefaults) {
    FakeFiles fs;
    fs.files[kIni] = "[Window]\r\n幅=500\r\n";
    SettingsStore store(fs);
    const Settings& s = store.settings;
    EXPECT_STREQ(s.saveFolder, "C:\\work");
    EXPECT_STREQ(s.reportFolder, "C:\\work");
    EXPECT_STREQ(s.textApp, "notepad");
    EXPECT_EQ(s.startNumber, 0);
    EXPECT_EQ(s.windowWidth, 500);
    for (const HotKeyEntry& h : s.hotKeys) {
        EXPECT_EQ(h.modifiers, 1);
        EXPECT_EQ(h.virtualKey, 0x49);
        EXPECT_EQ(h.monitored, 0);
    }
    EXPECT_EQ(fs.files[kIni], "[Window]\r\n幅=500\r\n");  // reading writes nothing
}

TEST(SettingsStoreStart, UsesTheFileAsFoundAndDoesNotCreateASecond) {
    FakeFiles fs;
    fs.files["c:\\WORK\\zelcap.INI"] = "[File_Set]\r\nJPEG品質=75\r\n";
    SettingsStore store(fs);
    EXPECT_STREQ(store.iniPath, "c:\\WORK\\zelcap.INI");
    EXPECT_EQ(store.settings.jpegQuality, 75);

    store.settings.jpegQuality = 90;
    EXPECT_TRUE(store.saveFileSettings());
    EXPECT_TRUE(store.saveWindowSettings());
    ASSERT_EQ(fs.files.size(), 1u);
    const IniDocument doc(fs.files["c:\\WORK\\zelcap.INI"]);
    EXPECT_EQ(doc.get("File_Set", "JPEG品質"), std::string("90"));
    EXPECT_EQ(doc.get("Window", "幅"), std::string("100"));
}

TEST(SettingsStoreStart, UnreadableFileReadsAsEmpty) {
    FakeFiles fs;
    fs.files[kIni] = "[File_Set]\r\nJPEG品質=75\r\n";
    fs.readFails = true;
    SettingsStore store(fs);
    EXPECT_EQ(store.settings.jpegQuality, 0);
    EXPECT_STREQ(store.settings.textApp, "notepad");
}

TEST(SettingsStoreStart, InitializeStartsOverInTheNewDirectory) {
    FakeFiles fs;
    fs.files["D:\\other\\Zelcap.ini"] = "[File_Set]\r\n画像ファイル名=BBB\r\n";
    SettingsStore store(fs);
    store.settings.jpegQuality = 99;
    EXPECT_STREQ(store.settings.imageFilePrefix, "");

    fs.directory = "D:\\other";
    store.initialize();
    EXPECT_STREQ(store.startDirectory, "D:\\other");
    EXPECT_STREQ(store.iniPath, "D:\\other\\Zelcap.ini");
    EXPECT_STREQ(store.settings.imageFilePrefix, "BBB");
    EXPECT_STREQ(store.settings.saveFolder, "D:\\other");
    EXPECT_EQ(store.settings.jpegQuality, 0);
}

TEST(SettingsStoreSave, FileSettingsKeepUnknownKeysAndOtherSections) {
    FakeFiles fs;
    fs.files[kIni] =
        "; hand-edited\r\n"
        "[File_Set]\r\n"
        "CSVタイトル=古い題\r\n"
        "独自キー=abc\r\n"
        "全体フォント斜体=257\r\n"
        "画像ファイル開始番号=5\r\n"
        "\r\n"
        "[Window]\r\n"
        "幅=640\r\n"
        "\r\n"
        "[Plugin]\r\n"
        "x = y\r\n";
    SettingsStore store(fs);
    EXPECT_STREQ(store.settings.csvTitle, "古い題");
    EXPECT_EQ(store.settings.generalFont.italic, 1);
    store.settings.startNumber = 6;

    EXPECT_TRUE(store.saveFileSettings());
    const std::string& text = fs.files[kIni];
    const IniDocument doc(text);
    EXPECT_EQ(doc.get("File_Set", "CSVタイトル"), std::string("古い題"));
    EXPECT_EQ(doc.get("File_Set", "独自キー"), std::string("abc"));
    EXPECT_EQ(doc.get("File_Set", "全体フォント斜体"), std::string("1"));
    EXPECT_EQ(doc.get("File_Set", "画像ファイル開始番号"), std::string("6"));
    EXPECT_EQ(doc.get("File_Set", "保存先"), std::string("C:\\work"));
    EXPECT_EQ(doc.get("Window", "幅"), std::string("640"));
    EXPECT_EQ(doc.get("Plugin", "x"), std::string("y"));
    // Existing keys stay where they were; the new ones follow them.
    EXPECT_EQ(text.rfind("; hand-edited\r\n[File_Set]\r\nCSVタイトル=古い題\r\n独自キー=abc\r\n"
                         "全体フォント斜体=1\r\n画像ファイル開始番号=6\r\nCSV自動保存=0\r\n",
                         0),
              0u);
    EXPECT_NE(text.find("起動アプリ：テキスト=notepad\r\n\r\n[Window]\r\n幅=640\r\n\r\n[Plugin]\r\n"
                        "x = y\r\n"),
              std::string::npos);
}

TEST(SettingsStoreSave, FreshFileHoldsTheGroupsInSaveOrder) {
    FakeFiles fs;
    SettingsStore store(fs);
    EXPECT_TRUE(store.saveWindowSettings());
    EXPECT_TRUE(store.saveFileSettings());
    const std::string& text = fs.files[kIni];
    EXPECT_EQ(text.rfind("[Window]\r\nX位置=0\r\n", 0), 0u);
    EXPECT_NE(text.find("項目４幅=100\r\n\r\n[File_Set]\r\nCSV自動保存=0\r\n上書き確認=0\r\n"),
              std::string::npos);
    EXPECT_EQ(IniDocument(text).get("HTML", "レイアウト"), std::nullopt);

    // What the next run reads back is what this one held.
    SettingsStore next(fs);
    EXPECT_EQ(next.settings.startNumber, 1);
    EXPECT_STREQ(next.settings.saveFolder, "");
    EXPECT_STREQ(next.settings.textApp, "");
    EXPECT_EQ(next.settings.hotKeys[0].virtualKey, 0x49);  // no key yet: the default rule
}

TEST(SettingsStoreSave, FileSettingsRecreateADeletedFile) {
    FakeFiles fs;
    fs.files[kIni] = "[File_Set]\r\nコメント=memo\r\n[Window]\r\n幅=640\r\n";
    SettingsStore store(fs);
    fs.files.clear();

    EXPECT_TRUE(store.saveFileSettings());
    ASSERT_EQ(fs.files.count(kIni), 1u);
    const IniDocument doc(fs.files[kIni]);
    EXPECT_EQ(doc.get("File_Set", "コメント"), std::string("memo"));
    EXPECT_EQ(doc.get("File_Set", "起動アプリ：テキスト"), std::string("notepad"));
    EXPECT_EQ(doc.get("Window", "幅"), std::nullopt);
}

TEST(SettingsStoreSave, WindowAndReportSettingsTouchOnlyTheirGroup) {
    FakeFiles fs;
    fs.files[kIni] = "[File_Set]\r\nコメント=memo\r\n[HTML]\r\n独自=1\r\nレイアウト=3\r\n";
    SettingsStore store(fs);
    EXPECT_EQ(store.settings.reportLayout, 3);
    store.settings.columnWidths[1] = 77;
    store.settings.reportLayout = 2;

    EXPECT_TRUE(store.saveWindowSettings());
    EXPECT_TRUE(store.saveReportSettings());
    const IniDocument doc(fs.files[kIni]);
    EXPECT_EQ(doc.get("Window", "項目２幅"), std::string("77"));
    EXPECT_EQ(doc.get("HTML", "レイアウト"), std::string("2"));
    EXPECT_EQ(doc.get("HTML", "独自"), std::string("1"));
    EXPECT_EQ(doc.get("File_Set", "コメント"), std::string("memo"));
    EXPECT_EQ(doc.get("File_Set", "上書き確認"), std::nullopt);
}

TEST(SettingsStoreFailure, ReadOnlyDirectoryRunsOnBuiltInsAndSavesFail) {
    FakeFiles fs;
    fs.createFails = true;
    SettingsStore store(fs);
    EXPECT_TRUE(fs.files.empty());
    EXPECT_EQ(store.settings.startNumber, 1);
    EXPECT_FALSE(store.saveFileSettings());
    EXPECT_FALSE(store.saveWindowSettings());
    EXPECT_FALSE(store.saveReportSettings());
    EXPECT_TRUE(fs.files.empty());
}

TEST(SettingsStoreFailure, UnreadableFileIsNotOverwritten) {
    FakeFiles fs;
    fs.files[kIni] = "[Plugin]\r\nx=1\r\n";
    SettingsStore store(fs);
    fs.readFails = true;
    EXPECT_FALSE(store.saveFileSettings());
    EXPECT_FALSE(store.saveWindowSettings());
    EXPECT_EQ(fs.files[kIni], "[Plugin]\r\nx=1\r\n");
}

TEST(SettingsStoreFailure, DirectoryTooLongForThePathLeavesNoPath) {
    FakeFiles fs;
    // 248 + "\" + "Zelcap.ini" is 259 bytes: the longest path that fits.
    fs.directory = "C:\\" + std::string(245, 'd');
    SettingsStore fits(fs);
    EXPECT_EQ(std::string(fits.iniPath), fs.directory + "\\Zelcap.ini");
    EXPECT_EQ(fs.files.size(), 1u);

    fs.files.clear();
    fs.directory += 'e';
    SettingsStore tooLong(fs);
    EXPECT_STREQ(tooLong.iniPath, "");
    EXPECT_TRUE(fs.files.empty());
    EXPECT_FALSE(tooLong.saveFileSettings());
    EXPECT_FALSE(tooLong.saveWindowSettings());
    EXPECT_FALSE(tooLong.saveReportSettings());
    EXPECT_TRUE(fs.files.empty());
}

}  // namespace

#include "settings/settings_rules.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>

#include "base/cp932.h"

namespace settings_rules {
namespace {

// Shift+I in the hot-key control's encoding: what a kind gets when the file
// leaves both its modifiers and its key at 0.
constexpr int32_t kDefaultHotKeyModifiers = 0x01;
constexpr int32_t kDefaultHotKeyVirtualKey = 0x49;
constexpr int32_t kDefaultColumnWidth = 30;
constexpr int32_t kBuiltInColumnWidth = 100;
constexpr int32_t kBuiltInPointSize = 10;
constexpr const char* kDefaultFaceName = "MS ゴシック";

const char* const kFontStems[3] = {"全体", "画像", "履歴"};
const char* const kColumnKeys[kColumnCount] = {"項目１幅", "項目２幅", "項目３幅", "項目４幅"};

std::string joinKey(const char* stem, const char* suffix) {
    return std::string(stem) + suffix;
}

// The key lists. Each group is listed once, in the order a freshly filled
// file holds its keys; a Reader or a Writer walks it. Reading has no side
// effects (the file is parsed whole before), so the order of the reads cannot
// be observed and the write order serves both.
//
// S is Settings for reading and const Settings for writing. The text
// fallbacks only matter to the Reader; `folder` keys fall back to the start
// directory.
template <class S, class V>
void visitFileSettings(S& s, V& v) {
    v.integer("CSV自動保存", s.autoSaveHistory, 0);
    v.integer("上書き確認", s.confirmOverwrite, 0);
    v.integer("JPEGモード", s.jpegMode, 0);
    v.integer("JPEG品質", s.jpegQuality, 0);
    v.integer("画像ファイル開始番号", s.startNumber, 0);
    v.integer("保存先オプション", s.folderOption, 0);
    v.integer("範囲外カット", s.offscreenBlack, 1);
    v.integer("ファイル名最大番号", s.maxNumber, 999999);
    v.integer("履歴削除", s.keepImagesOnDelete, 1);
    v.integer("ファイル連番０追加", s.zeroPadNumbers, 0);
    for (int i = 0; i < kCaptureKindCount; ++i) {
        auto& hotKey = s.hotKeys[i];
        v.integer(joinKey(kHotKeyStems[i], "：修飾キー"), hotKey.modifiers, 0);
        v.integer(joinKey(kHotKeyStems[i], "：キー"), hotKey.virtualKey, 0);
        v.integer(joinKey(kHotKeyStems[i], "：監視"), hotKey.monitored, 0);
        v.integer(joinKey(kHotKeyStems[i], "：選択"), hotKey.markerChoice, 0);
    }
    v.text("CSVタイトル", s.csvTitle, "NOTITLE");
    v.text("コメント", s.comment, "NOTITLE");
    v.integer("コメント選択", s.commentSource, 0);
    v.folder("保存先", s.saveFolder);
    v.text("画像ファイル名", s.imageFilePrefix, "");

    decltype(&s.generalFont) const fonts[3] = {&s.generalFont, &s.imageFont, &s.historyFont};
    for (int i = 0; i < 3; ++i) {
        v.text(joinKey(kFontStems[i], "フォント名"), fonts[i]->faceName, kDefaultFaceName);
    }
    for (int i = 0; i < 3; ++i) {
        v.integer(joinKey(kFontStems[i], "フォント高さ"), fonts[i]->height, 10);
    }
    for (int i = 0; i < 3; ++i) {
        v.integer(joinKey(kFontStems[i], "フォントサイズ"), fonts[i]->pointSize, 10);
    }
    for (int i = 0; i < 3; ++i) {
        v.integer(joinKey(kFontStems[i], "フォント太さ"), fonts[i]->weight, 400);
    }
    for (int i = 0; i < 3; ++i) {
        v.lowByte(joinKey(kFontStems[i], "フォント斜体"), fonts[i]->italic, 0);
    }

    v.text("起動アプリ：画像", s.imageApp, "");
    v.text("起動アプリ：テキスト", s.textApp, "notepad");
}

template <class S, class V>
void visitWindowSettings(S& s, V& v) {
    v.integer("X位置", s.windowX, 0);
    v.integer("Y位置", s.windowY, 0);
    v.integer("幅", s.windowWidth, 100);
    v.integer("高さ", s.windowHeight, 100);
    for (int i = 0; i < kColumnCount; ++i) {
        v.integer(kColumnKeys[i], s.columnWidths[i], kDefaultColumnWidth);
    }
}

template <class S, class V>
void visitReportSettings(S& s, V& v) {
    v.integer("レイアウト", s.reportLayout, 0);
    v.integer("最大イメージ数", s.reportRowsPerPage, 0);
    v.integer("イメージ幅", s.reportImageWidth, 0);
    v.integer("コメント幅", s.reportCommentWidth, 0);
    v.folder("出力先", s.reportFolder);
    v.text("ファイル名", s.reportFileName, "report1");
    v.text("タイトル名", s.reportTitle, "レポート１");
    v.integer("画像コピーしない", s.reportNoImageCopy, 0);
    v.integer("表紙作成", s.reportCoverPage, 1);
    v.integer("番号表示", s.reportItemNumbers, 1);
    v.integer("タグ使用", s.reportHtmlTags, 1);
    v.integer("拡大画像リンク", s.reportLargeImageLink, 1);
    v.integer("枠色", s.reportFrameColour, 0);
    v.integer("背景色", s.reportBackgroundColour, 0);
    v.integer("１行項目数", s.reportItemsPerRow, 0);
    v.integer("目次分割数", s.reportTocSplit, 0);
}

class Reader {
  public:
    Reader(const IniDocument& doc, const char* section, const char* startDirectory)
        : doc_(doc), section_(section), startDirectory_(startDirectory ? startDirectory : "") {}

    void integer(std::string_view key, int32_t& field, int32_t fallback) const {
        const std::optional<std::string> value = doc_.get(section_, key);
        field = value ? parseInt(*value) : fallback;
    }

    void lowByte(std::string_view key, uint8_t& field, int32_t fallback) const {
        int32_t value = 0;
        integer(key, value, fallback);
        field = static_cast<uint8_t>(static_cast<uint32_t>(value) & 0xFFu);
    }

    // A key present with an empty value gives an empty text, not the fallback.
    template <std::size_t N>
    void text(std::string_view key, char (&field)[N], const char* fallback) const {
        const std::optional<std::string> value = doc_.get(section_, key);
        cp932::copyText(field, value ? value->c_str() : fallback);
    }

    template <std::size_t N>
    void folder(std::string_view key, char (&field)[N]) const {
        text(key, field, startDirectory_);
    }

  private:
    const IniDocument& doc_;
    const char* section_;
    const char* startDirectory_;
};

class Writer {
  public:
    Writer(IniDocument& doc, const char* section) : doc_(doc), section_(section) {}

    void integer(std::string_view key, int32_t value, int32_t /*fallback*/) {
        doc_.set(section_, key, formatInt(value));
    }

    // The flag goes out as the unsigned byte it is held in (0 to 255).
    void lowByte(std::string_view key, uint8_t value, int32_t /*fallback*/) {
        doc_.set(section_, key, formatInt(value));
    }

    template <std::size_t N>
    void text(std::string_view key, const char (&field)[N], const char* /*fallback*/) {
        // Bounded so that a field someone forgot to terminate cannot run on.
        const std::size_t length =
            static_cast<std::size_t>(std::find(field, field + N, '\0') - field);
        doc_.set(section_, key, std::string_view(field, length));
    }

    template <std::size_t N>
    void folder(std::string_view key, const char (&field)[N]) {
        text(key, field, nullptr);
    }

  private:
    IniDocument& doc_;
    const char* section_;
};

}  // namespace

void setBuiltIns(Settings& settings) {
    settings = Settings{};
    settings.startNumber = 1;
    settings.offscreenBlack = 1;
    settings.maxNumber = 999999;
    settings.keepImagesOnDelete = 1;
    settings.generalFont.pointSize = kBuiltInPointSize;
    settings.imageFont.pointSize = kBuiltInPointSize;
    settings.historyFont.pointSize = kBuiltInPointSize;
    settings.windowWidth = 100;
    settings.windowHeight = 100;
    for (int32_t& width : settings.columnWidths)
        width = kBuiltInColumnWidth;
}

int32_t parseInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && text[i] == '-') {
        negative = true;
        ++i;
    }
    // Unsigned arithmetic wraps where a signed one would overflow.
    uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10u + static_cast<uint32_t>(text[i] - '0');
    }
    if (negative)
        value = 0u - value;
    return static_cast<int32_t>(value);
}

int32_t readIntInRange(const IniDocument& doc, std::string_view section, std::string_view key,
                       int32_t fallback, int32_t low, int32_t high) {
    const auto text = doc.get(section, key);
    if (!text)
        return fallback;
    const int32_t v = parseInt(*text);
    return v >= low && v <= high ? v : fallback;
}

std::string formatInt(int32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(value));
    return buffer;
}

void readFileSettings(const IniDocument& doc, const char* startDirectory, Settings& settings) {
    Reader reader(doc, kFileSetSection, startDirectory);
    visitFileSettings(settings, reader);
    for (HotKeyEntry& hotKey : settings.hotKeys) {
        if (hotKey.modifiers == 0 && hotKey.virtualKey == 0) {
            hotKey.modifiers = kDefaultHotKeyModifiers;
            hotKey.virtualKey = kDefaultHotKeyVirtualKey;
            hotKey.monitored = 0;
        }
    }
}

void readWindowSettings(const IniDocument& doc, Settings& settings) {
    Reader reader(doc, kWindowSection, nullptr);
    visitWindowSettings(settings, reader);
    // A zero width would hide the column for good; negative widths are the
    // list view's business and stay as they are.
    for (int32_t& width : settings.columnWidths) {
        if (width == 0)
            width = kDefaultColumnWidth;
    }
}

void readReportSettings(const IniDocument& doc, const char* startDirectory, Settings& settings) {
    Reader reader(doc, kReportSection, startDirectory);
    visitReportSettings(settings, reader);
}

void writeFileSettings(const Settings& settings, IniDocument& doc) {
    Writer writer(doc, kFileSetSection);
    visitFileSettings(settings, writer);
}

void writeWindowSettings(const Settings& settings, IniDocument& doc) {
    Writer writer(doc, kWindowSection);
    visitWindowSettings(settings, writer);
}

void writeReportSettings(const Settings& settings, IniDocument& doc) {
    Writer writer(doc, kReportSection);
    visitReportSettings(settings, writer);
}

}  // namespace settings_rules

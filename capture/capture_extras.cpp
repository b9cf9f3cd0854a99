#include "capture/capture_extras.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "settings/settings_rules.h"

void HeldHotKeys::add(int hotKeyId, int32_t modifiers, int32_t virtualKey) {
    remove(hotKeyId);
    held_.push_back({hotKeyId, registerModifiers(modifiers), virtualKey});
}

void HeldHotKeys::remove(int hotKeyId) {
    held_.erase(std::remove_if(held_.begin(), held_.end(),
                               [&](const Held& h) { return h.hotKeyId == hotKeyId; }),
                held_.end());
}

bool HeldHotKeys::holds(int32_t modifiers, int32_t virtualKey) const {
    const uint32_t registered = registerModifiers(modifiers);
    return std::any_of(held_.begin(), held_.end(), [&](const Held& h) {
        return h.modifiers == registered && h.virtualKey == virtualKey;
    });
}

namespace capture_extras {

const char* const kGroup = "Capture_Ext";

namespace {

constexpr const char* kPngKey = "PNG形式";
constexpr const char* kDelayKey = "遅延秒数";
constexpr const char* kClipboardKey = "クリップボード";
constexpr const char* kRegionStem = "範囲指定";
constexpr const char* kRepeatStem = "前回の範囲";
constexpr const char* kLastRegionKey = "前回の範囲座標";
constexpr const char* kStepStem = "ステップ記録";
constexpr const char* kStepScreenKey = "ステップ記録範囲";
constexpr const char* kStepTypingKey = "入力記録";
constexpr const char* kStepShortcutKey = "ショートカット記録";
constexpr const char* kScrollStem = "スクロール";
constexpr const char* kScrollHeightKey = "スクロール最大高さ";
constexpr const char* kScrollByHandKey = "スクロール手動";
constexpr const char* kAllMonitorsStem = "全モニター";
constexpr const char* kMouseMonitorStem = "マウスのモニター";

int32_t readInt(const IniDocument& doc, const std::string& key, int32_t fallback, int32_t low,
                int32_t high) {
    return settings_rules::readIntInRange(doc, kGroup, key, fallback, low, high);
}

// A key as three values under one stem, like the eight kinds' keys.
void readKey(const IniDocument& doc, const std::string& stem, HotKeyEntry& key) {
    key.modifiers = readInt(doc, stem + "修飾", key.modifiers, 0, 0x0F);
    key.virtualKey = readInt(doc, stem + "キー", key.virtualKey, 0, 0xFE);
    key.monitored = readInt(doc, stem + "監視", key.monitored, 0, 1);
}

void writeKey(IniDocument& doc, const std::string& stem, const HotKeyEntry& key) {
    doc.set(kGroup, stem + "修飾", settings_rules::formatInt(key.modifiers));
    doc.set(kGroup, stem + "キー", settings_rules::formatInt(key.virtualKey));
    doc.set(kGroup, stem + "監視", settings_rules::formatInt(key.monitored));
}

// A key that starts unset is written once it is set, and from then on.
void writeKeyOnceSet(IniDocument& doc, const std::string& stem, const HotKeyEntry& key) {
    const bool unset = key.modifiers == 0 && key.virtualKey == 0 && key.monitored == 0;
    if (unset && !doc.get(kGroup, stem + "修飾") && !doc.get(kGroup, stem + "キー") &&
        !doc.get(kGroup, stem + "監視"))
        return;
    writeKey(doc, stem, key);
}

// An option that starts off is written once it is on, and from then on.
void writeFlagOnceSet(IniDocument& doc, const char* key, bool on) {
    if (on || doc.get(kGroup, key))
        doc.set(kGroup, key, on ? "1" : "0");
}

// "left,top,right,bottom", each a plain decimal number; anything else,
// or an empty rectangle, is no region.
CaptureRegion parseRegion(const std::string& text) {
    int32_t v[4];
    std::size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        const std::size_t end = i < 3 ? text.find(',', at) : text.size();
        if (end == std::string::npos)
            return {};
        const std::string piece = text.substr(at, end - at);
        const bool negative = !piece.empty() && piece[0] == '-';
        const std::size_t digits = piece.size() - (negative ? 1 : 0);
        if (digits == 0 || digits > 6 ||
            piece.find_first_not_of("0123456789", negative ? 1 : 0) != std::string::npos)
            return {};
        v[i] = settings_rules::parseInt(piece);
        at = end + 1;
    }
    const CaptureRegion r{v[0], v[1], v[2], v[3]};
    return r.empty() ? CaptureRegion{} : r;
}

}  // namespace

CaptureExtras read(const IniDocument& doc) {
    CaptureExtras e;
    e.png = readInt(doc, kPngKey, 0, 0, 1) == 1;
    e.delaySeconds = readInt(doc, kDelayKey, 0, 0, kMaxCaptureDelay);
    e.copyToClipboard = readInt(doc, kClipboardKey, 0, 0, 1) == 1;
    readKey(doc, kRegionStem, e.regionKey);
    readKey(doc, kRepeatStem, e.repeatRegionKey);
    readKey(doc, kStepStem, e.stepKey);
    e.stepWholeScreen = readInt(doc, kStepScreenKey, 0, 0, 1) == 1;
    e.stepTyping = readInt(doc, kStepTypingKey, 0, 0, 1) == 1;
    e.stepShortcuts = readInt(doc, kStepShortcutKey, 0, 0, 1) == 1;
    readKey(doc, kScrollStem, e.scrollKey);
    e.scrollMaxHeight = readInt(doc, kScrollHeightKey, kDefaultScrollHeight, kMinScrollHeight,
                                kMaxScrollHeight);
    e.scrollByHand = readInt(doc, kScrollByHandKey, 0, 0, 1) == 1;
    readKey(doc, kAllMonitorsStem, e.allMonitorsKey);
    readKey(doc, kMouseMonitorStem, e.mouseMonitorKey);
    if (const auto text = doc.get(kGroup, kLastRegionKey))
        e.lastRegion = parseRegion(*text);
    return e;
}

void write(const CaptureExtras& e, IniDocument& doc) {
    doc.set(kGroup, kPngKey, e.png ? "1" : "0");
    doc.set(kGroup, kDelayKey, settings_rules::formatInt(e.delaySeconds));
    doc.set(kGroup, kClipboardKey, e.copyToClipboard ? "1" : "0");
    writeKey(doc, kRegionStem, e.regionKey);
    writeKey(doc, kRepeatStem, e.repeatRegionKey);
    writeKey(doc, kStepStem, e.stepKey);
    doc.set(kGroup, kStepScreenKey, e.stepWholeScreen ? "1" : "0");
    const CaptureRegion& r = e.lastRegion;
    char text[64];
    std::snprintf(text, sizeof text, "%d,%d,%d,%d", r.left, r.top, r.right, r.bottom);
    doc.set(kGroup, kLastRegionKey, r.empty() ? "" : text);
    writeKeyOnceSet(doc, kAllMonitorsStem, e.allMonitorsKey);
    writeKeyOnceSet(doc, kMouseMonitorStem, e.mouseMonitorKey);
    writeFlagOnceSet(doc, kStepTypingKey, e.stepTyping);
    writeFlagOnceSet(doc, kStepShortcutKey, e.stepShortcuts);
    writeKeyOnceSet(doc, kScrollStem, e.scrollKey);
    if (e.scrollMaxHeight != kDefaultScrollHeight || doc.get(kGroup, kScrollHeightKey))
        doc.set(kGroup, kScrollHeightKey, settings_rules::formatInt(e.scrollMaxHeight));
    writeFlagOnceSet(doc, kScrollByHandKey, e.scrollByHand);
}

CaptureExtras load(SettingsFiles& files, const char* iniPath) {
    return read(readSettingsDocument(files, iniPath));
}

bool save(SettingsFiles& files, const char* iniPath, const CaptureExtras& extras) {
    return rewriteSettingsDocument(files, iniPath, [&](IniDocument& doc) { write(extras, doc); });
}

std::string keyName(int32_t modifiers, int32_t vk) {
    if (vk == 0)
        return "なし";
    std::string name;
    if (modifiers & 0x02)
        name += "Ctrl+";
    if (modifiers & 0x04)
        name += "Alt+";
    if (modifiers & 0x01)
        name += "Shift+";
    char text[16];
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) {
        name += static_cast<char>(vk);
        return name;
    }
    if (vk >= 0x70 && vk <= 0x87) {
        std::snprintf(text, sizeof text, "F%d", vk - 0x70 + 1);
        return name + text;
    }
    if (vk >= 0x60 && vk <= 0x69) {
        std::snprintf(text, sizeof text, "Num %d", vk - 0x60);
        return name + text;
    }
    struct Named {
        int32_t vk;
        const char* name;
    };
    // The punctuation keys as a Japanese keyboard labels them.
    static const Named kNames[] = {
        {0x08, "Backspace"}, {0x09, "Tab"},   {0x0D, "Enter"},       {0x13, "Pause"},
        {0x1B, "Esc"},       {0x20, "Space"}, {0x21, "PageUp"},      {0x22, "PageDown"},
        {0x23, "End"},       {0x24, "Home"},  {0x25, "Left"},        {0x26, "Up"},
        {0x27, "Right"},     {0x28, "Down"},  {0x2C, "PrintScreen"}, {0x2D, "Insert"},
        {0x2E, "Delete"},    {0x6A, "Num *"}, {0x6B, "Num +"},       {0x6D, "Num -"},
        {0x6E, "Num ."},     {0x6F, "Num /"}, {0x90, "NumLock"},     {0x91, "ScrollLock"},
        {0xBA, ":"},         {0xBB, ";"},     {0xBC, ","},           {0xBD, "-"},
        {0xBE, "."},         {0xBF, "/"},     {0xC0, "@"},           {0xDB, "["},
        {0xDC, "\\"},        {0xDD, "]"},     {0xDE, "^"},           {0xE2, "_"},
    };
    for (const Named& n : kNames)
        if (n.vk == vk)
            return name + n.name;
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(vk) & 0xFFu);
    return name + text;
}

const char* kindName(int hotKeyId) {
    static const char* const kNames[] = {
        "アクティブウィンドウ",
        "スクリーン全体",
        "アクティブウィンドウ（選択枠描画）",
        "スクリーン全体（選択枠描画）",
        "アクティブウィンドウ（マーカー描画）",
        "スクリーン全体（マーカー描画）",
        "アクティブウィンドウ（標準カーソル描画）",
        "スクリーン全体（標準カーソル描画）",
        "範囲指定",
        "前回の範囲",
        "ステップ記録",
        "全モニター",
        "マウスのあるモニター",
        "スクロールキャプチャー",
    };
    const int i = hotKeyId - 102;
    return i >= 0 && i < static_cast<int>(sizeof kNames / sizeof kNames[0]) ? kNames[i] : "";
}

const char* const kHotKeyFailureCaption = "ホットキー登録エラー";

std::string hotKeyFailureMessage(const std::vector<FailedHotKey>& failed) {
    std::string text =
        "次のホットキーは他のプログラムが使用しているため、登録できませんでした。\r\n\r\n";
    for (const FailedHotKey& f : failed)
        text += keyName(f.modifiers, f.virtualKey) + "（" + kindName(f.hotKeyId) + "）\r\n";
    text +=
        "\r\nほかのキーでのキャプチャーは有効です。"
        "このキーを使うには、キー割り当てを変更するか、"
        "そのプログラムを終了してからキャプチャーを開始し直してください。";
    return text;
}

CaptureRegion dragRegion(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t screenWidth,
                         int32_t screenHeight) {
    // The pixel under the end point belongs to the region, as it does on
    // the overlay's outline.
    return dragRegionIn(x0, y0, x1, y1, {0, 0, screenWidth, screenHeight});
}

CaptureRegion onScreen(const CaptureRegion& region, int32_t screenWidth, int32_t screenHeight) {
    return onScreenIn(region, {0, 0, screenWidth, screenHeight});
}

CaptureRegion dragRegionIn(int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                           const CaptureRegion& bounds) {
    CaptureRegion r{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1) + 1, std::max(y0, y1) + 1};
    return onScreenIn(r, bounds);
}

CaptureRegion onScreenIn(const CaptureRegion& region, const CaptureRegion& bounds) {
    CaptureRegion r{std::max(region.left, bounds.left), std::max(region.top, bounds.top),
                    std::min(region.right, bounds.right), std::min(region.bottom, bounds.bottom)};
    return r.empty() ? CaptureRegion{} : r;
}

}  // namespace capture_extras

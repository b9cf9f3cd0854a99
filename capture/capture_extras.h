// The capture options beyond the eight kinds: PNG files, the region capture
// and its repetition, a delay before each capture and a copy on the
// clipboard. They live in the settings file's group "[Capture_Ext]" of their
// own, so the groups the rest of Zelcap reads stay byte for byte as they
// were; with every option off a capture behaves as it always did.
// Platform-free.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "capture/capture_kinds.h"
#include "settings/ini_document.h"
#include "settings/settings.h"
#include "settings/settings_store.h"

// Hot-key ids of the extra kinds, after the eight (102-109).
constexpr int kRegionHotKeyId = 110;
constexpr int kRepeatRegionHotKeyId = 111;
constexpr int kStepHotKeyId = 112;  // toggles step recording
// The whole virtual screen, and the monitor under the pointer.
constexpr int kAllMonitorsHotKeyId = 113;
constexpr int kMouseMonitorHotKeyId = 114;
// The window under the pointer scrolled into one tall picture.
constexpr int kScrollHotKeyId = 115;

constexpr int kMaxCaptureDelay = 10;  // seconds
constexpr int kDefaultScrollHeight = 20000;  // pixels
constexpr int kMinScrollHeight = 100, kMaxScrollHeight = 100000;

struct CaptureRegion {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool empty() const { return right <= left || bottom <= top; }
    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
};

struct CaptureExtras {
    bool png = false;  // files are PNG, whatever the JPEG/BMP choice says
    HotKeyEntry regionKey{0x02 | 0x01, 'R', 0, 0};        // Ctrl+Shift+R, not monitored
    HotKeyEntry repeatRegionKey{0x02 | 0x01, 'E', 0, 0};  // Ctrl+Shift+E, not monitored
    CaptureRegion lastRegion;                             // empty: none yet
    int32_t delaySeconds = 0;                             // 0 to kMaxCaptureDelay
    bool copyToClipboard = false;
    // Step recording: its toggle key (registered whenever it is on, armed
    // or not) and whether a step takes the whole screen or the window.
    HotKeyEntry stepKey{0x02 | 0x01, 'T', 0, 0};  // Ctrl+Shift+T, not on
    bool stepWholeScreen = false;
    // While steps are recorded: the text typed into a control, and a key
    // pressed with Ctrl, Alt or Win (or F1-F12), each as a step of its own.
    bool stepTyping = false;
    bool stepShortcuts = false;
    // The monitor kinds start with no key: a file that never had them set
    // does not get them (see write).
    HotKeyEntry allMonitorsKey{0, 0, 0, 0};
    HotKeyEntry mouseMonitorKey{0, 0, 0, 0};
    // The scrolling capture starts with no key too; its page is cut at
    // this height (kept only once it differs from the default).
    HotKeyEntry scrollKey{0, 0, 0, 0};
    int32_t scrollMaxHeight = kDefaultScrollHeight;
    // The page is taken while the user scrolls it, for programs that take
    // no scroll message; kept only once set, like the step options.
    bool scrollByHand = false;
};

// A hot key that could not be registered when capturing was armed.
struct FailedHotKey {
    int hotKeyId;
    int32_t modifiers;  // as the hot-key control reports them
    int32_t virtualKey;
};

// The hot keys Zelcap itself holds at the moment. Two of its own kinds often
// share a key (every kind starts as Shift+I): the second registration of
// such a key fails like one another program holds, and only this list tells
// the two apart.
class HeldHotKeys {
  public:
    // A key as the hot-key control reports it (see registerModifiers).
    void add(int hotKeyId, int32_t modifiers, int32_t virtualKey);
    void remove(int hotKeyId);
    // Whether one of ours holds the combination RegisterHotKey would be
    // given for this key.
    bool holds(int32_t modifiers, int32_t virtualKey) const;

  private:
    struct Held {
        int hotKeyId;
        uint32_t modifiers;  // as RegisterHotKey takes them
        int32_t virtualKey;
    };
    std::vector<Held> held_;
};

namespace capture_extras {

extern const char* const kGroup;  // "Capture_Ext"

// The stored options over the defaults; a value out of range keeps its
// default. write leaves out the keys of a monitor kind whose key is unset
// and that the group does not hold yet, so that the group stays as it was
// for a user who never sets one; the keyboard's step options likewise
// while they are off.
CaptureExtras read(const IniDocument& doc);
void write(const CaptureExtras& extras, IniDocument& doc);

// Reads the group from the INI file (defaults when it cannot be read).
CaptureExtras load(SettingsFiles& files, const char* iniPath);
// Rewrites the group alone; every other byte of the file stays. False when
// the file cannot be read or written.
bool save(SettingsFiles& files, const char* iniPath, const CaptureExtras& extras);

// "Ctrl+Shift+F12" for a combination as the hot-key control reports it
// (Shift 0x01, Ctrl 0x02, Alt 0x04); "なし" when no key is set.
std::string keyName(int32_t modifiers, int32_t virtualKey);

// The kind of a hot-key id as the key panel and the settings name it.
const char* kindName(int hotKeyId);

// The one message after arming that lists every key another program holds,
// "Ctrl+F12（アクティブウィンドウ）" a line.
std::string hotKeyFailureMessage(const std::vector<FailedHotKey>& failed);
extern const char* const kHotKeyFailureCaption;

// The region dragged from (x0, y0) to (x1, y1), either way round, cut to
// the screen; empty when nothing of it is on the screen.
CaptureRegion dragRegion(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t screenWidth,
                         int32_t screenHeight);

// The stored region cut to the current screen (it may have been kept from
// a larger one); empty when nothing of it is left.
CaptureRegion onScreen(const CaptureRegion& region, int32_t screenWidth, int32_t screenHeight);

// The same against the virtual screen of every monitor, whose corner may
// lie at negative coordinates.
CaptureRegion dragRegionIn(int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                           const CaptureRegion& bounds);
CaptureRegion onScreenIn(const CaptureRegion& region, const CaptureRegion& bounds);

}  // namespace capture_extras

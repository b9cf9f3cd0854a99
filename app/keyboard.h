// The main window's own keys: moving between the two pages of the tab
// control and between the three panes, and what a hot-key control must not
// take from the user while the focus passes through it. Platform-free: the
// message loop reads the key and the modifier state, asks these, and moves
// the focus or puts a control's value back as told.
#pragma once

#include <cstdint>

// Virtual keys, the platform's values.
constexpr int kKeyTab = 0x09;
constexpr int kKeyReturn = 0x0D;
constexpr int kKeyShift = 0x10;
constexpr int kKeyControl = 0x11;
constexpr int kKeyAlt = 0x12;
constexpr int kKeyEscape = 0x1B;
constexpr int kKeyF = 0x46;
constexpr int kKeyPageUp = 0x21;
constexpr int kKeyPageDown = 0x22;
constexpr int kKeyF3 = 0x72;
constexpr int kKeyF4 = 0x73;
constexpr int kKeyF6 = 0x75;
constexpr int kKeyF7 = 0x76;
constexpr int kKeyF8 = 0x77;
constexpr int kKeyF10 = 0x79;

struct KeyPress {
    int key = 0;
    bool control = false;
    bool shift = false;
    bool alt = false;
};

enum class WindowKey {
    none,
    nextPage,      // Ctrl+Tab, Ctrl+PageDown
    previousPage,  // Ctrl+Shift+Tab, Ctrl+PageUp
    nextPane,      // F6
    previousPane,  // Shift+F6
};

// The keys that move between pages and panes wherever the focus is in the
// main window, a hot-key control included.
WindowKey windowKey(const KeyPress& press);

// The keys of the history page's records (the list and the picture):
// F4 marks the selected records' 判定 OK, Shift+F4 NG; F8 takes 判定 from
// the re-test's proposals, F7 shows or hides the baseline's guide. With
// Ctrl or Alt the key is not ours (Alt+F4 closes the window), nor is
// Shift+F7 or Shift+F8.
enum class RecordKey { none, verdictOk, verdictNg, acceptProposal, toggleGuide };

RecordKey recordKey(const KeyPress& press);

// The panes F6 walks through, in its order. `none` is a focus outside them
// (the tab strip, say).
enum class Pane { none, list, view, keyPanel };

Pane nextPane(Pane from, bool forward);
// The page a pane lives on: 0 the history, 1 the settings.
int pageOfPane(Pane pane);
// Ctrl+Tab wraps round like a property sheet's.
int nextPage(int current, int count, bool forward);

// What a key that reaches a hot-key control is.
enum class HotKeyControlKey {
    take,      // part of a combination the control records
    keep,      // the search's keys (Ctrl+F, F3, Shift+F3): recorded by the
               // control, never the main window's command
    modifier,  // Shift, Ctrl or Alt: recorded only with the key that follows
    dialog,    // Tab, Shift+Tab, Return, Esc: the panel's own navigation
    menu,      // F10 on its own: the menu bar, as anywhere else
    close,     // Alt+F4: the window closes, as anywhere else
};

HotKeyControlKey hotKeyControlKey(const KeyPress& press);

// A hot-key control forgets its value the moment a modifier goes down, before
// it knows whether a key follows. Shift of Shift+Tab, Ctrl of Ctrl+Tab, a
// tapped Alt on the way to the menu would each clear the key the user had
// assigned. The guard keeps the value from the first modifier on and says
// when it must go back: the modifiers were let go, or the focus left, with
// no key taken by the control in between.
class HotKeyEditGuard {
  public:
    enum class Release { keep, restore, restoreAndOpenMenu };

    // A modifier went down while the control held `value`.
    void modifierDown(int key, std::uint16_t value);
    // Any other key went down: the control took it (its value is the user's
    // new key) or something else did (an accelerator).
    void otherKeyDown(bool takenByControl);
    // A modifier went up; `modifiersStillDown` whether any is still held.
    Release modifierUp(int key, bool modifiersStillDown);
    // The focus left the control: true when savedValue() must go back.
    bool focusLeft();

    bool armed() const { return armed_; }
    std::uint16_t savedValue() const { return saved_; }

  private:
    bool armed_ = false;
    bool altOnly_ = false;
    std::uint16_t saved_ = 0;
};

#if defined(VK_TAB) && defined(VK_F10)
static_assert(kKeyTab == VK_TAB && kKeyReturn == VK_RETURN && kKeyShift == VK_SHIFT &&
                  kKeyControl == VK_CONTROL && kKeyAlt == VK_MENU && kKeyEscape == VK_ESCAPE &&
                  kKeyPageUp == VK_PRIOR && kKeyPageDown == VK_NEXT && kKeyF3 == VK_F3 &&
                  kKeyF4 == VK_F4 && kKeyF6 == VK_F6 && kKeyF7 == VK_F7 && kKeyF8 == VK_F8 &&
                  kKeyF10 == VK_F10,
              "virtual keys");
#endif

// The steps the keyboard makes while steps are recorded: the keys typed into
// one control gathered into one step (「氏名」に「山田」と入力), a password
// field's never recorded (「パスワード」にパスワードを入力), and a shortcut key
// as a step of its own (「Ctrl+S」を押す). Platform-free; the Win32 side
// watches the keys and names the controls. CP932 throughout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace keysteps {

// Keys typed into a control become its step once this long has passed
// without a key.
constexpr uint32_t kIdleMs = 2000;

struct Control {
    uintptr_t window = 0;  // the control's window, as a number
    std::string name;      // its label or accessible name; empty when unknown
    std::string topTitle;  // the title of its top-level window
    bool password = false;
    // A standard edit control: whether it takes a password its style tells;
    // any other control tells it only through its accessibility.
    bool edit = false;
};

struct TypedStep {
    Control control;
    std::string text;  // what the control was given; always empty for a password
    // Keys went to an input method: the text is the control's own, read
    // once the step ends, not what the keys were.
    bool composed = false;
};

class Typing {
  public:
    // One character typed into `control` (its CP932 bytes), or "\b" for
    // Backspace, which takes back the last character. A key for another
    // control first ends the step of the one before, which is returned.
    std::optional<TypedStep> type(const Control& control, const std::string& character, uint32_t nowMs);
    // A key the input method took (its text comes when it is composed): the
    // step is made, its text to be read from the control.
    std::optional<TypedStep> compose(const Control& control, uint32_t nowMs);
    // Enter, Tab, the focus leaving the control, a click: the step ends.
    std::optional<TypedStep> end();
    // The step ends once kIdleMs have passed since its last key.
    std::optional<TypedStep> idle(uint32_t nowMs);
    bool gathering() const { return gathering_; }

  private:
    Control control_;
    std::string text_;
    bool gathering_ = false;
    bool typed_ = false;  // a character went in (a password's are not kept)
    bool composed_ = false;
    uint32_t lastKeyMs_ = 0;
};

// 「<name>」に「<text>」と入力 (<title>), or 「<name>」にパスワードを入力
// (<title>); 入力欄 names a control without a name. The typed text is cut
// with "…" so that the heading keeps its title within `limit` bytes.
std::string typingHeading(const TypedStep& step, std::size_t limit);

struct Keys {
    bool ctrl = false, alt = false, shift = false, win = false;
    unsigned virtualKey = 0;
};

// "Ctrl+S", "Alt+F4", "Ctrl+Shift+Esc", "F5": the name of a key pressed
// with Ctrl, Alt or Win, or of F1 to F12 (with Shift or alone); empty for
// typing, a modifier alone, or a key this table does not know, which the
// caller names through `systemName` (the keyboard layout's name of the
// key; empty leaves it unnamed).
std::string shortcutName(const Keys& keys, const std::string& systemName = {});

// 「<shortcut>」を押す (<title>), within `limit` bytes.
std::string shortcutHeading(const std::string& shortcut, const std::string& topTitle, std::size_t limit);

}  // namespace keysteps

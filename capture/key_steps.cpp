#include "capture/key_steps.h"

#include "base/cp932.h"
#include "capture/step_heading.h"

namespace keysteps {

namespace {

constexpr char kEllipsis[] = "…";

std::string Cut(const std::string& text, std::size_t limit) {
    return text.substr(0, cp932::cutLength(text.data(), text.size(), limit));
}

// `text` cut with an ellipsis to at most `room` bytes.
std::string CutWithEllipsis(const std::string& text, std::size_t room) {
    if (text.size() <= room)
        return text;
    const std::size_t mark = sizeof kEllipsis - 1;
    return room < mark ? std::string() : Cut(text, room - mark) + kEllipsis;
}

std::string TitlePart(const std::string& title) {
    const std::string clean = stepName(title);
    return clean.empty() ? std::string() : " (" + clean + ")";
}

// Takes the last character off a CP932 text.
void DropLastCharacter(std::string& text) {
    std::size_t last = 0;
    for (std::size_t i = 0; i < text.size(); i += cp932::charLength(text.data(), text.size(), i))
        last = i;
    text.resize(last);
}

const char* KeyName(unsigned vk) {
    switch (vk) {
        case 0x08: return "Backspace";
        case 0x09: return "Tab";
        case 0x0D: return "Enter";
        case 0x1B: return "Esc";
        case 0x20: return "Space";
        case 0x21: return "PageUp";
        case 0x22: return "PageDown";
        case 0x23: return "End";
        case 0x24: return "Home";
        case 0x25: return "Left";
        case 0x26: return "Up";
        case 0x27: return "Right";
        case 0x28: return "Down";
        case 0x2C: return "PrintScreen";
        case 0x2D: return "Insert";
        case 0x2E: return "Delete";
        case 0x6A: return "Num *";
        case 0x6B: return "Num +";
        case 0x6D: return "Num -";
        case 0x6E: return "Num .";
        case 0x6F: return "Num /";
        default: return nullptr;
    }
}

bool IsModifier(unsigned vk) {
    return vk == 0x10 || vk == 0x11 || vk == 0x12 || vk == 0x5B || vk == 0x5C || (vk >= 0xA0 && vk <= 0xA5);
}

}  // namespace

std::optional<TypedStep> Typing::type(const Control& control, const std::string& character, uint32_t nowMs) {
    std::optional<TypedStep> ended;
    if (gathering_ && control.window != control_.window)
        ended = end();
    if (!gathering_) {
        control_ = control;
        text_.clear();
        gathering_ = true;
        typed_ = false;
        composed_ = false;
    }
    // A field may turn into a password field while it is typed into.
    control_.password = control_.password || control.password;
    if (control_.password)
        text_.clear();
    if (character == "\b") {
        if (!control_.password)
            DropLastCharacter(text_);
    } else if (!character.empty()) {
        typed_ = true;
        if (!control_.password)
            text_ += character;
    }
    lastKeyMs_ = nowMs;
    return ended;
}

std::optional<TypedStep> Typing::compose(const Control& control, uint32_t nowMs) {
    std::optional<TypedStep> ended = type(control, std::string(), nowMs);
    typed_ = true;
    composed_ = true;
    return ended;
}

std::optional<TypedStep> Typing::end() {
    if (!gathering_)
        return std::nullopt;
    gathering_ = false;
    // Typed and all taken back again leaves nothing to show.
    if (!typed_ || (!control_.password && !composed_ && text_.empty()))
        return std::nullopt;
    TypedStep step{control_, control_.password ? std::string() : text_,
                   composed_ && !control_.password};
    text_.clear();
    return step;
}

std::optional<TypedStep> Typing::idle(uint32_t nowMs) {
    if (!gathering_ || nowMs - lastKeyMs_ < kIdleMs)
        return std::nullopt;
    return end();
}

std::string typingHeading(const TypedStep& step, std::size_t limit) {
    const std::string name = stepName(step.control.name);
    const std::string target = name.empty() ? std::string("入力欄") : "「" + Cut(name, 48) + "」";
    const std::string title = TitlePart(step.control.topTitle);
    if (step.control.password)
        return Cut(target + "にパスワードを入力" + title, limit);
    const std::string before = target + "に「", after = "」と入力" + title;
    const std::size_t fixed = before.size() + after.size();
    // The text gives way first, so that the heading still says where.
    const std::string text = CutWithEllipsis(stepName(step.text), limit > fixed ? limit - fixed : 0);
    return Cut(before + text + after, limit);
}

std::string shortcutName(const Keys& keys, const std::string& systemName) {
    const unsigned vk = keys.virtualKey;
    const bool functionKey = vk >= 0x70 && vk <= 0x7B;
    if (IsModifier(vk) || !(keys.ctrl || keys.alt || keys.win || functionKey))
        return {};
    std::string key;
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))
        key = std::string(1, static_cast<char>(vk));
    else if (vk >= 0x70 && vk <= 0x87)
        key = "F" + std::to_string(vk - 0x6F);
    else if (vk >= 0x60 && vk <= 0x69)
        key = "Num " + std::to_string(vk - 0x60);
    else if (const char* name = KeyName(vk))
        key = name;
    else
        key = systemName;
    if (key.empty())
        return {};
    std::string out;
    if (keys.ctrl)
        out += "Ctrl+";
    if (keys.alt)
        out += "Alt+";
    if (keys.shift)
        out += "Shift+";
    if (keys.win)
        out += "Win+";
    return out + key;
}

std::string shortcutHeading(const std::string& shortcut, const std::string& topTitle, std::size_t limit) {
    return Cut("「" + shortcut + "」を押す" + TitlePart(topTitle), limit);
}

}  // namespace keysteps

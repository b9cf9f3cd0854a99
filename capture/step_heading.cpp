#include "capture/step_heading.h"

#include <cstring>

#include "base/cp932.h"

namespace {

// Accessibility roles (ROLE_SYSTEM_*) that name a kind of control.
constexpr int32_t kRoleMenuItem = 0x0C;
constexpr int32_t kRoleLink = 0x1E;
constexpr int32_t kRoleListItem = 0x22;
constexpr int32_t kRoleOutlineItem = 0x24;
constexpr int32_t kRolePageTab = 0x25;
constexpr int32_t kRoleText = 0x2A;
constexpr int32_t kRolePushButton = 0x2B;
constexpr int32_t kRoleCheckButton = 0x2C;
constexpr int32_t kRoleRadioButton = 0x2D;
constexpr int32_t kRoleComboBox = 0x2E;

struct Kind {
    const char* name;  // nullptr: not a control we can name
    bool textIsName;   // the window text names it (not so for an edit's contents)
};

bool ClassIs(const std::string& className, const char* name) {
    if (className.size() != std::strlen(name))
        return false;
    for (std::size_t i = 0; i < className.size(); ++i) {
        char a = className[i], b = name[i];
        if (a >= 'A' && a <= 'Z')
            a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z')
            b = static_cast<char>(b - 'A' + 'a');
        if (a != b)
            return false;
    }
    return true;
}

Kind KindOf(const StepTarget& t) {
    switch (t.accessibleRole) {
        case kRolePushButton:
            return {"ボタン", true};
        case kRoleCheckButton:
            return {"チェックボックス", true};
        case kRoleRadioButton:
            return {"ラジオボタン", true};
        case kRoleMenuItem:
            return {"メニュー項目", true};
        case kRoleListItem:
            return {"リスト項目", false};
        case kRoleOutlineItem:
            return {"ツリー項目", false};
        case kRolePageTab:
            return {"タブ", false};
        case kRoleLink:
            return {"リンク", true};
        case kRoleText:
            return {"入力欄", false};
        case kRoleComboBox:
            return {"コンボボックス", false};
        default:
            break;
    }
    if (ClassIs(t.className, "Button")) {
        switch (t.style & 0x0F) {
            case 0x02:
            case 0x03:
            case 0x05:
            case 0x06:
                return {"チェックボックス", true};
            case 0x04:
            case 0x09:
                return {"ラジオボタン", true};
            case 0x07:
                return {nullptr, false};  // a group box
            default:
                return {"ボタン", true};
        }
    }
    if (ClassIs(t.className, "Edit") || t.className.compare(0, 8, "RichEdit") == 0 ||
        t.className.compare(0, 8, "RICHEDIT") == 0)
        return {"入力欄", false};
    if (ClassIs(t.className, "ListBox") || ClassIs(t.className, "SysListView32"))
        return {"リスト", false};
    if (ClassIs(t.className, "ComboBox"))
        return {"コンボボックス", false};
    if (ClassIs(t.className, "#32768"))
        return {"メニュー項目", true};
    if (ClassIs(t.className, "SysTreeView32"))
        return {"ツリー", false};
    if (ClassIs(t.className, "SysTabControl32"))
        return {"タブ", false};
    return {nullptr, false};
}

}  // namespace

std::string stepName(const std::string& text, bool endAtTab) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = cp932::charLength(text.data(), text.size(), i);
        const char c = text[i];
        if (n == 1 && c == '\t' && endAtTab)
            break;
        if (n == 1 && c == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&') {
                out += '&';
                i += 2;
            } else {
                ++i;
            }
            continue;
        }
        if (n == 1 && (c == '\r' || c == '\n' || c == '\t'))
            out += ' ';
        else
            out.append(text, i, n);
        i += n;
    }
    const std::size_t first = out.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

namespace {

std::string Clean(const std::string& text, bool endAtTab = false) { return stepName(text, endAtTab); }

std::string Cut(const std::string& text, std::size_t limit) {
    return text.substr(0, cp932::cutLength(text.data(), text.size(), limit));
}

}  // namespace

std::string stepHeading(const StepTarget& t, std::size_t limit) {
    const Kind kind = KindOf(t);
    const bool menuItem = kind.name && std::strcmp(kind.name, "メニュー項目") == 0;
    std::string name = Clean(t.accessibleName, menuItem);
    if (name.empty() && kind.textIsName)
        name = Clean(t.text, menuItem);
    const std::string title = Clean(t.topTitle);
    // A plain window's accessible name is its title, which follows anyway.
    if (!kind.name && name == title)
        name.clear();
    const bool right = t.button == StepButton::right;
    std::string heading;
    if (kind.name) {
        if (!name.empty())
            heading = "「" + Cut(name, 48) + "」";
        heading += kind.name;
        heading += right ? "を右クリック" : "をクリック";
    } else if (!name.empty()) {
        heading = "「" + Cut(name, 48) + "」を" + (right ? "右クリック" : "クリック");
    } else {
        heading = right ? "右クリック" : "左クリック";
    }
    if (!title.empty())
        heading += " (" + title + ")";
    return Cut(heading, limit);
}

// The heading of a recorded step, made from what was clicked: 「OK」ボタンを
// クリック (ファイルを開く), or 左クリック (メモ帳 - 無題) when nothing better is
// known. Platform-free; the Win32 side fills StepTarget. CP932 throughout.
#pragma once

#include <cstdint>
#include <string>

enum class StepButton { left, right };

struct StepTarget {
    StepButton button = StepButton::left;
    std::string className;       // of the window under the pointer
    uint32_t style = 0;          // its window style
    std::string text;            // its window text
    std::string accessibleName;  // the accessibility name at the point
    int32_t accessibleRole = 0;  // the accessibility role there, 0 unknown
    std::string topTitle;        // the title of its top-level window
};

// A name as a heading shows it: the mnemonic '&' taken out ("&&" stays
// one), line ends and tabs as blanks, blanks at either end gone. A menu
// item's name ends at its tab, after which its shortcut is shown.
std::string stepName(const std::string& text, bool endAtTab = false);

// At most `limit` bytes, never a split character.
std::string stepHeading(const StepTarget& target, std::size_t limit);

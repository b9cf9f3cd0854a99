// The keyboard's steps: typing gathered per control, passwords never kept,
// shortcut keys named.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture/key_steps.h"

namespace {

using keysteps::Control;
using keysteps::Typing;

const Control kName{1, "氏名(&N)", "登録 - 表示", false};
const Control kMail{2, "メール", "登録 - 表示", false};
const Control kSecret{3, "パスワード", "ログイン", true};

TEST(KeySteps, TypingIsGatheredPerControl) {
    Typing typing;
    std::vector<std::string> headings;
    auto keep = [&](const std::optional<keysteps::TypedStep>& step) {
        if (step)
            headings.push_back(keysteps::typingHeading(*step, 255));
    };
    keep(typing.type(kName, "山", 0));
    keep(typing.type(kName, "田", 100));
    keep(typing.type(kName, "x", 200));
    keep(typing.type(kName, "\b", 300));  // Backspace takes back one character
    keep(typing.idle(2299));              // not yet two seconds
    keep(typing.type(kMail, "a", 400));   // another control ends the first step
    keep(typing.idle(2400));              // two seconds after its last key
    keep(typing.type(kSecret, "p", 3000));
    keep(typing.type(kSecret, "w", 3100));
    keep(typing.end());                   // Enter
    keep(typing.type(kName, "z", 4000));
    keep(typing.type(kName, "\b", 4100));
    keep(typing.end());                   // typed and taken back: no step
    keep(typing.end());
    const std::vector<std::string> want = {
        "「氏名(N)」に「山田」と入力 (登録 - 表示)",
        "「メール」に「a」と入力 (登録 - 表示)",
        "「パスワード」にパスワードを入力 (ログイン)",
    };
    EXPECT_EQ(headings, want);
}

TEST(KeySteps, APasswordNeverLeavesItsText) {
    Typing typing;
    Control field = kName;
    typing.type(field, "a", 0);
    field.password = true;  // the field became a password field while typed into
    typing.type(field, "b", 10);
    const auto step = typing.end();
    ASSERT_TRUE(step);
    EXPECT_TRUE(step->text.empty());
    EXPECT_EQ(keysteps::typingHeading(*step, 255).find('a'), std::string::npos);
}

TEST(KeySteps, KeysAnInputMethodTookMakeAStepWhoseTextIsTheControls) {
    struct Case {
        const char* what;
        Control control;
        bool typedFirst;  // a plain character before the input method's keys
        bool compose;
        bool composed;    // the step's text is to be read from the control
    };
    const Case cases[] = {
        {"composed alone", kName, false, true, true},
        {"typed, then composed", kName, true, true, true},
        {"typed alone", kName, true, false, false},
        {"composed into a password field", kSecret, false, true, false},
    };
    for (const Case& c : cases) {
        Typing typing;
        if (c.typedFirst)
            typing.type(c.control, "a", 0);
        if (c.compose)
            typing.compose(c.control, 10);
        const auto step = typing.end();
        ASSERT_TRUE(step) << c.what;
        EXPECT_EQ(step->composed, c.composed) << c.what;
        EXPECT_EQ(step->text, c.typedFirst && !c.control.password ? "a" : "") << c.what;
    }
    // A key of an input method for another control ends the step before.
    Typing typing;
    typing.type(kMail, "a", 0);
    const auto ended = typing.compose(kName, 10);
    ASSERT_TRUE(ended);
    EXPECT_FALSE(ended->composed);
    EXPECT_EQ(ended->text, "a");
}

TEST(KeySteps, LongTextGivesWayToTheTitle) {
    const keysteps::TypedStep step{{5, "", "メモ帳", false}, std::string(300, 'x') + "表"};
    const std::string heading = keysteps::typingHeading(step, 60);
    EXPECT_LE(heading.size(), 60u);
    EXPECT_EQ(heading.rfind("…」と入力 (メモ帳)"), heading.size() - std::string("…」と入力 (メモ帳)").size());
    EXPECT_EQ(heading.compare(0, 10, "入力欄に「"), 0);
    // A double-byte character is never split by the cut.
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "表";
    const std::string cut = keysteps::typingHeading({{5, "", "", false}, text}, 31);
    EXPECT_EQ(cut, "入力欄に「表表表表表…」と入力");
}

TEST(KeySteps, ShortcutNames) {
    struct Case {
        keysteps::Keys keys;
        const char* system;
        const char* name;
    } const cases[] = {
        {{true, false, false, false, 'S'}, "", "Ctrl+S"},
        {{false, true, false, false, 0x73}, "", "Alt+F4"},
        {{true, false, true, false, 0x1B}, "", "Ctrl+Shift+Esc"},
        {{false, false, false, false, 0x74}, "", "F5"},
        {{false, false, true, false, 0x79}, "", "Shift+F10"},
        {{false, false, false, true, 'E'}, "", "Win+E"},
        {{true, false, false, false, 0xBB}, ";", "Ctrl+;"},  // named by the layout
        {{false, false, false, false, 'A'}, "", ""},          // typing
        {{false, false, true, false, 'A'}, "", ""},           // typing a capital
        {{false, false, false, false, 0x7C}, "", ""},         // F13 alone
        {{true, false, false, false, 0x11}, "", ""},          // Ctrl alone
        {{true, false, false, false, 0xBB}, "", ""},          // a key nobody can name
    };
    for (const Case& c : cases)
        EXPECT_EQ(keysteps::shortcutName(c.keys, c.system), c.name) << c.name;
    EXPECT_EQ(keysteps::shortcutHeading("Ctrl+S", "メモ帳 - 無題", 255), "「Ctrl+S」を押す (メモ帳 - 無題)");
}

}  // namespace

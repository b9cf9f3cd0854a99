// The test case arguments of a scripted call: /case, /stepno, /expected,
// /actual and /verdict on a capture, /case alone for the current case, and
// what the window takes of them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/script_call.h"

namespace {

using script::Call;
using script::Command;
using script::Verb;
using testcase::Verdict;

struct CaseParse {
    std::vector<std::string> args;
    bool ok;
    std::size_t commands;  // when ok
};

TEST(ScriptCase, ArgumentsBelongToTheCaptureBeforeThem) {
    const CaseParse cases[] = {
        {{"/capture:screen", "/case:TC-1", "/stepno:3", "/verdict:ng"}, true, 1},
        {{"/capture:screen", "/heading:h", "/verdict:OK", "/case:A"}, true, 1},
        {{"/capture:screen", "/expected:e", "/actual:a", "/verdict:hold"}, true, 1},
        {{"/case:TC-2"}, true, 1},                  // the current case
        {{"/case:"}, true, 1},                      // no current case
        {{"/case:A", "/capture:screen"}, true, 2},  // set, then captured under it
        {{"/save", "/case:A"}, true, 2},            // after no capture: the current case
        {{"/case"}, false, 0},                      // no value at all
        {{"/capture:screen", "/case:"}, false, 0},  // a capture's test ID is something
        {{"/capture:screen", "/case:A", "/case:B"}, false, 0},
        {{"/capture:screen", "/stepno:1", "/stepno:2"}, false, 0},
        {{"/capture:screen", "/verdict:ok", "/verdict:ng"}, false, 0},
        {{"/stepno:1"}, false, 0},  // no capture before
        {{"/arm", "/verdict:ok"}, false, 0},
        {{"/case:A", "/expected:x"}, false, 0},  // the current case is its ID alone
        {{"/capture:screen", "/stepno:0"}, false, 0},
        {{"/capture:screen", "/stepno:100000"}, false, 0},
        {{"/capture:screen", "/stepno:1a"}, false, 0},
        {{"/capture:screen", "/stepno:-1"}, false, 0},
        {{"/capture:screen", "/verdict:fail"}, false, 0},
        {{"/capture:screen", "/verdict"}, false, 0},
        {{"/capture:screen", "/case:a\tb"}, false, 0},  // a control character
        {{"/capture:screen", "/expected:a\tb"}, false, 0},
    };
    for (const CaseParse& c : cases) {
        Call call;
        std::string error;
        const bool ok = script::parseArguments(c.args, call, error);
        std::string joined;
        for (const std::string& a : c.args)
            joined += a + " ";
        EXPECT_EQ(ok, c.ok) << joined << error;
        EXPECT_EQ(error.empty(), ok) << joined;
        if (ok && c.ok) {
            EXPECT_EQ(call.commands.size(), c.commands) << joined;
        }
    }
}

TEST(ScriptCase, TheFieldsKeepTheirValuesInCp932) {
    Call call;
    std::string error;
    ASSERT_TRUE(script::parseArguments(
        {"/capture:screen", u8"/case:ログイン-01", "/stepno:0012", u8"/expected:表示される\nこと",
         "/actual:a\r\nb\rc", "/verdict:NG", "/arm", "/case:next"},
        call, error))
        << error;
    ASSERT_EQ(call.commands.size(), 3u);
    const testcase::TestCase& c = call.commands[0].testCase;
    EXPECT_EQ(c.testId, "ログイン-01");
    EXPECT_EQ(c.step, "12");
    EXPECT_EQ(c.expected, "表示される\r\nこと");  // line ends become CR LF
    EXPECT_EQ(c.actual, "a\r\nb\r\nc");
    EXPECT_EQ(c.verdict, Verdict::ng);
    EXPECT_TRUE(c.tester.empty() && c.date.empty());  // the window's to fill
    EXPECT_TRUE(call.commands[1].testCase.empty());
    EXPECT_EQ(call.commands[2].verb, Verb::setCase);
    EXPECT_EQ(call.commands[2].testCase.testId, "next");
}

TEST(ScriptCase, TextsOutsideCp932AreRefusedNamingTheArgument) {
    // Out of the macros, whose text of their condition would have to be CP932.
    const struct {
        std::string argument, start;
    } cases[] = {
        {u8"/case:絵😀", "引数 /case:絵?: テストIDにシフトJISで表せない文字があります。"},
        {u8"/expected:\u00e9", "引数 /expected:?: 期待結果にシフトJISで表せない文字があります。"},
        {"/actual:\xff", "引数 /actual:?: 実施結果にシフトJISで表せない文字があります。"},
    };
    for (const auto& c : cases) {
        for (const bool alone : {false, true}) {
            if (alone && c.argument.rfind("/case:", 0) != 0)
                continue;
            std::vector<std::string> args = {c.argument};
            if (!alone)
                args.insert(args.begin(), "/capture:screen");
            Call call;
            std::string error;
            EXPECT_FALSE(script::parseArguments(args, call, error));
            EXPECT_EQ(error, c.start);
        }
    }
}

TEST(ScriptCase, LongTextsReachTheWindowWhichCutsThem) {
    // The cut is the window's, with a message in the result: never here.
    Call call;
    std::string error;
    const std::string longest(script::kMaxCaseTextBytes, 'x');
    ASSERT_TRUE(script::parseArguments({"/capture:screen", "/expected:" + longest}, call, error));
    EXPECT_EQ(call.commands[0].testCase.expected.size(), script::kMaxCaseTextBytes);
    EXPECT_FALSE(
        script::parseArguments({"/capture:screen", "/expected:" + longest + "x"}, call, error));
}

TEST(ScriptCase, RequestsCarryTheCaseAndTheWindowChecksIt) {
    Command capture;
    capture.testCase.testId = "表-1";
    capture.testCase.step = "7";
    capture.testCase.expected = "a\r\nb";
    capture.testCase.actual = "c";
    capture.testCase.verdict = Verdict::hold;
    Command current;
    current.verb = Verb::setCase;
    current.testCase.testId = "TC-9";
    std::vector<Command> back;
    std::string error;
    ASSERT_TRUE(script::decodeRequest(script::encodeRequest({capture, current}), back, error))
        << error;
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].testCase, capture.testCase);
    EXPECT_EQ(back[1].verb, Verb::setCase);
    EXPECT_EQ(back[1].testCase, current.testCase);

    // The window's check of each command it decodes, and of what it would
    // never receive (the tester and the date are its own to fill).
    const auto refused = [](const Command& c) {
        std::string why;
        return !script::checkCommand(c, why);
    };
    const struct {
        Verb verb;
        void (*set)(testcase::TestCase&);
    } bad[] = {
        {Verb::capture, [](testcase::TestCase& c) { c.step = "x"; }},
        {Verb::capture, [](testcase::TestCase& c) { c.testId = "a\r\nb"; }},  // one line
        {Verb::capture, [](testcase::TestCase& c) { c.expected = "a\nb"; }},  // LF alone
        {Verb::capture, [](testcase::TestCase& c) { c.actual = "\x95"; }},    // a lone lead byte
        {Verb::capture, [](testcase::TestCase& c) { c.tester = "me"; }},      // the window's
        {Verb::capture, [](testcase::TestCase& c) { c.date = "2026/01/01"; }},
        {Verb::setCase, [](testcase::TestCase& c) { c.verdict = Verdict::ok; }},
        {Verb::setCase, [](testcase::TestCase& c) { c.step = "1"; }},
        {Verb::save, [](testcase::TestCase& c) { c.testId = "A"; }},
    };
    for (const auto& b : bad) {
        Command c;
        c.verb = b.verb;
        b.set(c.testCase);
        EXPECT_TRUE(refused(c)) << script::verbName(b.verb);
    }
    EXPECT_EQ(std::string(script::verbName(Verb::setCase)), "case");
}

}  // namespace

// The command line of a scripted call: its arguments, the request that
// carries them, the result's JSON and the texts between UTF-8 and CP932.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/json_result.h"
#include "script/script_call.h"
#include "script/text_encoding.h"

namespace {

using script::Call;
using script::Command;
using script::Verb;

struct ParseCase {
    std::vector<std::string> args;
    bool ok;
};

TEST(ScriptCall, ArgumentsAreCheckedOneByOne) {
    const ParseCase cases[] = {
        {{"/capture:screen"}, true},
        {{"/CAPTURE:Window-Frame", "/heading:x"}, true},
        {{"/capture:screen-cursor", "/text:a.txt", "/heading:y"}, true},
        {{"/capture:region:-10,20,300,200"}, true},
        {{"/capture:last-region"}, true},
        {{"/capture:all-monitors"}, true},
        {{"/capture:Mouse-Monitor", "/heading:m"}, true},
        {{"/capture:all-monitors:1"}, false},  // the monitor kinds take no value
        {{"/capture:scroll", "/heading:s"}, true},
        {{"/capture:scroll:1"}, false},
        {{"/capture:monitor"}, false},
        {{"/arm", "/capture:screen", "/disarm", "/save", "/quit"}, true},
        {{"/step:start"}, true},
        {{"/save:C:\\h.csv", "/report:r.htm", "/excel:e.xlsx", "/verify"}, true},
        {{"/capture:screen", "/result:out.json", "/timeout:3600", "/instance:C:\\z"}, true},
        {{}, false},                                 // no command
        {{"/result:out.json"}, false},               // no command either
        {{"/capture:screens"}, false},               // kind unknown
        {{"/capture"}, false},                       // kind missing
        {{"/capture:region"}, false},                // the region kind takes its region
        {{"/capture:region:1,2,3"}, false},          // three numbers
        {{"/capture:region:1,2,3,4,5"}, false},      // five
        {{"/capture:region:1,2,0,4"}, false},        // empty
        {{"/capture:region:1,2,-3,4"}, false},       // negative size
        {{"/capture:region:40000,2,3,4"}, false},    // beyond any screen
        {{"/capture:region:1,2,3,4x"}, false},       // not a number
        {{"/heading:x", "/capture:screen"}, false},  // heading before its capture
        {{"/arm", "/heading:x"}, false},             // heading of no capture
        {{"/capture:screen", "/heading:a", "/heading:b"}, false},
        {{"/capture:screen", "/heading"}, false},   // no value
        {{"/capture:screen", "/text:a*b"}, false},  // wildcard in a path
        {{"/capture:screen", "/timeout:0"}, false},
        {{"/capture:screen", "/timeout:3601"}, false},
        {{"/capture:screen", "/timeout:1", "/timeout:2"}, false},
        {{"/capture:screen", "/result:a", "/result:b"}, false},
        {{"/arm:now"}, false},  // takes no value
        {{"/step"}, false},
        {{"/step:pause"}, false},
        {{"/report"}, false},         // needs its file
        {{"/report:r.txt"}, false},   // not a report's name
        {{"/report:r.html"}, false},  // the report is always .htm
        {{"/excel:e.xls"}, false},
        {{"/pack:証跡.html", "/pack:p.PDF", "/pack:p.htm", "/verify:p.html", "/verify:証跡.PDF"},
         true},
        {{"/pack"}, false},          // needs its file
        {{"/pack:p.xlsx"}, false},   // neither HTML nor PDF
        {{"/verify:p.xlsx"}, false},  // neither pack
        {{"/baseline:前回.CSV", "/capture:screen"}, true},
        {{"/baseline"}, false},        // needs its history
        {{"/baseline:前回.zcase"}, false},
        {{"/save:"}, false},          // empty name
        {{"capture:screen"}, false},  // no slash
        {{"/frobnicate"}, false},
    };
    for (const ParseCase& c : cases) {
        Call call;
        std::string error;
        const bool ok = script::parseArguments(c.args, call, error);
        std::string joined;
        for (const std::string& a : c.args)
            joined += a + " ";
        EXPECT_EQ(ok, c.ok) << joined << error;
        EXPECT_EQ(error.empty(), ok) << joined;
    }
}

TEST(ScriptCall, CommandsKeepTheirOrderAndValues) {
    Call call;
    std::string error;
    ASSERT_TRUE(
        script::parseArguments({"/arm", "/capture:region:-5,6,70,80", u8"/heading:ログイン画面",
                                "/text:notes.txt", "/capture:screen-marker", "/save", "/timeout:7"},
                               call, error))
        << error;
    ASSERT_EQ(call.commands.size(), 4u);
    EXPECT_EQ(call.commands[0].verb, Verb::arm);
    const Command& region = call.commands[1];
    EXPECT_EQ(region.kind, script::kRegionKind);
    EXPECT_EQ(region.region.x, -5);
    EXPECT_EQ(region.region.height, 80);
    EXPECT_TRUE(region.hasHeading);
    EXPECT_EQ(region.heading, "ログイン画面");  // CP932 in this file's strings
    EXPECT_EQ(region.textFile, "notes.txt");
    EXPECT_EQ(call.commands[2].kind, 5);
    EXPECT_FALSE(call.commands[2].hasHeading);
    EXPECT_EQ(call.commands[3].verb, Verb::save);
    EXPECT_TRUE(call.commands[3].path.empty());
    EXPECT_EQ(call.timeoutSeconds, 7);
}

TEST(ScriptCall, HeadingsOutsideCp932OrTooLongAreRefused) {
    const std::string cases[] = {
        u8"/heading:絵文字😀",                 // no CP932 form
        u8"/heading:\u00e9",                  // é: none either
        "/heading:\xff\xfe",                  // not UTF-8
        "/heading:\xed\xa0\x80",              // a surrogate in UTF-8
        "/heading:a\tb",                      // a control character
        "/heading:" + std::string(129, 'x'),  // beyond the record's 128 bytes
        u8"/heading:" + std::string(64, 'x') +
            u8"あいうえおかきくけこさしすせそたちつてと"
            u8"なにぬねのはひふへほまみむめもやゆよ",
    };
    for (const std::string& heading : cases) {
        Call call;
        std::string error;
        EXPECT_FALSE(script::parseArguments({"/capture:screen", heading}, call, error)) << heading;
    }
    Call call;
    std::string error;
    EXPECT_TRUE(script::parseArguments({"/capture:screen", "/heading:" + std::string(128, 'x')},
                                       call, error));
    // The refusal names the argument, with "?" where CP932 has no character.
    // Out of the macro, whose text of its condition would have to be CP932.
    const std::string emoji = u8"/heading:絵文字😀";
    EXPECT_FALSE(script::parseArguments({"/capture:screen", emoji}, call, error));
    EXPECT_EQ(error.rfind("引数 /heading:絵文字?: ", 0), 0u) << error;
    EXPECT_FALSE(script::parseArguments({"/capture:screen", "/heading:\xff\xfe"}, call, error));
    EXPECT_EQ(error.rfind("引数 /heading:??: ", 0), 0u) << error;
}

TEST(ScriptCall, Utf8BecomesCp932AsWindowsWritesIt) {
    struct Case {
        std::string utf8;
        std::string cp932;
    };
    const Case cases[] = {
        {"abc\\~", "abc\\~"}, {u8"表示", "\x95\x5C\x8E\xA6"},  // 表 has 0x5C as its trail byte
        {u8"ｱｲ", "\xB1\xB2"},                                  // half-width katakana: one byte each
        {u8"①", "\x87\x40"},  {u8"ⅰ", "\xFA\x40"},  // the IBM copy, not the NEC-selected 0xEEEF
        {u8"￢", "\x81\xCA"},                       // the JIS one, not 0xEEF9 or 0xFA54
        {u8"∵", "\x81\xE6"},                        // JIS row 2, not NEC row 13's 0x879A
        {u8"纊", "\xFA\x5C"},
    };
    for (const Case& c : cases) {
        std::string out;
        ASSERT_TRUE(script::utf8ToCp932(c.utf8, out)) << c.utf8;
        EXPECT_EQ(out, c.cp932) << c.utf8;
        EXPECT_EQ(script::cp932ToUtf8(out), c.utf8);
    }
}

TEST(ScriptCall, EveryDoubleByteCharacterComesBackToItsOwnText) {
    int tried = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead > 0x9F && lead < 0xE0)
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F)
                continue;
            const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            const std::string utf8 = script::cp932ToUtf8(bytes);
            if (utf8 == "?")
                continue;  // unassigned
            std::string back;
            ASSERT_TRUE(script::utf8ToCp932(utf8, back)) << lead << " " << trail;
            // A character held twice comes back as the one Windows writes:
            // the same text again, if not the same bytes.
            EXPECT_EQ(script::cp932ToUtf8(back), utf8);
            ++tried;
        }
    }
    EXPECT_GT(tried, 7000);
}

TEST(ScriptCall, RequestsCarryTheCommandsExactly) {
    Command capture;
    capture.kind = script::kRegionKind;
    capture.region = {-100, 0, 640, 480};
    capture.hasHeading = true;
    capture.heading = "見出し\x95\x5C";
    capture.textFile = "C:\\notes\\表.txt";
    Command save;
    save.verb = Verb::save;
    save.path = "\\\\server\\share\\h.csv";
    Command quit;
    quit.verb = Verb::quit;
    const std::string bytes = script::encodeRequest({capture, save, quit});
    std::vector<Command> back;
    std::string error;
    ASSERT_TRUE(script::decodeRequest(bytes, back, error)) << error;
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[0].region.x, -100);
    EXPECT_EQ(back[0].region.width, 640);
    EXPECT_EQ(back[0].heading, capture.heading);
    EXPECT_EQ(back[0].textFile, capture.textFile);
    EXPECT_EQ(back[1].path, save.path);
    EXPECT_EQ(back[2].verb, Verb::quit);

    // What another program could send instead.
    const std::string bad[] = {
        "", bytes.substr(0, bytes.size() - 1),               // the last field unterminated
        "ZCS2" + bytes.substr(4), std::string("ZCS1\0", 5),  // no command
    };
    for (const std::string& b : bad)
        EXPECT_FALSE(script::decodeRequest(b, back, error));
}

TEST(ScriptCall, TheWindowChecksWhatItReceives) {
    const auto refused = [](const Command& c) {
        std::vector<Command> back;
        std::string error;
        return !script::decodeRequest(script::encodeRequest({c}), back, error);
    };
    Command c;
    EXPECT_FALSE(refused(c));
    c.heading = "x";  // a heading not marked as given
    EXPECT_TRUE(refused(c));
    c.hasHeading = true;
    c.heading = "\x95";  // a lone lead byte
    EXPECT_TRUE(refused(c));
    c.heading = std::string(129, 'x');
    EXPECT_TRUE(refused(c));
    c = Command{};
    c.textFile = "relative.txt";
    EXPECT_TRUE(refused(c));
    c.textFile = "C:\\" + std::string(260, 'a');
    EXPECT_TRUE(refused(c));
    c = Command{};
    c.kind = script::kRegionKind;  // no region
    EXPECT_TRUE(refused(c));
    c = Command{};
    c.verb = Verb::report;
    c.path = "C:\\r.txt";
    EXPECT_TRUE(refused(c));
    c.path = "C:\\r.htm";
    EXPECT_FALSE(refused(c));
    c.hasHeading = true;  // a heading is the capture's
    EXPECT_TRUE(refused(c));
    c = Command{};
    c.verb = Verb::baseline;
    c.path = "C:\\前回.csv";
    EXPECT_FALSE(refused(c));
    c.path = "前回.csv";  // the client sends it full
    EXPECT_TRUE(refused(c));
    c.path = "C:\\前回.htm";
    EXPECT_TRUE(refused(c));
    c = Command{};
    c.verb = Verb::arm;
    c.path = "C:\\x";
    EXPECT_TRUE(refused(c));
}

TEST(ScriptCall, TheMonitorKindsReachTheWindow) {
    Call call;
    std::string error;
    ASSERT_TRUE(script::parseArguments(
        {"/capture:all-monitors", "/capture:mouse-monitor", "/capture:scroll"}, call, error))
        << error;
    std::vector<Command> back;
    ASSERT_TRUE(script::decodeRequest(script::encodeRequest(call.commands), back, error)) << error;
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[0].kind, script::kAllMonitorsKind);
    EXPECT_EQ(back[1].kind, script::kMouseMonitorKind);
    EXPECT_STREQ(script::kindName(back[1].kind), "mouse-monitor");
    EXPECT_EQ(back[2].kind, script::kScrollKind);
    Command beyond;
    beyond.kind = script::kKindCount;  // a kind no caller can name
    EXPECT_FALSE(script::decodeRequest(script::encodeRequest({beyond}), back, error));
}

// A region is taken when any of it is on the virtual screen, which starts
// left of and above the primary monitor when a monitor lies there.
TEST(ScriptCall, RegionsAreCheckedAgainstEveryMonitor) {
    struct Case {
        script::Region region;
        bool taken;
    };
    // Three monitors: 1280x1024 at (-1280, -200) left of the primary
    // 1920x1080 at (0, 0), and 1024x1280 at (1920, 0) right of it.
    const script::Screen screen{-1280, -200, 1280 + 1920 + 1024, 200 + 1280};
    const Case cases[] = {
        {{-1200, -150, 300, 200}, true},  // wholly on the left monitor
        {{-1280, -200, 1, 1}, true},      // its top left pixel
        {{-1281, -201, 2, 2}, true},      // one pixel of it on the screen
        {{-1281, 0, 1, 100}, false},      // just left of the screen
        {{0, -201, 100, 1}, false},       // just above it
        {{2944, 0, 10, 10}, false},       // just right of the right monitor
        {{2943, 1279, 10, 10}, true},     // its bottom right pixel
        {{0, 1080, 10, 10}, true},        // below the primary one: in the box of every monitor
        {{-32768, -32768, 32767, 32767}, true},
        {{32767, 32767, 32767, 32767}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(script::regionOnScreen(c.region, screen), c.taken)
            << c.region.x << "," << c.region.y << " " << c.region.width << "x" << c.region.height;
    // The primary screen alone, as before a second monitor: a negative
    // corner is only taken when the region reaches over it.
    const script::Screen primary{0, 0, 1920, 1080};
    EXPECT_FALSE(script::regionOnScreen({-300, 10, 300, 100}, primary));
    EXPECT_TRUE(script::regionOnScreen({-300, 10, 301, 100}, primary));
}

TEST(ScriptCall, JsonEscapesEveryTextAndStaysUtf8) {
    struct Case {
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {"plain", "\"plain\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {"line\r\nnext\ttab", "\"line\\r\\nnext\\ttab\""},
        {std::string("\x01\x1f\x7f", 3), "\"\\u0001\\u001f\\u007f\""},
        {u8"日本語", u8"\"日本語\""},
        {"\xff", "\"\xEF\xBF\xBD\""},                  // not UTF-8
        {"\xe6\x97", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},  // cut short
        {"\xc0\xaf", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},  // overlong
    };
    for (const Case& c : cases)
        EXPECT_EQ(script::jsonString(c.in), c.out) << c.in;
    script::JsonObject o;
    o.flag("ok", true).number("number", 12).cp932("file", "C:\\表\\a.bmp").raw("list", "[1]");
    EXPECT_EQ(o.str(), u8"{\"ok\":true,\"number\":12,\"file\":\"C:\\\\表\\\\a.bmp\",\"list\":[1]}");
    EXPECT_EQ(script::JsonObject().str(), "{}");
}

}  // namespace

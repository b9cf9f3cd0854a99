// The one-file HTML pack: what goes in place of each picture, that it
// refers to nothing outside itself, its escaping, its case table only with
// cases, and that it streams (no write much larger than one chunk).
#include "pack/pack_html.h"

#include <gtest/gtest.h>

#include <map>
#include <cstring>
#include <string>

#include "base/base64.h"

namespace {

struct Pack {
    pack::PackInput input;
    pack::PackOptions options;
    std::map<std::string, std::string> files;  // path -> bytes; missing: unreadable
    std::size_t chunk = 1000;
    std::size_t largestWrite = 0;
    bool diskFull = false;
    std::string html;

    Pack() {
        input.title = "\x95\x5c\x8e\xa6 <T&>";  // 表示
        input.author = "\x8e\xc0\x8e\x7b";      // 実施
        input.created = "2026-12-10T21:05:00+09:00";
        add(1, "C:\\h\\a1.png", "a1.png", "image/png", "one");
        add(2, "C:\\h\\a2.jpg", "a2.jpg", "image/jpeg", "two");
        input.attachments.push_back({"h.sha256", "text/plain", "abc  a1.png\n"});
        input.attachments.push_back({"h.zlog", "text/plain", "\x95\x5c <x>\r\n"});
    }

    void add(int number, const std::string& path, const std::string& name, const char* mime,
             const std::string& bytes) {
        pack::PackRecord r;
        r.number = number;
        r.dateTime = "2026/12/10 21:05:0" + std::to_string(number);
        r.heading = "h" + std::to_string(number);
        r.picture = {path, name, mime, std::string(64, 'a' + static_cast<char>(number)), false};
        input.records.push_back(r);
        files[path] = bytes;
    }

    pack::PackResult write() {
        html.clear();
        const pack::PackReader read = [this](const std::string& path, const auto& give) {
            const auto found = files.find(path);
            if (found == files.end())
                return false;
            for (std::size_t i = 0; i < found->second.size(); i += chunk)
                give(found->second.data() + i, std::min(chunk, found->second.size() - i));
            return true;
        };
        const pack::PackSink sink = [this](const char* data, std::size_t size) {
            largestWrite = std::max(largestWrite, size);
            html.append(data, size);
            return !diskFull;
        };
        return pack::writePackHtml(input, options, read, sink, nullptr);
    }
};

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

TEST(PackHtml, EachPictureAsItsBytesOrANote) {
    const struct {
        const char* name;
        bool withheld, missing;
        const char* expect;
    } kCases[] = {
        {"as it is", false, false, "data:image/jpeg;base64,dHdv\""},
        {"withheld", true, false, nullptr},
        {"unreadable", false, true, nullptr},
    };
    for (const auto& c : kCases) {
        Pack p;
        p.input.records[1].picture.withheld = c.withheld;
        if (c.missing)
            p.files.erase("C:\\h\\a2.jpg");
        const pack::PackResult result = p.write();
        ASSERT_TRUE(result.ok) << c.name;
        EXPECT_EQ(count(p.html, "<img "), c.expect ? 2u : 1u) << c.name;
        EXPECT_EQ(result.unreadable, c.expect ? 0 : 1) << c.name;
        if (c.expect) {
            EXPECT_NE(p.html.find(c.expect), std::string::npos) << c.name;
        }
        // Neither the original nor a digest stands in for a withheld picture.
        if (c.withheld) {
            EXPECT_EQ(p.html.find(std::string(64, 'c')), std::string::npos);
        }
        EXPECT_EQ(count(p.html, "class=\"znote\""), c.expect ? 0u : 1u) << c.name;
    }
}

TEST(PackHtml, RefersToNothingOutsideItselfAndRunsNoScript) {
    Pack p;
    p.input.records[0].heading = "<script src=http://x/>";
    p.input.records[0].description = "<a href=\"file:///c:/\">x</a> javascript:";
    p.input.records[0].testCase.testId = "<img src=http://e/>";
    ASSERT_TRUE(p.write().ok);
    EXPECT_EQ(p.html.find("<script"), std::string::npos);
    // Inside tags only: an escaped text that spells an attribute is no tag.
    int seen = 0;
    for (std::size_t lt = p.html.find('<'); lt != std::string::npos; lt = p.html.find('<', lt + 1)) {
        const std::string tag = p.html.substr(lt, p.html.find('>', lt) - lt);
        for (const char* attribute : {" src=", " href=", " SRC=", " HREF="}) {
            const std::size_t at = tag.find(attribute);
            if (at == std::string::npos)
                continue;
            ++seen;
            const std::string target = tag.substr(at + std::strlen(attribute), 6);
            EXPECT_TRUE(target.rfind("\"data:", 0) == 0 || target.rfind("#", 0) == 0) << tag;
        }
    }
    EXPECT_GE(seen, 3);  // both pictures and the case table's link
}

TEST(PackHtml, TextsEscapedAndUtf8) {
    Pack p;
    p.input.records[0].picture.name = "a\"1.png";
    ASSERT_TRUE(p.write().ok);
    EXPECT_NE(p.html.find("<meta charset=\"UTF-8\">"), std::string::npos);
    EXPECT_LT(p.html.find("<meta charset"), 1024u);
    EXPECT_NE(p.html.find("<title>\xE8\xA1\xA8\xE7\xA4\xBA &lt;T&amp;&gt;</title>"),
              std::string::npos);
    EXPECT_NE(p.html.find("data-name=\"a&quot;1.png\""), std::string::npos);
    // The CP932 log goes in as UTF-8, marked so that its bytes come back.
    EXPECT_NE(p.html.find("data-encoding=\"cp932\">\xE8\xA1\xA8 &lt;x&gt;\r\n</pre>"),
              std::string::npos);
    EXPECT_NE(p.html.find("data-encoding=\"utf-8\">abc  a1.png\n</pre>"), std::string::npos);
}

TEST(PackHtml, OptionsShowWhatTheyName) {
    const struct {
        bool cover, numbers, digests, cases, withCase;
        std::size_t covers, numbered, digestLines, caseTables;
    } kCases[] = {
        {true, true, true, true, true, 1, 2, 2, 1},
        {false, false, false, true, true, 0, 0, 0, 1},
        {true, true, true, true, false, 1, 2, 2, 0},
        {true, true, true, false, true, 1, 2, 2, 0},
    };
    for (const auto& c : kCases) {
        Pack p;
        p.options.coverPage = c.cover;
        p.options.itemNumbers = c.numbers;
        p.options.showDigests = c.digests;
        p.options.caseTable = c.cases;
        if (c.withCase)
            p.input.records[1].testCase.testId = "TC-01";
        ASSERT_TRUE(p.write().ok);
        EXPECT_EQ(count(p.html, "<div class=\"zcover\">"), c.covers);
        EXPECT_EQ(count(p.html, "<h2>1. h1</h2>") + count(p.html, "<h2>2. h2</h2>"), c.numbered);
        EXPECT_EQ(count(p.html, "<p class=\"zsha\">"), c.digestLines);
        EXPECT_EQ(count(p.html, "<A name=zcases>"), c.caseTables);
    }
}

TEST(PackHtml, StreamsAPictureInPiecesAndStopsAtAFullDisk) {
    Pack p;
    std::string big;
    for (int i = 0; i < 3 * 1024 * 1024; ++i)
        big += static_cast<char>(i * 7);
    p.files["C:\\h\\a1.png"] = big;
    p.chunk = 64 * 1024;
    ASSERT_TRUE(p.write().ok);
    EXPECT_LT(p.largestWrite, pack::kHtmlFlushSize + base64::encodedLength(p.chunk) + 4096);
    const std::size_t start = p.html.find("base64,") + 7;
    std::string back;
    ASSERT_TRUE(base64::decode(p.html.substr(start, p.html.find('"', start) - start), back));
    EXPECT_EQ(back, big);

    p.diskFull = true;
    const pack::PackResult full = p.write();
    EXPECT_FALSE(full.ok);
    EXPECT_FALSE(full.message.empty());
}

TEST(PackHtml, CancelStopsAfterTheRecord) {
    Pack p;
    int calls = 0;
    const pack::PackResult result = pack::writePackHtml(
        p.input, p.options, [](const std::string&, const auto&) { return false; },
        [](const char*, std::size_t) { return true; },
        [&](int done, int total) {
            ++calls;
            EXPECT_EQ(total, 2);
            return done < 1;
        });
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(calls, 1);
}

}  // namespace

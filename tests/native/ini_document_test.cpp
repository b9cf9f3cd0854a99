#include "settings/ini_document.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

std::optional<std::string> some(const char* text) {
    return std::string(text);
}

TEST(IniDocumentParse, AcceptsCrlfAndLfAndWritesCrlf) {
    const IniDocument doc("[S]\r\na=1\nb=2\r\nc=3");
    EXPECT_EQ(doc.get("S", "a"), some("1"));
    EXPECT_EQ(doc.get("S", "b"), some("2"));
    EXPECT_EQ(doc.get("S", "c"), some("3"));
    EXPECT_EQ(doc.serialize(), "[S]\r\na=1\r\nb=2\r\nc=3\r\n");
}

TEST(IniDocumentParse, EmptyInputSerialisesToNothing) {
    EXPECT_EQ(IniDocument("").serialize(), "");
    EXPECT_EQ(IniDocument("\r\n").serialize(), "\r\n");
}

TEST(IniDocumentParse, TrimsNamesAndValuesAndStripsOnePairOfQuotes) {
    const IniDocument doc(
        "  [ S ]  \r\n"
        " \tkey \t=  two words \t\r\n"
        "quoted=  \"  padded  \"  \r\n"
        "twice=\"\"inner\"\"\r\n"
        "open=\"abc\r\n"
        "lone=\"\r\n"
        "single='x'\r\n");
    EXPECT_EQ(doc.get("S", "key"), some("two words"));
    EXPECT_EQ(doc.get("S", "quoted"), some("  padded  "));
    EXPECT_EQ(doc.get("S", "twice"), some("\"inner\""));
    EXPECT_EQ(doc.get("S", "open"), some("\"abc"));
    EXPECT_EQ(doc.get("S", "lone"), some("\""));
    EXPECT_EQ(doc.get("S", "single"), some("'x'"));
}

TEST(IniDocumentParse, DistinguishesAbsentFromEmpty) {
    const IniDocument doc("[S]\r\nempty=\r\nblank=   \r\nquotes=\"\"\r\nnoequal\r\n");
    EXPECT_EQ(doc.get("S", "empty"), some(""));
    EXPECT_EQ(doc.get("S", "blank"), some(""));
    EXPECT_EQ(doc.get("S", "quotes"), some(""));
    EXPECT_EQ(doc.get("S", "missing"), std::nullopt);
    EXPECT_EQ(doc.get("S", "noequal"), std::nullopt);
    EXPECT_EQ(doc.get("T", "empty"), std::nullopt);
}

TEST(IniDocumentParse, ValueKeepsEverythingAfterTheFirstEqualSign) {
    const IniDocument doc("[S]\r\nurl=a=b==c\r\n");
    EXPECT_EQ(doc.get("S", "url"), some("a=b==c"));
    EXPECT_EQ(doc.get("S", "url=a"), std::nullopt);
}

TEST(IniDocumentParse, CommentsAndLinesBeforeAnySectionAreNotKeys) {
    const IniDocument doc("top=1\r\n[S]\r\n;a=1\r\n  ; b=2\r\nc=3\r\n");
    EXPECT_EQ(doc.get("S", ";a"), std::nullopt);
    EXPECT_EQ(doc.get("S", "a"), std::nullopt);
    EXPECT_EQ(doc.get("S", "top"), std::nullopt);
    EXPECT_EQ(doc.get("", "top"), std::nullopt);
    EXPECT_EQ(doc.get("S", "c"), some("3"));
}

TEST(IniDocumentNames, FoldAsciiLettersOnly) {
    const IniDocument doc("[file_SET]\r\nJpegモード=1\r\naウィンドウ：キー=7\r\n");
    EXPECT_EQ(doc.get("File_Set", "JPEGモード"), some("1"));
    EXPECT_EQ(doc.get("FILE_SET", "Aウィンドウ：キー"), some("7"));
}

TEST(IniDocumentNames, TrailBytesThatLookLikeLettersAreNotFolded) {
    // ド is 83 68 ('h' as trail byte) and ォ is 83 48 ('H'): folding the trail
    // byte would make the two names equal.
    ASSERT_EQ(std::string("ド"), "\x83\x68");
    ASSERT_EQ(std::string("ォ"), "\x83\x48");
    IniDocument doc("[S]\r\nAウィンォウ=other\r\n");
    EXPECT_EQ(doc.get("S", "Aウィンドウ"), std::nullopt);
    EXPECT_EQ(doc.get("S", "aウィンォウ"), some("other"));

    doc.set("S", "Aウィンドウ", "mine");
    EXPECT_EQ(doc.get("S", "Aウィンドウ"), some("mine"));
    EXPECT_EQ(doc.get("S", "Aウィンォウ"), some("other"));
}

TEST(IniDocumentNames, BracketAsTrailByteDoesNotCloseTheSectionName) {
    ASSERT_EQ(std::string("ゾ"), "\x83\x5d");  // trail byte ']'
    const IniDocument doc("[ゾーン]\r\nk=v\r\n");
    EXPECT_EQ(doc.get("ゾーン", "k"), some("v"));
}

TEST(IniDocumentDuplicates, FirstSectionAndFirstKeyWin) {
    IniDocument doc("[S]\r\nk=first\r\nk=second\r\n[T]\r\n[s]\r\nk=third\r\nonly=later\r\n");
    EXPECT_EQ(doc.get("S", "k"), some("first"));
    EXPECT_EQ(doc.get("S", "only"), std::nullopt);

    doc.set("S", "k", "new");
    doc.set("S", "only", "x");
    EXPECT_EQ(doc.serialize(),
              "[S]\r\nk=new\r\nk=second\r\nonly=x\r\n[T]\r\n[s]\r\nk=third\r\nonly=later\r\n");
}

TEST(IniDocumentSet, ReplacesInPlaceAndLeavesEveryOtherByteAlone) {
    const std::string before =
        "; Zelcap settings\r\n"
        "\r\n"
        "[File_Set]\r\n"
        "  保存先 = C:\\old  \r\n"
        "独自キー=\"keep me\"\r\n"
        "\r\n"
        "[Unknown]\r\n"
        "x = 1\r\n";
    IniDocument doc(before);
    doc.set("file_set", "保存先", "D:\\新しい");
    EXPECT_EQ(doc.serialize(),
              "; Zelcap settings\r\n"
              "\r\n"
              "[File_Set]\r\n"
              "  保存先 =D:\\新しい\r\n"
              "独自キー=\"keep me\"\r\n"
              "\r\n"
              "[Unknown]\r\n"
              "x = 1\r\n");
    EXPECT_EQ(doc.get("File_Set", "保存先"), some("D:\\新しい"));
}

TEST(IniDocumentSet, NewKeyFollowsTheSectionsLastKey) {
    IniDocument doc("[A]\r\na=1\r\n; note\r\nb=2\r\n\r\n; about B\r\n[B]\r\n");
    doc.set("A", "c", "3");
    doc.set("B", "d", "4");
    doc.set("B", "e", "");
    EXPECT_EQ(doc.serialize(),
              "[A]\r\na=1\r\n; note\r\nb=2\r\nc=3\r\n\r\n; about B\r\n[B]\r\nd=4\r\ne=\r\n");
    EXPECT_EQ(doc.get("B", "e"), some(""));
}

TEST(IniDocumentSet, NewSectionGoesToTheEnd) {
    IniDocument empty;
    empty.set("File_Set", "k", "1");
    empty.set("Window", "w", "2");
    EXPECT_EQ(empty.serialize(), "[File_Set]\r\nk=1\r\n\r\n[Window]\r\nw=2\r\n");

    IniDocument endsBlank("[A]\r\na=1\r\n\r\n");
    endsBlank.set("B", "b", "2");
    EXPECT_EQ(endsBlank.serialize(), "[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\n");
}

TEST(IniDocumentSet, EveryValueReadsBackAsItWasSet) {
    struct Case {
        const char* value;
        const char* line;  // as the file holds it
        const char* back;
    };
    const Case cases[] = {
        {"AAA ", "k=\"AAA \"", "AAA "},
        {" ", "k=\" \"", " "},
        {"\tx", "k=\"\tx\"", "\tx"},
        {"\"x\"", "k=\"\"x\"\"", "\"x\""},
        {"\"\"", "k=\"\"\"\"", "\"\""},
        {"\" ", "k=\"\" \"", "\" "},
        {"a\r\nb", "k=a  b", "a  b"},
        // Written as they are, as before:
        {"plain text", "k=plain text", "plain text"},
        {"\"open", "k=\"open", "\"open"},
        {"shut\"", "k=shut\"", "shut\""},
        {"\"", "k=\"", "\""},
        {"", "k=", ""},
    };
    for (const Case& c : cases) {
        IniDocument doc("[S]\r\nk=old\r\n");
        doc.set("S", "k", c.value);
        EXPECT_EQ(doc.serialize(), std::string("[S]\r\n") + c.line + "\r\n") << c.value;
        EXPECT_EQ(IniDocument(doc.serialize()).get("S", "k"), some(c.back)) << c.value;
        IniDocument fresh;
        fresh.set("S", "k", c.value);
        EXPECT_EQ(fresh.serialize(), std::string("[S]\r\n") + c.line + "\r\n") << c.value;
    }
}

}  // namespace

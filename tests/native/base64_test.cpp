// The base64 both ways: RFC 4648's vectors, every cut of a text into
// pieces giving the same text, and the refusals.
#include "base/base64.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Base64, Rfc4648Vectors) {
    const struct {
        const char* bytes;
        const char* text;
    } kVectors[] = {{"", ""},           {"f", "Zg=="},         {"fo", "Zm8="},
                    {"foo", "Zm9v"},    {"foob", "Zm9vYg=="},  {"fooba", "Zm9vYmE="},
                    {"foobar", "Zm9vYmFy"}};
    for (const auto& v : kVectors) {
        EXPECT_EQ(base64::encode(v.bytes), v.text);
        std::string back;
        EXPECT_TRUE(base64::decode(v.text, back)) << v.text;
        EXPECT_EQ(back, v.bytes);
    }
}

TEST(Base64, EveryCutIntoPiecesGivesTheSameText) {
    std::string bytes;
    for (int i = 0; i < 300; ++i)
        bytes += static_cast<char>((i * 37 + 11) & 0xFF);
    const std::string whole = base64::encode(bytes);
    ASSERT_EQ(whole.size(), base64::encodedLength(bytes.size()));
    for (std::size_t piece = 1; piece <= 7; ++piece) {
        base64::Encoder encoder;
        std::string text;
        for (std::size_t i = 0; i < bytes.size(); i += piece)
            encoder.feed(bytes.data() + i, std::min(piece, bytes.size() - i), text);
        encoder.finish(text);
        EXPECT_EQ(text, whole) << piece;

        base64::Decoder decoder;
        std::string back;
        for (std::size_t i = 0; i < whole.size(); i += piece)
            ASSERT_TRUE(decoder.feed(whole.data() + i, std::min(piece, whole.size() - i), back));
        EXPECT_TRUE(decoder.finish(back));
        EXPECT_EQ(back, bytes) << piece;
    }
}

TEST(Base64, DecodesWrappedAndUnpaddedText) {
    std::string out;
    EXPECT_TRUE(base64::decode("Zm9v\r\nYmE", out));
    EXPECT_EQ(out, "fooba");
    EXPECT_TRUE(base64::decode(" Zg ", out));
    EXPECT_EQ(out, "f");
}

TEST(Base64, RefusesWhatIsNoBase64) {
    for (const char* text : {"Z", "Zm9vY", "Zg=a", "Zg===", "=", "Zm9v*", "Zg==Zg==", "Zm9v="}) {
        std::string out;
        EXPECT_FALSE(base64::decode(text, out)) << text;
    }
}

}  // namespace

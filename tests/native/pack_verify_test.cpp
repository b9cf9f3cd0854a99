// The pack's check on a pack the writer made: clean as written, however the
// file is cut into pieces, and each kind of damage named where it is.
#include "pack/pack_verify.h"

#include <gtest/gtest.h>

#include <string>

#include "pack/pack_html.h"
#include "tests/native/pack_evidence.h"
#include "tests/native/openssl_sha256.h"
#include "tests/native/openssl_stream_digest.h"

namespace {

const Sha256Function kHash = [](const void* data, std::size_t size) {
    return opensslSha256(data, size);
};

const char* const kPictures[][2] = {{"a000001.png", "first picture"},
                                    {"\x95\x5c.jpg", "second"},  // 表.jpg
                                    {"a000003_edit.png", "flattened"}};

std::string makePack() {
    pack::PackInput input;
    input.title = "t";
    std::vector<EvidencePicture> evidence;
    for (int i = 0; i < 3; ++i) {
        pack::PackRecord r;
        r.number = i + 1;
        r.picture.path = kPictures[i][0];
        r.picture.name = kPictures[i][0];
        r.picture.mime = "image/png";
        input.records.push_back(r);
        // UTF-8, as the manifest writes it
        evidence.push_back({kPictures[i][0], i == 1 ? "../caps/\xE8\xA1\xA8.jpg" : kPictures[i][0],
                            opensslSha256(std::string(kPictures[i][1]))});
    }
    attachEvidence(input, evidence);
    std::string html;
    const auto result = pack::writePackHtml(
        input, pack::PackOptions{},
        [](const std::string& path, const auto& give) {
            for (const auto& p : kPictures)
                if (path == p[0])
                    give(p[1], std::char_traits<char>::length(p[1]));
            return true;
        },
        [&](const char* data, std::size_t size) {
            html.append(data, size);
            return true;
        },
        nullptr);
    EXPECT_TRUE(result.ok);
    return html;
}

VerifyResult check(const std::string& html, std::size_t piece) {
    pack::PackScanner scanner(opensslStreamDigest());
    for (std::size_t i = 0; i < html.size(); i += piece)
        scanner.feed(html.data() + i, std::min(piece, html.size() - i));
    return pack::verifyPack(scanner.finish(), kHash);
}

TEST(PackVerify, CleanAsWrittenInPiecesOfAnySize) {
    const std::string html = makePack();
    for (std::size_t piece : {std::size_t{1}, std::size_t{5}, std::size_t{17}, html.size()}) {
        const VerifyResult result = check(html, piece);
        EXPECT_TRUE(verifyClean(result)) << piece << "\n" << verifyReportText(result);
        ASSERT_EQ(result.files.size(), 4u);
        EXPECT_EQ(result.files[1].path, "\x95\x5c.jpg");
        EXPECT_EQ(result.files[3].role, FileRole::log);
    }
}

// Changes the n-th occurrence of `what` after `after` to `to`.
std::string changed(std::string html, const std::string& after, const std::string& what,
                    const std::string& to) {
    const std::size_t at = html.find(what, html.find(after));
    EXPECT_NE(at, std::string::npos) << what;
    return html.replace(at, what.size(), to);
}

TEST(PackVerify, NamesTheDamage) {
    const std::string html = makePack();
    const std::string firstHex = sha256Hex(opensslSha256(std::string(kPictures[0][1])));
    std::string flipped = firstHex;
    flipped[10] = flipped[10] == '0' ? '1' : '0';
    const struct {
        const char* name;
        std::string html;
        const char* expect;
    } kCases[] = {
        {"a byte of the manifest", changed(html, "zatt", firstHex, flipped),
         "変更あり\t1\t画像\ta000001.png"},
        {"a line of the manifest", changed(html, "zatt", firstHex + "  a0", "x"),
         "マニフェスト 1 行目: 読めない行です"},
        {"a picture's byte", changed(html, "zpic", "base64,Zm", "base64,Zn"),
         "変更あり\t1\t画像\ta000001.png"},
        {"a picture's base64", changed(html, "zpic", "base64,Zm", "base64,*m"),
         "変更あり\t1\t画像\ta000001.png"},
        {"a picture's name", changed(html, "zpic", "data-name=\"a000001", "data-name=\"b000001"),
         "未登録\t1\t画像\tb000001.png"},
        {"a line of the log", changed(html, "h.zlog\"", "2026/12/10", "2026/12/11"),
         "ログの連鎖: 2 行目で切れています"},
        {"the log's end", html.substr(0, html.find("</pre>", html.find("h.zlog\""))),
         "ログの連鎖: 4 行目で切れています"},
    };
    for (const auto& c : kCases) {
        const VerifyResult result = check(c.html, 64);
        EXPECT_FALSE(verifyClean(result)) << c.name;
        EXPECT_NE(verifyReportText(result).find(c.expect), std::string::npos)
            << c.name << "\n" << verifyReportText(result);
    }
}

TEST(PackVerify, APageWithoutEvidenceSaysSo) {
    const VerifyResult result = check("<html><img class=\"zpic\" data-name=\"x\" src=\"data:image/png;base64,Zm9", 3);
    EXPECT_FALSE(result.hasManifest);
    EXPECT_FALSE(result.hasLog);
    ASSERT_EQ(result.files.size(), 1u);
    EXPECT_EQ(result.files[0].state, FileState::unlisted);
}

}  // namespace

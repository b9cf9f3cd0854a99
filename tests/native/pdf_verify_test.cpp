// The check of a pack's PDF on a PDF the writer made: clean as written, and
// each kind of damage named where it is, the file cut short included.
#include "pack/pdf_verify.h"

#include <gtest/gtest.h>

#include <string>

#include "pack/pack_pdf.h"
#include "tests/native/pack_evidence.h"
#include "tests/native/openssl_sha256.h"
#include "tests/native/openssl_stream_digest.h"
#include "tests/pack/file_chunks.h"

namespace {

const Sha256Function kHash = [](const void* data, std::size_t size) {
    return opensslSha256(data, size);
};
const char* const kFont = "/usr/share/fonts/opentype/ipaexfont-gothic/ipaexg.ttf";

// A 4 x 3 baseline JPEG header around `scan`, enough for the writer to take it.
std::string jpeg(const std::string& scan) {
    return std::string(
               "\xFF\xD8\xFF\xC0\x00\x11\x08\x00\x03\x00\x04\x03\x01\x11\x00\x02\x11\x00"
               "\x03\x11\x00\xFF\xDA\x00\x02",
               25) +
           scan + "\xFF\xD9";
}

// A 2 x 2 24-bit BMP, bottom-up as a capture or top-down (height -2): the
// writer decodes either and compresses its rows again.
std::string bmp(char heightByte) {
    std::string b("BM\x46\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x02\0\0\0", 22);
    b += heightByte == 2 ? std::string("\x02\0\0\0", 4) : std::string("\xFE\xFF\xFF\xFF", 4);
    b += std::string("\x01\0\x18\0", 4) + std::string(24, '\0');
    return b + std::string("\x10\x20\x30\x40\x50\x60\0\0\x70\x80\x90\xA0\xB0\xC0\0\0", 16);
}

std::string be32(uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}

// A 4 x 3 RGB PNG whose rows the writer takes as they are, in two IDAT
// chunks around a text chunk; what the chunks hold is never decoded.
std::string png() {
    std::string p = "\x89PNG\r\n\x1a\n" + be32(13) + "IHDR" + be32(4) + be32(3) +
                    std::string("\x08\x02\0\0\0", 5) + "CRC1";
    p += be32(9) + "IDATrows of a" + "CRC2" + be32(4) + "tEXtnote" + "CRC3";
    return p + be32(8) + "IDAT picture" + "CRC4" + be32(0) + "IEND" + "CRC5";
}

struct Picture {
    const char* name;
    std::string bytes;
};

const Picture kPictures[] = {{"a000001.jpg", jpeg("first picture")},
                             {"\x95\x5c.jpg", jpeg("second")},  // 表.jpg
                             {"a000003.png", png()},
                             {"a000004.bmp", bmp(2)},
                             {"top-down.bmp", bmp(-2)}};

std::string makePdf() {
    pack::PackInput input;
    input.title = "t";
    input.created = "2026-12-10T21:05:00+09:00";
    std::vector<EvidencePicture> evidence;
    for (int i = 0; i < 5; ++i) {
        pack::PackRecord r;
        r.number = i + 1;
        r.heading = "見出し";
        r.picture.path = r.picture.name = kPictures[i].name;
        input.records.push_back(r);
        // UTF-8, as the manifest writes it
        evidence.push_back({kPictures[i].name, i == 1 ? "../caps/\xE8\xA1\xA8.jpg" : kPictures[i].name,
                            opensslSha256(kPictures[i].bytes)});
    }
    attachEvidence(input, evidence);
    std::string pdf;
    const pack::PackReader read = [](const std::string& path, const auto& give) {
        for (const Picture& p : kPictures)
            if (path == p.name) {
                give(p.bytes.data(), p.bytes.size());
                return true;
            }
        return readFileChunks(path, give);
    };
    const auto result = pack::writePackPdf(
        input, pack::PackOptions{}, kFont, read,
        [&](const char* data, std::size_t size) {
            pdf.append(data, size);
            return true;
        },
        nullptr);
    EXPECT_TRUE(result.ok) << result.message;
    return pdf;
}

VerifyResult check(const std::string& pdf) {
    const pack::PdfReadAt readAt = [&](uint64_t offset, std::size_t size, std::string& out) {
        out = pdf.substr(static_cast<std::size_t>(offset), size);
        return true;
    };
    return pack::verifyPack(pack::readPackPdf(pdf.size(), readAt, opensslStreamDigest()), kHash);
}

std::string changed(std::string pdf, const std::string& after, const std::string& what,
                    const std::string& to) {
    const std::size_t at = pdf.find(what, pdf.find(after));
    EXPECT_NE(at, std::string::npos) << what;
    return at == std::string::npos ? pdf : pdf.replace(at, what.size(), to);
}

// The last digit of the /Length after `after` one more, in place.
std::string lengthChanged(std::string pdf, const std::string& after) {
    std::size_t at = pdf.find("/Length ", pdf.find(after));
    EXPECT_NE(at, std::string::npos);
    if (at == std::string::npos)
        return pdf;
    for (at += 8; pdf[at + 1] >= '0' && pdf[at + 1] <= '9';)
        ++at;
    pdf[at] = pdf[at] == '9' ? '8' : static_cast<char>(pdf[at] + 1);
    return pdf;
}

TEST(PdfVerify, AsWrittenEachPictureMatchesButOneCompressedAnew) {
    const std::string pdf = makePdf();
    EXPECT_TRUE(pack::looksLikePdf(pdf.data(), pdf.size()));
    const VerifyResult result = check(pdf);
    EXPECT_EQ(verifyReportText(result),
              "一致\t1\t画像\ta000001.jpg\r\n"
              "一致\t2\t画像\t\x95\x5c.jpg\r\n"
              "一致\t3\t画像\ta000003.png\r\n"
              "一致\t4\t画像\ta000004.bmp\r\n"
              "PDF内で再圧縮: 照合できません\t5\t画像\ttop-down.bmp\r\n"
              "一致\t-\tログ\th.zlog\r\n"
              "ログの連鎖: 正常\r\n");
}

TEST(PdfVerify, NamesTheDamage) {
    const std::string pdf = makePdf();
    const std::string firstHex = sha256Hex(opensslSha256(kPictures[0].bytes));
    std::string flipped = firstHex;
    flipped[10] = flipped[10] == '0' ? '1' : '0';
    const struct {
        const char* name;
        std::string pdf;
        const char* expect;
    } kCases[] = {
        {"a byte of the manifest", changed(pdf, "/EmbeddedFile", firstHex, flipped),
         "変更あり\t1\t画像\ta000001.jpg"},
        {"a line of the manifest",
         changed(pdf, "/EmbeddedFile", firstHex + "  a0", "x" + firstHex + " a0"),
         "マニフェスト 1 行目: 読めない行です"},
        {"a picture's byte", changed(pdf, "/DCTDecode", "first picture", "first pictura"),
         "変更あり\t1\t画像\ta000001.jpg"},
        {"a line of the log", changed(pdf, "  h.zlog", "2026/12/10", "2026/12/11"),
         "ログの連鎖: 2 行目で切れています"},
        {"a byte of a PNG's rows", changed(pdf, "/ZelcapPng", "picture", "pictura"),
         "変更あり\t3\t画像\ta000003.png"},
        {"a picture's length", lengthChanged(pdf, "/ZelcapRecord 2"),
         "変更あり\t2\t画像\t\x95\x5c.jpg"},
        {"the file cut short", pdf.substr(0, pdf.size() / 2), "マニフェストがありません"},
        {"no table at its end", pdf.substr(0, pdf.rfind("startxref")), "ログがありません"},
    };
    for (const auto& c : kCases) {
        const VerifyResult result = check(c.pdf);
        EXPECT_FALSE(verifyClean(result)) << c.name;
        EXPECT_NE(verifyReportText(result).find(c.expect), std::string::npos)
            << c.name << "\n"
            << verifyReportText(result);
    }
}

}  // namespace

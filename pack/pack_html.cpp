#include "pack/pack_html.h"

#include "base/base64.h"
#include "base/text_encoding.h"
#include "report/export_cases.h"
#include "report/export_picture.h"
#include "report/report_cases.h"
#include "report/report_writer.h"

namespace pack {

const char* const kUnreadablePictureNote = "（画像を読めません）";

namespace {

// The page's own rules; the case tables bring the report's.
constexpr const char* kStyle =
    "body { font-family: sans-serif; margin: 16px }\n"
    "div.zcover { margin-bottom: 24px }\n"
    "table.zcover td { padding: 2px 8px }\n"
    "div.zrec { margin: 16px 0; padding-top: 8px; border-top: 1px solid #999999 }\n"
    "img.zpic { max-width: 100%; border: 1px solid #cccccc }\n"
    "p.zsha, p.zdate { font-family: monospace; font-size: small; margin: 2px 0 }\n"
    "p.znote { color: #990000; font-weight: bold }\n"
    "pre.zatt { font-size: small; background-color: #f4f4f4; padding: 4px; "
    "white-space: pre-wrap; word-break: break-all }\n";

std::string utf8(const std::string& cp932Html) {
    return text_encoding::cp932ToUtf8(cp932Html);
}

class Writer {
  public:
    Writer(const PackInput& input, const PackOptions& options, const PackReader& read,
           const PackSink& out, const PackProgress& progress)
        : in_(input), options_(options), read_(read), out_(out), progress_(progress) {}

    PackResult run();

  private:
    bool flush();
    bool put(const std::string& text) {
        buffer_ += text;
        return buffer_.size() < kHtmlFlushSize || flush();
    }
    bool withCases() const;
    void head();
    void cover();
    void caseTable();
    bool record(const PackRecord& r);
    bool picture(const PackRecord& r);
    void attachments();
    PackResult failed(const char* message);

    const PackInput& in_;
    const PackOptions& options_;
    const PackReader& read_;
    const PackSink& out_;
    const PackProgress& progress_;
    std::string buffer_;
    bool sinkFailed_ = false;
    PackResult result_;
};

bool Writer::flush() {
    if (!sinkFailed_ && !buffer_.empty() && !out_(buffer_.data(), buffer_.size()))
        sinkFailed_ = true;
    buffer_.clear();
    return !sinkFailed_;
}

bool Writer::withCases() const {
    for (const PackRecord& r : in_.records)
        if (!r.testCase.empty())
            return true;
    return false;
}

void Writer::head() {
    // The charset comes first, within the bytes a browser sniffs; the policy
    // forbids the page every fetch but its own data: pictures, should an
    // edited copy ever gain a reference.
    put("<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"UTF-8\">\n"
        "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
        "img-src data:; style-src 'unsafe-inline'\">\n<title>" +
        htmlText(in_.title) + "</title>\n<style>\n" + kStyle);
    if (options_.caseTable && withCases())
        put(utf8(report_cases::kStyle));
    put("</style>\n</head>\n<body>\n");
}

void Writer::cover() {
    VerdictCounts counts;
    for (const PackRecord& r : in_.records)
        counts.add(r.testCase.verdict);
    const auto row = [&](const char* label, const std::string& cp932) {
        put("<tr><td>" + htmlText(label) + "</td><td>" + htmlText(cp932) + "</td></tr>\n");
    };
    put("<div class=\"zcover\">\n<h1>" + htmlText(in_.title) + "</h1>\n<table class=\"zcover\">\n");
    if (!in_.author.empty())
        row("実施者", in_.author);
    row("作成日時", in_.created);
    row("レコード数", std::to_string(in_.records.size()));
    if (withCases())
        row("判定", verdictCountsLine(counts));
    if (!in_.manifestSha256Hex.empty())
        put("<tr><td>" + htmlText("マニフェストの SHA-256") + "</td><td><tt>" +
            htmlText(in_.manifestSha256Hex) + "</tt></td></tr>\n");
    put("</table>\n</div>\n");
}

void Writer::caseTable() {
    RecordCases cases;
    std::vector<std::string> digests;
    for (const PackRecord& r : in_.records) {
        cases.push_back(r.testCase);
        digests.push_back(options_.showDigests && !r.picture.withheld ? r.picture.sha256Hex
                                                                  : std::string());
    }
    put(utf8(report_cases::table(cases, digests)));
}

bool Writer::picture(const PackRecord& r) {
    const PackPicture& p = r.picture;
    if (p.withheld) {
        put("<p class=\"znote\">" + htmlText(kWithheldPictureNote) + "</p>\n");
        return false;
    }
    // The tag opens at the first chunk, so that a file that cannot be opened
    // leaves no empty picture behind.
    bool opened = false;
    base64::Encoder encoder;
    const bool read = read_(p.path, [&](const char* data, std::size_t size) {
        if (!opened)
            put("<img class=\"zpic\" data-record=\"" + std::to_string(r.number) +
                "\" data-name=\"" + htmlText(p.name) + "\" alt=\"" + htmlText(p.name) +
                "\" src=\"data:" + htmlText(p.mime) + ";base64,");
        opened = true;
        encoder.feed(data, size, buffer_);
        if (buffer_.size() >= kHtmlFlushSize)
            flush();
    });
    if (opened) {
        encoder.finish(buffer_);
        put("\"><br>\n");
    }
    if (!read || !opened) {
        put("<p class=\"znote\">" + htmlText(kUnreadablePictureNote) + " " + htmlText(p.name) +
            "</p>\n");
        return false;
    }
    return true;
}

bool Writer::record(const PackRecord& r) {
    const std::string number = std::to_string(r.number);
    put("<div class=\"zrec\" id=\"" + number + "\">\n<h2>" +
        (options_.itemNumbers ? number + ". " : std::string()) + htmlText(r.heading) +
        "</h2>\n<p class=\"zdate\">" + htmlText(r.dateTime) + "</p>\n");
    const bool cell = options_.caseTable && !r.testCase.empty();
    if (cell)
        put("<table>\n <tr>\n  <td valign=top>\n");
    if (!picture(r))
        ++result_.unreadable;
    if (options_.showDigests && !r.picture.withheld && !r.picture.sha256Hex.empty())
        put("<p class=\"zsha\">SHA-256: " + htmlText(r.picture.sha256Hex) + "</p>\n");
    if (cell)
        put("  </td>\n" + utf8(report_cases::cell(r.testCase)) + " </tr>\n</table>\n");
    if (!r.description.empty())
        put("<p class=\"zdesc\">" + utf8(report_cases::caseText(r.description)) + "</p>\n");
    return put("</div>\n");
}

void Writer::attachments() {
    if (in_.attachments.empty())
        return;
    put("<div class=\"zrec\" id=\"zevidence\">\n<h2>" + htmlText("証跡ファイル") + "</h2>\n");
    for (const PackAttachment& a : in_.attachments) {
        const bool isUtf8 = text_encoding::isUtf8(a.bytes);
        const std::string name = htmlText(a.name);
        put("<h3>" + name + "</h3>\n<pre class=\"zatt\" data-name=\"" + name +
            "\" data-encoding=\"" + (isUtf8 ? "utf-8" : "cp932") + "\">");
        // A UTF-8 file goes in as it is; only the markup's bytes are escaped.
        const std::string text = isUtf8 ? a.bytes : text_encoding::cp932ToUtf8(a.bytes);
        std::string escaped;
        for (const char c : text) {
            if (c == '&')
                escaped += "&amp;";
            else if (c == '<')
                escaped += "&lt;";
            else if (c == '>')
                escaped += "&gt;";
            else
                escaped += c;
        }
        put(escaped + "</pre>\n");
    }
    put("</div>\n");
}

PackResult Writer::failed(const char* message) {
    result_.ok = false;
    result_.message = message;
    return result_;
}

PackResult Writer::run() {
    head();
    if (options_.coverPage)
        cover();
    if (options_.caseTable && withCases())
        caseTable();
    const int total = static_cast<int>(in_.records.size());
    for (int i = 0; i < total; ++i) {
        if (!record(in_.records[static_cast<std::size_t>(i)]) || sinkFailed_)
            return failed("ファイルに書き込めません。ディスクの空きを確かめてください。");
        if (progress_ && !progress_(i + 1, total)) {
            result_.cancelled = true;
            return failed("中止しました。");
        }
    }
    attachments();
    put("</body>\n</html>\n");
    if (!flush())
        return failed("ファイルに書き込めません。ディスクの空きを確かめてください。");
    result_.ok = true;
    return result_;
}

}  // namespace

std::string htmlText(const std::string& cp932) {
    const std::string text = text_encoding::cp932ToUtf8(reportEscapeText(cp932));
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c == '"')
            out += "&quot;";
        else
            out += c;
    }
    return out;
}

PackResult writePackHtml(const PackInput& input, const PackOptions& options,
                         const PackReader& read, const PackSink& out,
                         const PackProgress& progress) {
    return Writer(input, options, read, out, progress).run();
}

}  // namespace pack

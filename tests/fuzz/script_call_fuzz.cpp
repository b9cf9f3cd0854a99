// A scripted call's texts. The first byte picks what the rest is:
// - 0: arguments, one a line. What the parser accepts has a command, a
//   heading of well-formed CP932 that fits a record, and goes through a
//   request unchanged when it names no file;
// - 1: a request from any program. What the window accepts encodes again to
//   a request it accepts the same;
// - 2: a text. Its JSON string is well-formed UTF-8 with no raw control
//   character, and a text that converts to CP932 comes back as itself.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "script/json_result.h"
#include "script/script_call.h"
#include "script/text_encoding.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

bool wellFormedUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        std::size_t n = c < 0x80                 ? 1
                        : c >= 0xC2 && c <= 0xDF ? 2
                        : c >= 0xE0 && c <= 0xEF ? 3
                        : c >= 0xF0 && c <= 0xF4 ? 4
                                                 : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += n;
    }
    return true;
}

bool same(const script::Command& a, const script::Command& b) {
    return a.verb == b.verb && a.kind == b.kind && a.region.x == b.region.x &&
           a.region.y == b.region.y && a.region.width == b.region.width &&
           a.region.height == b.region.height && a.hasHeading == b.hasHeading &&
           a.heading == b.heading && a.textFile == b.textFile && a.path == b.path;
}

void arguments(const std::string& text) {
    std::vector<std::string> args;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        args.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    script::Call call;
    std::string error;
    if (!script::parseArguments(args, call, error)) {
        FUZZ_CHECK(!error.empty());
        return;
    }
    FUZZ_CHECK(!call.commands.empty() && call.commands.size() <= script::kMaxCommands);
    FUZZ_CHECK(call.timeoutSeconds >= 1 && call.timeoutSeconds <= script::kMaxTimeoutSeconds);
    std::vector<script::Command> plain;
    for (const script::Command& c : call.commands) {
        FUZZ_CHECK(c.heading.size() < 129);
        std::string back;
        FUZZ_CHECK(script::utf8ToCp932(script::cp932ToUtf8(c.heading), back) && back == c.heading);
        if (c.path.empty() && c.textFile.empty())
            plain.push_back(c);
    }
    if (plain.empty())
        return;
    std::vector<script::Command> decoded;
    FUZZ_CHECK(script::decodeRequest(script::encodeRequest(plain), decoded, error));
    FUZZ_CHECK(decoded.size() == plain.size());
    for (std::size_t i = 0; i < plain.size(); ++i)
        FUZZ_CHECK(same(decoded[i], plain[i]));
}

void request(const std::string& bytes) {
    std::vector<script::Command> commands;
    std::string error;
    if (!script::decodeRequest(bytes, commands, error))
        return;
    std::vector<script::Command> again;
    FUZZ_CHECK(script::decodeRequest(script::encodeRequest(commands), again, error));
    FUZZ_CHECK(again.size() == commands.size());
    for (std::size_t i = 0; i < commands.size(); ++i) {
        FUZZ_CHECK(same(again[i], commands[i]));
        FUZZ_CHECK(script::checkCommand(commands[i], error));
    }
}

void text(const std::string& s) {
    const std::string json = script::jsonString(s);
    FUZZ_CHECK(wellFormedUtf8(json));
    FUZZ_CHECK(json.size() >= 2 && json.front() == '"' && json.back() == '"');
    for (char c : json)
        FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20);
    std::string cp932;
    if (s.find('\0') == std::string::npos && script::utf8ToCp932(s, cp932)) {
        FUZZ_CHECK(wellFormedUtf8(s));
        FUZZ_CHECK(script::cp932ToUtf8(cp932) == s);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 3) {
        case 0:
            arguments(rest);
            break;
        case 1:
            request(rest);
            break;
        default:
            text(rest);
            break;
    }
    return 0;
}

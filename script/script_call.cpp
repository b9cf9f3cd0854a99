#include "script/script_call.h"

#include "base/cp932.h"
#include "script/text_encoding.h"
#include "settings/settings.h"

namespace script {

namespace {

const char* const kKindNames[kKindCount] = {
    "window",        "screen",        "window-frame",  "screen-frame", "window-marker",
    "screen-marker", "window-cursor", "screen-cursor", "region",       "last-region"};

constexpr char kRequestMagic[] = "ZCS1";
constexpr std::size_t kFieldsPerCommand = 10;

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Option names and kinds are ASCII words: folded by the ASCII rule.
bool sameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    return true;
}

bool endsWithWord(std::string_view text, std::string_view tail) {
    return text.size() > tail.size() && sameWord(text.substr(text.size() - tail.size()), tail);
}

// A whole decimal number within [low, high].
bool parseNumber(std::string_view text, long low, long high, long& out) {
    if (text.empty() || text.size() > 11)
        return false;
    std::size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size())
        return false;
    long value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
        if (value > 100000000L)
            return false;
    }
    out = text[0] == '-' ? -value : value;
    return out >= low && out <= high;
}

bool parseKind(std::string_view text, Command& command) {
    constexpr std::string_view kRegion = "region:";
    if (text.size() > kRegion.size() && sameWord(text.substr(0, kRegion.size()), kRegion)) {
        std::string_view rest = text.substr(kRegion.size());
        long values[4];
        for (int i = 0; i < 4; ++i) {
            const std::size_t comma = i < 3 ? rest.find(',') : rest.size();
            if (comma == std::string_view::npos)
                return false;
            const bool size = i >= 2;
            if (!parseNumber(rest.substr(0, comma), size ? 1 : -32768, 32767, values[i]))
                return false;
            rest = i < 3 ? rest.substr(comma + 1) : std::string_view();
        }
        command.kind = kRegionKind;
        command.region = {static_cast<int32_t>(values[0]), static_cast<int32_t>(values[1]),
                          static_cast<int32_t>(values[2]), static_cast<int32_t>(values[3])};
        return true;
    }
    for (int kind = 0; kind < kKindCount; ++kind) {
        if (kind != kRegionKind && sameWord(text, kKindNames[kind])) {
            command.kind = kind;
            return true;
        }
    }
    return false;
}

bool hasControl(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return true;
    return false;
}

// A path as typed: something, with no character Windows forbids in a path.
bool plausiblePath(std::string_view path) {
    return !path.empty() && !hasControl(path) && path.find_first_of("*?\"<>|") == path.npos;
}

// Well-formed CP932: every lead byte has its trail byte.
bool wellFormedCp932(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = cp932::charLength(text.data(), text.size(), i);
        if (n == 1 && cp932::isLeadByte(static_cast<unsigned char>(text[i])))
            return false;
        i += n;
    }
    return true;
}

// A full Windows path that a history field can hold: "X:\..." or "\\server\...".
bool fullPath(std::string_view path) {
    if (path.empty() || path.size() >= static_cast<std::size_t>(kPathSize) || hasControl(path) ||
        !wellFormedCp932(path))
        return false;
    const bool drive = path.size() >= 3 &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
                       path[1] == ':' && path[2] == '\\';
    const bool share = path.size() >= 3 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
    return (drive || share) && path.back() != '\\';
}

std::string said(std::string_view argument, const char* why) {
    std::string text = "引数 ";
    text.append(argument.data(), argument.size());
    text += ": ";
    text += why;
    return text;
}

// The argument as typed, cut for the message, whole characters; what CP932
// cannot show is "?", so the message still names the argument.
std::string shown(const std::string& argument) {
    std::string cp932 = text_encoding::utf8ToCp932Shown(argument);
    cp932.resize(cp932::cutLength(cp932.data(), cp932.size(), 80));
    return cp932;
}

}  // namespace

const char* outcomeName(Outcome outcome) {
    switch (outcome) {
        case Outcome::ok:
            return "ok";
        case Outcome::badArgument:
            return "bad-argument";
        case Outcome::noInstance:
            return "no-instance";
        case Outcome::busy:
            return "busy";
        case Outcome::refused:
            return "refused";
        case Outcome::writeFailed:
            return "write-failed";
    }
    return "unknown";
}

const char* verbName(Verb verb) {
    switch (verb) {
        case Verb::capture:
            return "capture";
        case Verb::arm:
            return "arm";
        case Verb::disarm:
            return "disarm";
        case Verb::stepStart:
            return "step:start";
        case Verb::stepStop:
            return "step:stop";
        case Verb::save:
            return "save";
        case Verb::report:
            return "report";
        case Verb::excel:
            return "excel";
        case Verb::verify:
            return "verify";
        case Verb::quit:
            return "quit";
    }
    return "unknown";
}

const char* kindName(int kind) {
    return kind >= 0 && kind < kKindCount ? kKindNames[kind] : "unknown";
}

bool parseArguments(const std::vector<std::string>& args, Call& call, std::string& error) {
    call = Call{};
    bool haveResult = false, haveTimeout = false, haveInstance = false;
    for (const std::string& argument : args) {
        std::string_view arg = argument;
        if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-')) {
            error = said(shown(argument), "オプションは / で始めてください。");
            return false;
        }
        const std::size_t colon = arg.find(':');
        const std::string_view name = arg.substr(1, colon == arg.npos ? arg.npos : colon - 1);
        const bool hasValue = colon != arg.npos;
        const std::string_view value = hasValue ? arg.substr(colon + 1) : std::string_view();
        Command* last = call.commands.empty() ? nullptr : &call.commands.back();
        Command command;
        bool isCommand = true;
        if (sameWord(name, "capture")) {
            if (!hasValue || !parseKind(value, command)) {
                error = said(shown(argument),
                             "キャプチャーの種類が不正です（window, screen, window-frame, "
                             "screen-frame, window-marker, screen-marker, window-cursor, "
                             "screen-cursor, region:x,y,w,h, last-region）。");
                return false;
            }
        } else if (sameWord(name, "heading") || sameWord(name, "text")) {
            isCommand = false;
            const bool heading = sameWord(name, "heading");
            if (!last || last->verb != Verb::capture) {
                error = said(shown(argument), "/capture の後に指定してください。");
                return false;
            }
            if (heading ? last->hasHeading : !last->textFile.empty()) {
                error = said(shown(argument), "同じキャプチャーに二度指定されています。");
                return false;
            }
            if (!hasValue) {
                error = said(shown(argument), "値がありません。");
                return false;
            }
            if (heading) {
                std::string cp932;
                if (!utf8ToCp932(value, cp932)) {
                    error = said(shown(argument), "見出しにシフトJISで表せない文字があります。");
                    return false;
                }
                if (cp932.size() >= static_cast<std::size_t>(kCommentSize) || hasControl(cp932)) {
                    error = said(shown(argument), "見出しが長すぎるか、制御文字を含みます。");
                    return false;
                }
                last->hasHeading = true;
                last->heading = cp932;
            } else {
                if (!plausiblePath(value)) {
                    error = said(shown(argument), "ファイル名が不正です。");
                    return false;
                }
                last->textFile = std::string(value);
            }
        } else if (sameWord(name, "result") || sameWord(name, "instance")) {
            isCommand = false;
            const bool result = sameWord(name, "result");
            bool& seen = result ? haveResult : haveInstance;
            if (seen || !hasValue || !plausiblePath(value)) {
                error = said(shown(argument),
                             seen ? "二度指定されています。" : "ファイル名が不正です。");
                return false;
            }
            seen = true;
            (result ? call.resultPath : call.instanceFolder) = std::string(value);
        } else if (sameWord(name, "timeout")) {
            isCommand = false;
            long seconds = 0;
            if (haveTimeout || !hasValue || !parseNumber(value, 1, kMaxTimeoutSeconds, seconds)) {
                error = said(shown(argument),
                             "秒数は 1 から 3600 の整数で、一度だけ指定してください。");
                return false;
            }
            haveTimeout = true;
            call.timeoutSeconds = static_cast<int>(seconds);
        } else if (sameWord(name, "arm") || sameWord(name, "disarm") || sameWord(name, "verify") ||
                   sameWord(name, "quit")) {
            command.verb = sameWord(name, "arm")      ? Verb::arm
                           : sameWord(name, "disarm") ? Verb::disarm
                           : sameWord(name, "verify") ? Verb::verify
                                                      : Verb::quit;
            if (hasValue) {
                error = said(shown(argument), "値は取りません。");
                return false;
            }
        } else if (sameWord(name, "step")) {
            if (hasValue && sameWord(value, "start")) {
                command.verb = Verb::stepStart;
            } else if (hasValue && sameWord(value, "stop")) {
                command.verb = Verb::stepStop;
            } else {
                error = said(shown(argument), "/step:start か /step:stop を指定してください。");
                return false;
            }
        } else if (sameWord(name, "save") || sameWord(name, "report") || sameWord(name, "excel")) {
            command.verb = sameWord(name, "save")     ? Verb::save
                           : sameWord(name, "report") ? Verb::report
                                                      : Verb::excel;
            const bool optional = command.verb == Verb::save;
            if ((hasValue || !optional) && !plausiblePath(value)) {
                error = said(shown(argument), "ファイル名が不正です。");
                return false;
            }
            if ((command.verb == Verb::report && !endsWithWord(value, ".htm")) ||
                (command.verb == Verb::excel && !endsWithWord(value, ".xlsx"))) {
                error =
                    said(shown(argument), command.verb == Verb::report
                                              ? "レポートのファイル名は .htm で終えてください。"
                                              : "ブックのファイル名は .xlsx で終えてください。");
                return false;
            }
            command.path = std::string(value);
        } else {
            error = said(shown(argument), "知らないオプションです。");
            return false;
        }
        if (isCommand) {
            if (call.commands.size() >= static_cast<std::size_t>(kMaxCommands)) {
                error = said(shown(argument), "コマンドが多すぎます。");
                return false;
            }
            call.commands.push_back(std::move(command));
        }
    }
    if (call.commands.empty()) {
        error =
            "コマンドがありません（/capture, /arm, /disarm, /step, /save, /report, /excel, "
            "/verify, /quit）。";
        return false;
    }
    return true;
}

bool checkCommand(const Command& command, std::string& error) {
    const auto refuse = [&](const char* why) {
        error = why;
        return false;
    };
    switch (command.verb) {
        case Verb::capture:
            if (command.kind < 0 || command.kind >= kKindCount)
                return refuse("キャプチャーの種類が不正です。");
            if (command.kind == kRegionKind) {
                const Region& r = command.region;
                if (r.x < -32768 || r.x > 32767 || r.y < -32768 || r.y > 32767 || r.width < 1 ||
                    r.width > 32767 || r.height < 1 || r.height > 32767)
                    return refuse("範囲が不正です。");
            }
            if (command.heading.size() >= static_cast<std::size_t>(kCommentSize) ||
                hasControl(command.heading) || !wellFormedCp932(command.heading) ||
                (!command.hasHeading && !command.heading.empty()))
                return refuse("見出しが不正です。");
            if (!command.textFile.empty() && !fullPath(command.textFile))
                return refuse("テキストファイルのパスが不正です。");
            return command.path.empty() || refuse("キャプチャーはファイル名を取りません。");
        case Verb::save:
            if (command.path.empty())
                break;
            [[fallthrough]];
        case Verb::report:
        case Verb::excel:
            if (!fullPath(command.path))
                return refuse("ファイルのパスが不正です（長すぎるか、シフトJISで表せません）。");
            if ((command.verb == Verb::report && !endsWithWord(command.path, ".htm")) ||
                (command.verb == Verb::excel && !endsWithWord(command.path, ".xlsx")))
                return refuse("ファイルの拡張子が不正です。");
            break;
        default:
            if (!command.path.empty())
                return refuse("このコマンドはファイル名を取りません。");
            break;
    }
    if (command.verb != Verb::capture && (command.hasHeading || !command.textFile.empty()))
        return refuse("見出しとテキストは /capture のものです。");
    return true;
}

std::string encodeRequest(const std::vector<Command>& commands) {
    std::string out(kRequestMagic, sizeof kRequestMagic);
    const auto field = [&](const std::string& text) {
        out += text;
        out += '\0';
    };
    for (const Command& c : commands) {
        field(std::to_string(static_cast<int>(c.verb)));
        field(std::to_string(c.kind));
        field(std::to_string(c.region.x));
        field(std::to_string(c.region.y));
        field(std::to_string(c.region.width));
        field(std::to_string(c.region.height));
        field(c.hasHeading ? "1" : "0");
        field(c.heading);
        field(c.textFile);
        field(c.path);
    }
    return out;
}

bool decodeRequest(std::string_view bytes, std::vector<Command>& commands, std::string& error) {
    commands.clear();
    error = "要求の形式が不正です。";
    std::vector<std::string_view> fields;
    for (std::size_t start = 0; start < bytes.size();) {
        const std::size_t end = bytes.find('\0', start);
        if (end == bytes.npos)
            return false;  // every field ends with its NUL
        fields.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    if (fields.empty() || fields[0] != std::string_view(kRequestMagic) ||
        (fields.size() - 1) % kFieldsPerCommand != 0)
        return false;
    const std::size_t count = (fields.size() - 1) / kFieldsPerCommand;
    if (count == 0 || count > static_cast<std::size_t>(kMaxCommands))
        return false;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string_view* f = &fields[1 + i * kFieldsPerCommand];
        long verb, kind, x, y, w, h, heading;
        if (!parseNumber(f[0], 0, static_cast<long>(Verb::quit), verb) ||
            !parseNumber(f[1], 0, kKindCount - 1, kind) || !parseNumber(f[2], -32768, 32767, x) ||
            !parseNumber(f[3], -32768, 32767, y) || !parseNumber(f[4], 0, 32767, w) ||
            !parseNumber(f[5], 0, 32767, h) || !parseNumber(f[6], 0, 1, heading))
            return false;
        Command c;
        c.verb = static_cast<Verb>(verb);
        c.kind = static_cast<int>(kind);
        c.region = {static_cast<int32_t>(x), static_cast<int32_t>(y), static_cast<int32_t>(w),
                    static_cast<int32_t>(h)};
        c.hasHeading = heading == 1;
        c.heading = std::string(f[7]);
        c.textFile = std::string(f[8]);
        c.path = std::string(f[9]);
        if (!checkCommand(c, error))
            return false;
        commands.push_back(std::move(c));
    }
    error.clear();
    return true;
}

}  // namespace script

#include "script/script_call.h"

#include "base/cp932.h"
#include "script/text_encoding.h"
#include "settings/case_settings.h"
#include "settings/settings.h"

namespace script {

namespace {

const char* const kKindNames[kKindCount] = {
    "window",        "screen",        "window-frame", "screen-frame", "window-marker",
    "screen-marker", "window-cursor", "screen-cursor", "region",      "last-region",
    "all-monitors",  "mouse-monitor", "scroll"};

constexpr char kRequestMagic[] = "ZCS1";
constexpr std::size_t kFieldsPerCommand = 15;

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

// The names a pack may have: HTML or PDF.
bool packPath(std::string_view text) {
    return endsWithWord(text, ".html") || endsWithWord(text, ".htm") || endsWithWord(text, ".pdf");
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
        case Verb::pack:
            return "pack";
        case Verb::baseline:
            return "baseline";
        case Verb::quit:
            return "quit";
        case Verb::setCase:
            return "case";
    }
    return "unknown";
}

const char* verdictWord(testcase::Verdict verdict) {
    switch (verdict) {
        case testcase::Verdict::ok:
            return "ok";
        case testcase::Verdict::ng:
            return "ng";
        case testcase::Verdict::hold:
            return "hold";
        case testcase::Verdict::none:
            break;
    }
    return "none";
}

const char* fieldKey(testcase::Field field) {
    static const char* const kKeys[testcase::kFieldCount] = {
        "testId", "step", "expected", "actual", "verdict", "tester", "date", "remarks"};
    const int i = static_cast<int>(field);
    return i >= 0 && i < testcase::kFieldCount ? kKeys[i] : "unknown";
}

const char* kindName(int kind) {
    return kind >= 0 && kind < kKindCount ? kKindNames[kind] : "unknown";
}

namespace {

// One argument as typed, cut at its first colon: "/name:value".
struct Argument {
    std::string_view name;
    bool hasValue = false;
    std::string_view value;
};

// What the arguments before this one have set.
struct Parsed {
    Call& call;
    bool haveResult = false, haveTimeout = false, haveInstance = false;
    // The capture a /heading or /text belongs to: the command before it.
    Command* lastCapture() {
        return call.commands.empty() || call.commands.back().verb != Verb::capture
                   ? nullptr
                   : &call.commands.back();
    }
};

// An option's reader: nullptr when the argument is right, else why not
// (CP932). A command option fills `command`, which is then appended.
using Reader = const char* (*)(const Argument& arg, Verb verb, Parsed& parsed, Command& command);

struct Option {
    const char* name;
    bool command;  // appends a command; the others set the call or the capture before them
    Verb verb;
    Reader read;
};

const char* readCapture(const Argument& arg, Verb, Parsed&, Command& command) {
    if (arg.hasValue && parseKind(arg.value, command))
        return nullptr;
    return "キャプチャーの種類が不正です（window, screen, window-frame, "
           "screen-frame, window-marker, screen-marker, window-cursor, "
           "screen-cursor, region:x,y,w,h, last-region, all-monitors, mouse-monitor, scroll）。";
}

// /heading and /text belong to the capture just before them, once each.
const char* captureBefore(const Argument& arg, const Command* capture, bool given) {
    if (!capture)
        return "/capture の後に指定してください。";
    if (given)
        return "同じキャプチャーに二度指定されています。";
    return arg.hasValue ? nullptr : "値がありません。";
}

const char* readHeading(const Argument& arg, Verb, Parsed& parsed, Command&) {
    Command* capture = parsed.lastCapture();
    if (const char* why = captureBefore(arg, capture, capture && capture->hasHeading))
        return why;
    std::string cp932;
    if (!utf8ToCp932(arg.value, cp932))
        return "見出しにシフトJISで表せない文字があります。";
    if (cp932.size() >= static_cast<std::size_t>(kCommentSize) || hasControl(cp932))
        return "見出しが長すぎるか、制御文字を含みます。";
    capture->hasHeading = true;
    capture->heading = cp932;
    return nullptr;
}

const char* readText(const Argument& arg, Verb, Parsed& parsed, Command&) {
    Command* capture = parsed.lastCapture();
    if (const char* why = captureBefore(arg, capture, capture && !capture->textFile.empty()))
        return why;
    if (!plausiblePath(arg.value))
        return "ファイル名が不正です。";
    capture->textFile = std::string(arg.value);
    return nullptr;
}

// A case text as typed, in CP932: refused outside CP932 (`outside` says
// which field), with a control character, or beyond kMaxCaseTextBytes.
// With `lines`, line ends are kept, each as CR LF.
const char* caseText(std::string_view typed, bool lines, const char* outside, std::string& out) {
    std::string cp932;
    if (!utf8ToCp932(typed, cp932))
        return outside;
    out.clear();
    for (std::size_t i = 0; i < cp932.size();) {
        const std::size_t n = cp932::charLength(cp932.data(), cp932.size(), i);
        const char c = cp932[i];
        if (n == 1 && lines && (c == '\r' || c == '\n')) {
            out += "\r\n";
            i += c == '\r' && i + 1 < cp932.size() && cp932[i + 1] == '\n' ? 2 : 1;
            continue;
        }
        if (n == 1 && (static_cast<unsigned char>(c) < 0x20 || c == 0x7F))
            return "制御文字を含みます。";
        out.append(cp932, i, n);
        i += n;
    }
    return out.size() > kMaxCaseTextBytes ? "長すぎます。" : nullptr;
}

// /case after a /capture is its record's test ID; after anything else it
// is a command of its own: the current case.
const char* readCase(const Argument& arg, Verb, Parsed& parsed, Command&) {
    constexpr const char* kOutside = "テストIDにシフトJISで表せない文字があります。";
    if (Command* capture = parsed.lastCapture()) {
        if (const char* why = captureBefore(arg, capture, !capture->testCase.testId.empty()))
            return why;
        if (arg.value.empty())
            return "値がありません。";
        return caseText(arg.value, false, kOutside, capture->testCase.testId);
    }
    if (!arg.hasValue)
        return "テストIDを指定してください（空の値は現在のテストケースを外します）。";
    Command command;
    command.verb = Verb::setCase;
    if (const char* why = caseText(arg.value, false, kOutside, command.testCase.testId))
        return why;
    if (parsed.call.commands.size() >= static_cast<std::size_t>(kMaxCommands))
        return "コマンドが多すぎます。";
    parsed.call.commands.push_back(std::move(command));
    return nullptr;
}

const char* readStepNo(const Argument& arg, Verb, Parsed& parsed, Command&) {
    Command* capture = parsed.lastCapture();
    if (const char* why = captureBefore(arg, capture, capture && !capture->testCase.step.empty()))
        return why;
    long step = 0;
    if (!parseNumber(arg.value, 1, case_settings::kMaxNextStep, step))
        return "手順番号は 1 から 99999 の整数で指定してください。";
    capture->testCase.step = std::to_string(step);
    return nullptr;
}

// /expected and /actual: texts of several lines.
const char* readResultText(const Argument& arg, Parsed& parsed, bool expected) {
    Command* capture = parsed.lastCapture();
    std::string* text = nullptr;
    if (capture)
        text = expected ? &capture->testCase.expected : &capture->testCase.actual;
    if (const char* why = captureBefore(arg, capture, text && !text->empty()))
        return why;
    return caseText(arg.value, true,
                    expected ? "期待結果にシフトJISで表せない文字があります。"
                             : "実施結果にシフトJISで表せない文字があります。",
                    *text);
}

const char* readExpected(const Argument& arg, Verb, Parsed& parsed, Command&) {
    return readResultText(arg, parsed, true);
}

const char* readActual(const Argument& arg, Verb, Parsed& parsed, Command&) {
    return readResultText(arg, parsed, false);
}

const char* readVerdict(const Argument& arg, Verb, Parsed& parsed, Command&) {
    Command* capture = parsed.lastCapture();
    if (const char* why = captureBefore(
            arg, capture, capture && capture->testCase.verdict != testcase::Verdict::none))
        return why;
    for (const testcase::Verdict v :
         {testcase::Verdict::ok, testcase::Verdict::ng, testcase::Verdict::hold})
        if (sameWord(arg.value, verdictWord(v))) {
            capture->testCase.verdict = v;
            return nullptr;
        }
    return "判定は ok, ng, hold のどれかで指定してください。";
}

// /result and /instance: a path, once.
const char* readCallPath(const Argument& arg, bool& seen, std::string& path) {
    if (seen)
        return "二度指定されています。";
    if (!arg.hasValue || !plausiblePath(arg.value))
        return "ファイル名が不正です。";
    seen = true;
    path = std::string(arg.value);
    return nullptr;
}

const char* readResult(const Argument& arg, Verb, Parsed& parsed, Command&) {
    return readCallPath(arg, parsed.haveResult, parsed.call.resultPath);
}

const char* readInstance(const Argument& arg, Verb, Parsed& parsed, Command&) {
    return readCallPath(arg, parsed.haveInstance, parsed.call.instanceFolder);
}

const char* readTimeout(const Argument& arg, Verb, Parsed& parsed, Command&) {
    long seconds = 0;
    if (parsed.haveTimeout || !arg.hasValue ||
        !parseNumber(arg.value, 1, kMaxTimeoutSeconds, seconds))
        return "秒数は 1 から 3600 の整数で、一度だけ指定してください。";
    parsed.haveTimeout = true;
    parsed.call.timeoutSeconds = static_cast<int>(seconds);
    return nullptr;
}

// /verify checks the history, /verify:file.html or /verify:file.pdf a one-file pack.
const char* readVerify(const Argument& arg, Verb verb, Parsed&, Command& command) {
    command.verb = verb;
    if (!arg.hasValue)
        return nullptr;
    if (!plausiblePath(arg.value) || !packPath(arg.value))
        return "検証する1ファイルの名前は .html か .pdf で終えてください。";
    command.path = std::string(arg.value);
    return nullptr;
}

// /arm, /disarm, /quit.
const char* readBare(const Argument& arg, Verb verb, Parsed&, Command& command) {
    command.verb = verb;
    return arg.hasValue ? "値は取りません。" : nullptr;
}

const char* readStep(const Argument& arg, Verb, Parsed&, Command& command) {
    if (arg.hasValue && sameWord(arg.value, "start"))
        command.verb = Verb::stepStart;
    else if (arg.hasValue && sameWord(arg.value, "stop"))
        command.verb = Verb::stepStop;
    else
        return "/step:start か /step:stop を指定してください。";
    return nullptr;
}

// /save[:file], /report:file.htm, /excel:file.xlsx, /pack:file.html|file.pdf,
// /baseline:file.csv.
const char* readFile(const Argument& arg, Verb verb, Parsed&, Command& command) {
    command.verb = verb;
    const bool optional = verb == Verb::save;
    if ((arg.hasValue || !optional) && !plausiblePath(arg.value))
        return "ファイル名が不正です。";
    if (verb == Verb::report && !endsWithWord(arg.value, ".htm"))
        return "レポートのファイル名は .htm で終えてください。";
    if (verb == Verb::excel && !endsWithWord(arg.value, ".xlsx"))
        return "ブックのファイル名は .xlsx で終えてください。";
    if (verb == Verb::pack && !packPath(arg.value))
        return "まとめるファイル名は .html か .pdf で終えてください。";
    if (verb == Verb::baseline && !endsWithWord(arg.value, ".csv"))
        return "基準の履歴ファイル名は .csv で終えてください。";
    command.path = std::string(arg.value);
    return nullptr;
}

const Option kOptions[] = {
    {"capture", true, Verb::capture, readCapture},
    {"heading", false, Verb::capture, readHeading},
    {"text", false, Verb::capture, readText},
    {"result", false, Verb::capture, readResult},
    {"instance", false, Verb::capture, readInstance},
    {"timeout", false, Verb::capture, readTimeout},
    {"arm", true, Verb::arm, readBare},
    {"disarm", true, Verb::disarm, readBare},
    {"verify", true, Verb::verify, readVerify},
    {"quit", true, Verb::quit, readBare},
    {"step", true, Verb::stepStart, readStep},
    {"save", true, Verb::save, readFile},
    {"report", true, Verb::report, readFile},
    {"excel", true, Verb::excel, readFile},
    {"pack", true, Verb::pack, readFile},
    {"baseline", true, Verb::baseline, readFile},
    {"case", false, Verb::setCase, readCase},
    {"stepno", false, Verb::capture, readStepNo},
    {"expected", false, Verb::capture, readExpected},
    {"actual", false, Verb::capture, readActual},
    {"verdict", false, Verb::capture, readVerdict},
};

// One argument into the call; nullptr, or why not.
const char* readArgument(std::string_view typed, Parsed& parsed) {
    if (typed.size() < 2 || (typed[0] != '/' && typed[0] != '-'))
        return "オプションは / で始めてください。";
    const std::size_t colon = typed.find(':');
    Argument arg;
    arg.name = typed.substr(1, colon == typed.npos ? typed.npos : colon - 1);
    arg.hasValue = colon != typed.npos;
    if (arg.hasValue)
        arg.value = typed.substr(colon + 1);
    for (const Option& option : kOptions) {
        if (!sameWord(arg.name, option.name))
            continue;
        Command command;
        if (const char* why = option.read(arg, option.verb, parsed, command))
            return why;
        if (!option.command)
            return nullptr;
        if (parsed.call.commands.size() >= static_cast<std::size_t>(kMaxCommands))
            return "コマンドが多すぎます。";
        parsed.call.commands.push_back(std::move(command));
        return nullptr;
    }
    return "知らないオプションです。";
}

}  // namespace

bool parseArguments(const std::vector<std::string>& args, Call& call, std::string& error) {
    call = Call{};
    Parsed parsed{call};
    for (const std::string& argument : args) {
        if (const char* why = readArgument(argument, parsed)) {
            error = said(shown(argument), why);
            return false;
        }
    }
    if (call.commands.empty()) {
        error =
            "コマンドがありません（/capture, /arm, /disarm, /step, /save, /report, /excel, "
            "/pack, /baseline, /verify, /quit）。";
        return false;
    }
    return true;
}

bool regionOnScreen(const Region& region, const Screen& screen) {
    // In 64 bits: a region's far edge and the screen's may pass 32767.
    const auto overlap = [](int64_t start, int64_t length, int64_t from, int64_t size) {
        return length > 0 && size > 0 && start < from + size && from < start + length;
    };
    return overlap(region.x, region.width, screen.left, screen.width) &&
           overlap(region.y, region.height, screen.top, screen.height);
}

namespace {

// A case text as the window may take it: well-formed CP932 within
// kMaxCaseTextBytes, with no control character but, in a text of lines,
// CR LF.
bool plausibleCaseText(const std::string& text, bool lines) {
    if (text.size() > kMaxCaseTextBytes || !wellFormedCp932(text))
        return false;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = cp932::charLength(text.data(), text.size(), i);
        if (n == 1 && lines && text.compare(i, 2, "\r\n") == 0) {
            i += 2;
            continue;
        }
        if (n == 1 && hasControl(std::string_view(text).substr(i, 1)))
            return false;
        i += n;
    }
    return true;
}

bool checkCase(const Command& command, std::string& error) {
    const testcase::TestCase& c = command.testCase;
    const bool digits = c.step.find_first_not_of("0123456789") == std::string::npos;
    const bool caseVerb = command.verb == Verb::capture || command.verb == Verb::setCase;
    const bool onlyTestId = command.verb != Verb::capture && c.step.empty() && c.expected.empty() &&
                            c.actual.empty() && c.verdict == testcase::Verdict::none;
    if ((!caseVerb && !c.empty()) || (command.verb == Verb::setCase && !onlyTestId) ||
        !c.tester.empty() || !c.date.empty() || !c.remarks.empty() ||
        static_cast<int>(c.verdict) > static_cast<int>(testcase::Verdict::hold) ||
        !plausibleCaseText(c.testId, false) || !plausibleCaseText(c.step, false) || !digits ||
        c.step.size() > 5 || !plausibleCaseText(c.expected, true) ||
        !plausibleCaseText(c.actual, true)) {
        error = "テストケースの値が不正です。";
        return false;
    }
    return true;
}

}  // namespace

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
            if (!command.path.empty())
                return refuse("キャプチャーはファイル名を取りません。");
            break;
        case Verb::save:
            if (command.path.empty())
                break;
            [[fallthrough]];
        case Verb::report:
        case Verb::excel:
        case Verb::pack:
        case Verb::baseline:
            if (!fullPath(command.path))
                return refuse("ファイルのパスが不正です（長すぎるか、シフトJISで表せません）。");
            if ((command.verb == Verb::report && !endsWithWord(command.path, ".htm")) ||
                (command.verb == Verb::excel && !endsWithWord(command.path, ".xlsx")) ||
                (command.verb == Verb::pack && !packPath(command.path)) ||
                (command.verb == Verb::baseline && !endsWithWord(command.path, ".csv")))
                return refuse("ファイルの拡張子が不正です。");
            break;
        case Verb::verify:
            if (!command.path.empty() && (!fullPath(command.path) || !packPath(command.path)))
                return refuse("検証する1ファイルのパスが不正です。");
            break;
        default:
            if (!command.path.empty())
                return refuse("このコマンドはファイル名を取りません。");
            break;
    }
    if (command.verb != Verb::capture && (command.hasHeading || !command.textFile.empty()))
        return refuse("見出しとテキストは /capture のものです。");
    return checkCase(command, error);
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
        field(c.testCase.testId);
        field(c.testCase.step);
        field(c.testCase.expected);
        field(c.testCase.actual);
        field(std::to_string(static_cast<int>(c.testCase.verdict)));
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
        long verb, kind, x, y, w, h, heading, verdict;
        if (!parseNumber(f[0], 0, static_cast<long>(Verb::baseline), verb) ||
            !parseNumber(f[1], 0, kKindCount - 1, kind) || !parseNumber(f[2], -32768, 32767, x) ||
            !parseNumber(f[3], -32768, 32767, y) || !parseNumber(f[4], 0, 32767, w) ||
            !parseNumber(f[5], 0, 32767, h) || !parseNumber(f[6], 0, 1, heading) ||
            !parseNumber(f[14], 0, static_cast<long>(testcase::Verdict::hold), verdict))
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
        c.testCase.testId = std::string(f[10]);
        c.testCase.step = std::string(f[11]);
        c.testCase.expected = std::string(f[12]);
        c.testCase.actual = std::string(f[13]);
        c.testCase.verdict = static_cast<testcase::Verdict>(verdict);
        if (!checkCommand(c, error))
            return false;
        commands.push_back(std::move(c));
    }
    error.clear();
    return true;
}

}  // namespace script

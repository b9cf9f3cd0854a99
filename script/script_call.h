// One call of Zelcap from a script: the command line's arguments, checked
// and turned into commands, the request that carries them to the running
// window, and the exit codes of the answer. Platform-free.
//
//   Zelcap.exe /capture:screen /heading:"Login" /result:out.json
//   Zelcap.exe /capture:screen /case:TC-01 /stepno:3 /verdict:ng
//   Zelcap.exe /case:TC-02
//   Zelcap.exe /pack:証跡.html
//   Zelcap.exe /baseline:前回.csv /capture:screen /case:TC-01 /stepno:1
//
// /case, /stepno, /expected, /actual and /verdict after a /capture give its
// record's test case; a /case that follows no /capture sets the current
// case (its test ID, the next step back to 1), which hot-key and step
// captures are filed under.
//
// Every argument is checked before anything is sent: a call with one bad
// argument does nothing at all.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "history/test_case.h"

namespace script {

// The exit code of a call: 0, or one per class of failure.
enum class Outcome : int {
    ok = 0,
    badArgument = 2,
    noInstance = 3,  // none runs and none could be started
    busy = 4,        // a dialog of the running window is open, or it did not answer in time
    refused = 5,     // the command may not run now (the message says why)
    writeFailed = 6,
};
// "ok", "bad-argument", "no-instance", "busy", "refused", "write-failed".
const char* outcomeName(Outcome outcome);

// The window's answer while it runs another call, or before its message
// loop runs: the caller tries again until its time is up.
constexpr int kTryAgain = 100;

// WM_COPYDATA's dwData for a request, and for the answer sent back.
constexpr std::uintptr_t kRequestTag = 0x5A435331;  // "ZCS1"
constexpr std::uintptr_t kAnswerTag = 0x5A435341;   // "ZCSA"

enum class Verb {
    capture,
    arm,
    disarm,
    stepStart,
    stepStop,
    save,
    report,
    excel,
    verify,
    quit,
    setCase,  // the current case: a /case that follows no /capture
    pack,     // the one-file pack: /pack:file.html or /pack:file.pdf
    baseline, // the earlier history to compare with: /baseline:前回.csv
};
// The verb's name in the result: "capture", "arm", "step:start", ...,
// "case".
const char* verbName(Verb verb);

// The kinds of /capture: the eight of the hot keys in their order, then a
// region given by the caller and the kept one, then the two monitor kinds
// of the hot keys (every monitor, the one under the pointer), and the
// scrolling capture of the window under the pointer.
constexpr int kKindCount = 13;
constexpr int kRegionKind = 8;
constexpr int kLastRegionKind = 9;
constexpr int kAllMonitorsKind = 10;
constexpr int kMouseMonitorKind = 11;
constexpr int kScrollKind = 12;
// The English names: "window", "screen", ..., "region", "last-region",
// "all-monitors", "mouse-monitor", "scroll".
const char* kindName(int kind);

struct Region {
    int32_t x = 0, y = 0, width = 0, height = 0;
};

// The virtual screen, every monitor together: its corner lies at negative
// coordinates when a monitor is left of or above the primary one.
struct Screen {
    int32_t left = 0, top = 0, width = 0, height = 0;
};

// Whether any of a given region lies on the screen: the capture takes the
// part that does, as the hot keys' region does.
bool regionOnScreen(const Region& region, const Screen& screen);

struct Command {
    Verb verb = Verb::capture;
    int kind = 0;   // capture
    Region region;  // capture of kRegionKind
    bool hasHeading = false;
    std::string heading;   // CP932
    std::string textFile;  // capture: the record's description file
    // save (empty: the history's own file), report, excel, pack. The parser leaves
    // the paths as typed (UTF-8); the caller makes them full CP932 paths
    // before checkCommand and sending.
    std::string path;
    // capture: the case fields given with it, CP932 (empty: not given;
    // expected and actual lines end in CR LF); setCase: its test ID alone
    // (empty: no current case). The limits of testcase::fieldLimit are the
    // window's to cut to, with a message: a longer text is no bad argument.
    testcase::TestCase testCase;
};

// The longest case text an argument may carry: a command line's length.
constexpr std::size_t kMaxCaseTextBytes = 32767;

// "ok", "ng", "hold", and "none" for no verdict: the words of /verdict.
const char* verdictWord(testcase::Verdict verdict);
// "testId", "step", "expected", "actual", "verdict", "tester", "date",
// "remarks": the result's names of the case fields.
const char* fieldKey(testcase::Field field);

struct Call {
    std::vector<Command> commands;
    std::string resultPath;      // UTF-8 as typed; empty: none
    std::string instanceFolder;  // UTF-8 as typed; empty: the caller's own
    int timeoutSeconds = 10;
};

constexpr int kMaxCommands = 100;
constexpr int kMaxTimeoutSeconds = 3600;

// Parses the arguments (UTF-8, the program's name left out). False with a
// CP932 message naming the argument when one is wrong.
bool parseArguments(const std::vector<std::string>& args, Call& call, std::string& error);

// The checks on a command whose paths are full CP932 paths: made by the
// caller before sending and by the window on what it receives, which may
// come from any program.
bool checkCommand(const Command& command, std::string& error);

// The request's bytes and back. decodeRequest checks every command.
std::string encodeRequest(const std::vector<Command>& commands);
bool decodeRequest(std::string_view bytes, std::vector<Command>& commands, std::string& error);

}  // namespace script

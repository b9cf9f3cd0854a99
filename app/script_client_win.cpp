#include "app/script_client_win.h"

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/main_window_win.h"
#include "app/script_peer_win.h"
#include "base/file_names_win.h"
#include "base/win_handles_win.h"
#include "script/json_result.h"
#include "script/script_call.h"
#include "script/text_encoding.h"

namespace script_client {

namespace {

using script::Outcome;
using script_peer::Utf8;
using script_peer::Wide;

constexpr wchar_t kAnswerClass[] = L"ZelcapScriptAnswer";

std::vector<std::string> Arguments() {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; argv && i < count; ++i)
        args.push_back(Utf8(argv[i]));
    if (argv)
        LocalFree(argv);
    return args;
}

// Milliseconds left until the deadline, at least 0.
DWORD Left(ULONGLONG deadline) {
    const ULONGLONG now = GetTickCount64();
    return now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
}

std::wstring FullPath(const std::wstring& path) {
    std::wstring full(32768, L'\0');
    const DWORD length =
        GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0 || length >= full.size())
        return {};
    full.resize(length);
    return full;
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring FolderOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// A path as typed, made full and into the CP932 the window's files take.
bool Cp932FullPath(std::string& path, std::string& error) {
    const std::wstring full = FullPath(Wide(path));
    std::string cp932;
    if (full.empty() || !script::utf8ToCp932(Utf8(full), cp932)) {
        error = "パスにシフトJISで表せない文字があります: ";
        script::utf8ToCp932(Utf8(full.empty() ? Wide(path) : full), cp932);  // as far as it goes
        error += cp932;
        return false;
    }
    path = cp932;
    return true;
}

// ---- the answer ----

std::string answer;
bool answered = false;
HWND target = nullptr;

LRESULT CALLBACK AnswerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (data && data->dwData == script::kAnswerTag &&
            reinterpret_cast<HWND>(wParam) == target && data->lpData) {
            answer.assign(static_cast<const char*>(data->lpData), data->cbData);
            answered = true;
        }
        return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// ---- finding the window ----

HWND FindInstance(const std::wstring& folder, DWORD processId) {
    for (HWND w = FindWindowExA(nullptr, nullptr, kMainWindowClass, nullptr); w;
         w = FindWindowExA(nullptr, w, kMainWindowClass, nullptr)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == GetCurrentProcessId() || (processId != 0 && pid != processId))
            continue;
        if (!script_peer::SameUser(pid))
            continue;
        if (win::SameFileName(script_peer::ProgramFolder(pid), folder))
            return w;
    }
    return nullptr;
}

// Starts Zelcap.exe of `folder` as a user would, in the caller's current
// folder, and waits for its window.
HWND StartInstance(const std::wstring& folder, ULONGLONG deadline) {
    const std::wstring program = folder + L"\\Zelcap.exe";
    std::wstring commandLine = L"\"" + program + L"\"";
    // The window outlives this call: it must not hold the caller's console
    // or pipes, or a script reading this call's output waits for the
    // window to close. It gets the null device instead, and this
    // process's own handles are not passed on.
    for (DWORD which : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
        HANDLE h = GetStdHandle(which);
        if (h && h != INVALID_HANDLE_VALUE)
            SetHandleInformation(h, HANDLE_FLAG_INHERIT, 0);
    }
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    win::FileHandle null(CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                     OPEN_EXISTING, 0, nullptr));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (null) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = startup.hStdOutput = startup.hStdError = null.get();
    }
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, null ? TRUE : FALSE,
                        0, nullptr, nullptr, &startup, &process))
        return nullptr;
    win::KernelHandle owned(process.hProcess), thread(process.hThread);
    while (Left(deadline) > 0) {
        if (HWND w = FindInstance(folder, process.dwProcessId))
            return w;
        if (WaitForSingleObject(process.hProcess, 20) == WAIT_OBJECT_0)
            return nullptr;
    }
    return nullptr;
}

// ---- the result ----

void Print(const std::string& utf8) {
    const std::string line = utf8 + "\r\n";
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD written = 0;
    const DWORD type = out && out != INVALID_HANDLE_VALUE ? GetFileType(out) : FILE_TYPE_UNKNOWN;
    if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE) {
        WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        return;
    }
    if (!AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    win::FileHandle console(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        0, nullptr));
    if (!console)
        return;
    const std::wstring wide = Wide(line);
    WriteConsoleW(console.get(), wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

// The result file, replaced whole: a script never reads half of it.
bool WriteResult(const std::wstring& path, const std::string& json) {
    const std::wstring temporary = path + L".tmp";
    {
        win::FileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            return false;
        const std::string text = json + "\n";
        DWORD written = 0;
        if (!WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written,
                       nullptr) ||
            written != text.size()) {
            file.reset();
            DeleteFileW(temporary.c_str());
            return false;
        }
    }
    if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

std::string FailureJson(Outcome outcome, const std::string& cp932Message) {
    return script::JsonObject()
        .flag("ok", false)
        .text("error", script::outcomeName(outcome))
        .cp932("message", cp932Message)
        .str();
}

int Finish(Outcome outcome, std::string json, const std::wstring& resultPath) {
    if (!resultPath.empty() && !WriteResult(resultPath, json)) {
        json = FailureJson(
            Outcome::writeFailed, "結果ファイルを書き込めませんでした: " + [&] {
                std::string cp932;
                script::utf8ToCp932(Utf8(resultPath), cp932);
                return cp932;
            }());
        outcome = Outcome::writeFailed;
    }
    Print(json);
    return static_cast<int>(outcome);
}

int Fail(Outcome outcome, const std::string& cp932Message, const std::wstring& resultPath) {
    return Finish(outcome, FailureJson(outcome, cp932Message), resultPath);
}

// ---- the phases of a call ----

// The result file of arguments that did not parse: it may be the one thing
// that is right.
std::wstring ResultPathOf(const std::vector<std::string>& args) {
    std::wstring resultPath;
    for (const std::string& a : args)
        if (a.size() > 8 && (a.compare(0, 8, "/result:") == 0 || a.compare(0, 8, "-result:") == 0))
            resultPath = FullPath(Wide(a.substr(8)));
    return resultPath;
}

// The result file made full; false when its folder is not there.
bool FullResultPath(const script::Call& call, std::wstring& resultPath) {
    if (call.resultPath.empty())
        return true;
    resultPath = FullPath(Wide(call.resultPath));
    return !resultPath.empty() && IsFolder(FolderOf(resultPath));
}

// Every argument is checked before anything is sent: the commands' paths
// made full CP932 and checked as the window will check them, and the
// folder of the window to call. False with the message (CP932).
bool CheckCall(script::Call& call, std::wstring& folder, std::string& error) {
    for (script::Command& c : call.commands) {
        if (!c.textFile.empty()) {
            if (!Cp932FullPath(c.textFile, error))
                return false;
            const DWORD attributes = GetFileAttributesA(c.textFile.c_str());
            if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
                error = "テキストファイルがありません: " + c.textFile;
                return false;
            }
        }
        if (!c.path.empty() && !Cp932FullPath(c.path, error))
            return false;
        if (!script::checkCommand(c, error))
            return false;
    }
    folder = script_peer::OwnFolder();
    if (!call.instanceFolder.empty()) {
        folder = FullPath(Wide(call.instanceFolder));
        while (folder.size() > 3 && folder.back() == L'\\')
            folder.pop_back();
        if (folder.empty() || !IsFolder(folder)) {
            error = "/instance のフォルダーがありません。";
            return false;
        }
    }
    return true;
}

// One caller at a time finds or starts the window, so that callers started
// together do not start one window each.
HWND FindOrStartInstance(const std::wstring& folder, ULONGLONG deadline) {
    win::KernelHandle gate(CreateMutexW(nullptr, FALSE, L"Local\\ZelcapScriptStart"));
    const DWORD waited = gate ? WaitForSingleObject(gate.get(), Left(deadline)) : WAIT_FAILED;
    const bool held = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    HWND found = FindInstance(folder, 0);
    if (!found && held)
        found = StartInstance(folder, deadline);
    if (held)
        ReleaseMutex(gate.get());
    return found;
}

// Sends the commands to `target` and waits for its answer on a message-only
// window of this process; the exit code of the call.
int SendAndWait(const script::Call& call, ULONGLONG deadline, const std::wstring& resultPath) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = AnswerProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kAnswerClass;
    RegisterClassExW(&wc);
    HWND reply = CreateWindowExW(0, kAnswerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 wc.hInstance, nullptr);
    if (!reply)
        return Fail(Outcome::noInstance, "応答用のウィンドウを作れませんでした。", resultPath);

    const std::string request = script::encodeRequest(call.commands);
    COPYDATASTRUCT data{script::kRequestTag, static_cast<DWORD>(request.size()),
                        const_cast<char*>(request.data())};
    DWORD_PTR code = script::kTryAgain;
    const script_peer::Delivery delivery =
        script_peer::SendUntil(target, reply, data, deadline, script::kTryAgain, code);
    DestroyWindow(reply);
    if (delivery == script_peer::Delivery::gone)
        return Fail(Outcome::noInstance, "Zelcap が終了しました。", resultPath);
    if (delivery == script_peer::Delivery::timedOut)
        return Fail(Outcome::busy, "Zelcap が時間内に応答しませんでした。", resultPath);
    if (!answered || code > static_cast<DWORD_PTR>(Outcome::writeFailed) || code == 1)
        return Fail(Outcome::noInstance, "Zelcap から結果が返りませんでした。", resultPath);

    // A window that agreed to close is waited for, so that the next call
    // does not find it on its way out.
    if (code == 0 && call.commands.back().verb == script::Verb::quit) {
        DWORD pid = 0;
        GetWindowThreadProcessId(target, &pid);
        win::KernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
        if (process)
            WaitForSingleObject(process.get(), Left(deadline));
    }
    return Finish(static_cast<Outcome>(code), answer, resultPath);
}

}  // namespace

// Options start with '/' or '-'; anything else on the command line (a file
// dropped on the program) is left unused as it always was.
bool HasArguments() {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    const bool options = argv && count > 1 && (argv[1][0] == L'/' || argv[1][0] == L'-');
    if (argv)
        LocalFree(argv);
    return options;
}

int Run() {
    script::Call call;
    std::string error;
    const std::vector<std::string> args = Arguments();
    if (!script::parseArguments(args, call, error))
        return Fail(Outcome::badArgument, error, ResultPathOf(args));
    const ULONGLONG deadline =
        GetTickCount64() + static_cast<ULONGLONG>(call.timeoutSeconds) * 1000;
    std::wstring resultPath, folder;
    if (!FullResultPath(call, resultPath))
        return Fail(Outcome::badArgument, "結果ファイルのフォルダーがありません。", {});
    if (!CheckCall(call, folder, error))
        return Fail(Outcome::badArgument, error, resultPath);
    target = FindOrStartInstance(folder, deadline);
    if (!target)
        return Fail(Outcome::noInstance, "Zelcap を起動できませんでした。", resultPath);
    return SendAndWait(call, deadline, resultPath);
}

}  // namespace script_client

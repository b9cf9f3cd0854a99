#include "app/script_peer_win.h"

#include <vector>

#include "base/win_handles_win.h"

namespace script_peer {

namespace {

bool TokenUserOf(HANDLE process, std::vector<BYTE>& out) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token))
        return false;
    win::KernelHandle owned(token);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    if (size == 0)
        return false;
    out.resize(size);
    return GetTokenInformation(token, TokenUser, out.data(), size, &size) != 0;
}

std::wstring FolderOf(std::wstring path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    path.resize(slash == std::wstring::npos ? 0 : slash);
    return path;
}

}  // namespace

bool SameUser(DWORD processId) {
    std::vector<BYTE> ours, theirs;
    if (!TokenUserOf(GetCurrentProcess(), ours))
        return false;
    win::KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process || !TokenUserOf(process.get(), theirs))
        return false;
    return EqualSid(reinterpret_cast<TOKEN_USER*>(ours.data())->User.Sid,
                    reinterpret_cast<TOKEN_USER*>(theirs.data())->User.Sid) != 0;
}

std::wstring ProgramFolder(DWORD processId) {
    win::KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process)
        return {};
    std::wstring path(32768, L'\0');
    DWORD size = static_cast<DWORD>(path.size());
    if (!QueryFullProcessImageNameW(process.get(), 0, path.data(), &size))
        return {};
    path.resize(size);
    return FolderOf(path);
}

std::wstring OwnFolder() {
    std::wstring path(32768, L'\0');
    const DWORD size = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(size);
    return FolderOf(path);
}

// Not SMTO_ABORTIFHUNG: it calls a window hung when its thread has not
// fetched a message for 5 s, which a window still starting, or busy with a
// first capture on a loaded machine, can be; the call would then answer
// busy at once although the window would have answered in time.
Delivery SendUntil(HWND target, HWND from, const COPYDATASTRUCT& data, ULONGLONG deadline,
                   DWORD_PTR tryAgain, DWORD_PTR& code) {
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            return Delivery::timedOut;
        code = tryAgain;
        if (!SendMessageTimeoutW(target, WM_COPYDATA, reinterpret_cast<WPARAM>(from),
                                 reinterpret_cast<LPARAM>(&data), SMTO_NORMAL,
                                 static_cast<UINT>(deadline - now), &code)) {
            if (!IsWindow(target))
                return Delivery::gone;
            code = tryAgain;
        }
        if (code != tryAgain)
            return Delivery::answered;
        Sleep(15);
    }
}

std::wstring Wide(const std::string& utf8) {
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}

std::string Utf8(const std::wstring& wide) {
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

}  // namespace script_peer

#include "capture/capturer_win.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "base/cp932.h"
#include "base/message_box_win.h"
#include "capture/bmp_format.h"
#include "capture/capture_geometry.h"
#include "capture/file_naming.h"
#include "capture/jpeg_encoder.h"
#include "capture/settings_sheet_win.h"
#include "history/history.h"
#include "settings/settings_store.h"

extern SettingsStore settingsStore;
extern History history;

namespace {
const char kFolderFollowsUntitled[] =
    "キャプチャファイルの保存先が履歴と同じに設定されています。\n"
    "『ファイルを開く』か『名前を付けて保存』で履歴ファイル名を決めてから"
    "キャプチャーを開始してください。";
}

void Capturer::reset() {
    monitoring = 0;
    image.reset();
    lastTarget = kTargetNone;
    jpegQuality = 0;
    cp932::copyText(namePrefix, "a");
    nextNumber = 1;
    filePath[0] = '\0';
    folder[0] = '\0';
}

void Capturer::prime(const Settings& settings, const History& current) {
    confirmOverwrite = settings.confirmOverwrite;
    jpegMode = settings.jpegMode;
    jpegQuality = settings.jpegQuality;
    nextNumber = settings.startNumber;
    cp932::copyText(namePrefix, settings.imageFilePrefix);
    cp932::copyText(folder, settings.folderOption == 1 ? current.folder : settings.saveFolder);
}

bool Capturer::refuseUntitledFolder(HWND owner) {
    if (settingsStore.settings.folderOption != 1 || !history.untitled)
        return false;
    ShowMessage(owner, kFolderFollowsUntitled, history.folder, MB_ICONWARNING | MB_OK);
    return true;
}

int Capturer::startMonitoring(HWND owner) {
    if (refuseUntitledFolder(owner))
        return 0;
    monitoring = 1;
    for (int i = 0; i < kCaptureKindCount; ++i) {
        const HotKeyEntry& key = settingsStore.settings.hotKeys[i];
        if (!key.monitored)
            continue;
        // A combination another program holds simply never fires.
        RegisterHotKey(owner, kFirstHotKeyId + i, registerModifiers(key.modifiers),
                       static_cast<UINT>(key.virtualKey));
    }
    return 1;
}

void Capturer::stopMonitoring(HWND owner) {
    if (monitoring != 1)
        return;
    monitoring = 0;
    lastTarget = kTargetNone;
    filePath[0] = '\0';
    for (int id = kFirstHotKeyId; id <= kLastHotKeyId; ++id)
        UnregisterHotKey(owner, id);
}

// ---- the pipeline ----

namespace {

const char kSystemErrorCaption[] = "S00011 <SYSTEM ERROR>";

CaptureRect ToCaptureRect(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

// The display and a memory context for it, released on every path.
struct CaptureDcs {
    win::MemoryDc display{CreateDCA("DISPLAY", nullptr, nullptr, nullptr)};
    win::MemoryDc memory{display ? CreateCompatibleDC(display.get()) : nullptr};
    CaptureDcs() {
        if (memory)
            SetMapMode(memory.get(), GetMapMode(display.get()));
    }
};

}  // namespace

bool Capturer::grabWindow(HWND, int hotKeyId, int screenWidth, int screenHeight) {
    const Settings& s = settingsStore.settings;
    HWND target = GetForegroundWindow();
    RECT r{};
    if (target)
        GetWindowRect(target, &r);
    captureRect = r;
    const bool black = s.offscreenBlack == 1;
    const WindowCapturePlan plan =
        planWindowCapture(ToCaptureRect(r), screenWidth, screenHeight, black ? 1 : 0);
    title[0] = '\0';
    if (target)
        GetWindowTextA(target, title, kPathSize);

    CaptureDcs dcs;
    image.reset();
    if (plan.width > 0 && plan.height > 0 && dcs.memory) {
        image.reset(CreateCompatibleBitmap(dcs.display.get(), plan.width, plan.height));
    }
    if (s.offscreenBlack != 0 && s.offscreenBlack != 1) {
        return false;
    }
    if (image) {
        win::SelectGuard selected(dcs.memory.get(), image.get());
        // Only the part on the screen is copied: a source block reaching past
        // the screen gives undefined pixels (or none at all), and the strips
        // below blacken everything that lay off it.
        const int left = std::max<int>(r.left, 0), top = std::max<int>(r.top, 0);
        const int right = std::min<int>(r.right, screenWidth);
        const int bottom = std::min<int>(r.bottom, screenHeight);
        if (right > left && bottom > top) {
            BitBlt(dcs.memory.get(), left - plan.sourceX, top - plan.sourceY, right - left,
                   bottom - top, dcs.display.get(), left, top, SRCCOPY);
        }
        for (int i = 0; i < plan.stripCount; ++i) {
            const BlackStrip& strip = plan.strips[i];
            PatBlt(dcs.memory.get(), strip.x, strip.y, strip.width, strip.height, BLACKNESS);
        }
        // Kinds 104, 106 and 108 draw their frame, marker or cursor here, in
        // window mode, when the cursor position reads with both coordinates
        // above 0.
        POINT cursor{};
        if (GetCursorPos(&cursor) && cursor.x > 0 && cursor.y > 0)
            decorateCapture(dcs.memory.get(), target, hotKeyId, cursor, DecorationMode::Window,
                            s.hotKeys[hotKeyId - kFirstHotKeyId].markerChoice);
    }
    lastTarget = kTargetWindow;
    return true;
}

void Capturer::grabScreen(int hotKeyId, int screenWidth, int screenHeight) {
    cp932::copyText(title, "SCREEN");
    CaptureDcs dcs;
    image.reset();
    if (dcs.memory)
        image.reset(CreateCompatibleBitmap(dcs.display.get(), screenWidth, screenHeight));
    if (image) {
        win::SelectGuard selected(dcs.memory.get(), image.get());
        BitBlt(dcs.memory.get(), 0, 0, screenWidth, screenHeight, dcs.display.get(), 0, 0, SRCCOPY);
        // Kinds 105, 107 and 109 draw their frame, marker or cursor here, in
        // screen mode, whenever the cursor position can be read.
        POINT cursor{};
        if (GetCursorPos(&cursor))
            decorateCapture(dcs.memory.get(), nullptr, hotKeyId, cursor, DecorationMode::Screen,
                            settingsStore.settings.hotKeys[hotKeyId - kFirstHotKeyId].markerChoice);
    }
    captureRect = RECT{0, 0, screenWidth, screenHeight};
    lastTarget = kTargetScreen;
}

int Capturer::capture(HWND owner, int hotKeyId) {
    const Settings& s = settingsStore.settings;
    if (hotKeyId < kFirstHotKeyId || hotKeyId > kLastHotKeyId)
        return 0;
    if (refuseUntitledFolder(owner))
        return 0;
    if (s.startNumber > s.maxNumber) {
        if (ShowMessage(owner, "開始番号が最大番号を超えています", "ファイル番号設定エラー",
                        MB_ICONWARNING | MB_OK) == IDOK) {
            RunSettingsPropertySheet(owner);
        }
        return 0;
    }
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    if ((hotKeyId - kFirstHotKeyId) % 2 == 0) {
        if (!grabWindow(owner, hotKeyId, screenWidth, screenHeight)) {
            ShowMessage(owner,
                        "アクティブウィンドウキャプチャーでスクリーン外の扱いの値が不正です。",
                        "定義設定エラー", MB_ICONWARNING | MB_OK);
            return 0;
        }
    } else {
        grabScreen(hotKeyId, screenWidth, screenHeight);
    }

    filePath[0] = '\0';
    cp932::copyText(folder, s.folderOption == 1 ? history.folder : s.saveFolder);
    removeTrailingBackslash(folder);
    if (nextNumber > s.maxNumber)
        nextNumber = 0;
    const bool jpeg = jpegMode != 0;
    int written;
    if (!formatCaptureFileName(filePath, sizeof filePath, folder, namePrefix, nextNumber,
                               s.zeroPadNumbers == 1, jpeg)) {
        // No file of that name can exist: the path does not fit.
        ShowMessage(owner, "ファイルのオープンに失敗しました", kSystemErrorCaption,
                    MB_ICONERROR | MB_OK);
        written = -1;
    } else {
        written = jpeg ? writeJpeg(owner, filePath) : writeBmp(owner, filePath);
    }
    // A failed or declined write uses up its number too.
    ++nextNumber;
    return written == -1 ? -1 : lastTarget;
}

const char* Capturer::recordComment() {
    std::memset(commentBuffer, 0, sizeof commentBuffer);
    if (settingsStore.settings.commentSource != 0)
        return settingsStore.settings.comment;
    cp932::copyText(commentBuffer, title);
    return commentBuffer;
}

// ---- the writers ----

int Capturer::openTarget(HWND owner, const char* path, win::FileHandle& file, bool* isDisk) {
    saved = 0;
    *isDisk = false;
    if (!image) {
        ShowMessage(owner, "スクリーンキャプチャが行われていません", kSystemErrorCaption,
                    MB_ICONERROR | MB_OK);
        return -1;
    }
    file.reset(
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    const bool existed = file && GetLastError() == ERROR_ALREADY_EXISTS;
    if (existed && confirmOverwrite == 1 &&
        ShowMessage(owner, "同じ名前のファイルがあります。上書きしますか？", path,
                    MB_ICONWARNING | MB_OKCANCEL) != IDOK) {
        file.reset();
        return -1;
    }
    if (!file) {
        ShowMessage(owner, "ファイルのオープンに失敗しました", kSystemErrorCaption,
                    MB_ICONERROR | MB_OK);
        return -1;
    }
    *isDisk = GetFileType(file.get()) == FILE_TYPE_DISK;
    return 0;
}

bool Capturer::readPixels(HWND owner, int32_t width, int32_t height, uint32_t size,
                          std::unique_ptr<uint8_t[]>& block) {
    block.reset(new (std::nothrow) uint8_t[size]());
    if (!block)
        return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    win::WindowDc dc(owner);
    return GetDIBits(dc.get(), image.get(), 0, static_cast<UINT>(height), block.get(), &info,
                     DIB_RGB_COLORS) == height;
}

void Capturer::reportWriteFailure(HWND owner, const char* path, bool isDisk) {
    // No record may point at a broken file. Only a file is removed, never a
    // device that happened to be named.
    if (isDisk)
        DeleteFileA(path);
    ShowMessage(owner, "ファイルの書き込みに失敗しました", kSystemErrorCaption,
                MB_ICONERROR | MB_OK);
}

namespace {

bool WriteAll(HANDLE file, const void* data, uint32_t size) {
    DWORD written = 0;
    return WriteFile(file, data, size, &written, nullptr) && written == size;
}

}  // namespace

int Capturer::writeBmp(HWND owner, const char* path) {
    win::FileHandle file;
    bool isDisk = false;
    if (openTarget(owner, path, file, &isDisk) != 0)
        return -1;

    int32_t width = 0, height = 0;
    pictureSize(ToCaptureRect(captureRect), settingsStore.settings.offscreenBlack,
                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), &width, &height);
    uint32_t size = 0;
    std::unique_ptr<uint8_t[]> pixels;
    uint8_t headers[kBmpHeaderSize];
    bool ok = dibImageSize(width, height, &size);
    if (ok) {
        makeBmpHeaders(width, height, headers);
        ok = readPixels(owner, width, height, size, pixels) &&
             WriteAll(file.get(), headers, kBmpHeaderSize) &&
             WriteAll(file.get(), pixels.get(), size) &&
             // An earlier, larger file of the same name is cut to this one.
             SetEndOfFile(file.get());
    }
    pixels.reset();
    if (!CloseHandle(file.release()))
        ok = false;
    if (!ok) {
        reportWriteFailure(owner, path, isDisk);
        return -1;
    }
    saved = 1;
    return 0;
}

int Capturer::writeJpeg(HWND owner, const char* path) {
    win::FileHandle file;
    bool isDisk = false;
    if (openTarget(owner, path, file, &isDisk) != 0)
        return -1;
    file.reset();
    if (!encodeJpeg(owner, path, jpegQuality)) {
        reportWriteFailure(owner, path, isDisk);
        return -1;
    }
    saved = 1;
    return 0;
}

bool Capturer::encodeJpeg(HWND owner, const char* path, int quality) {
    int32_t width = 0, height = 0;
    pictureSize(ToCaptureRect(captureRect), settingsStore.settings.offscreenBlack,
                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), &width, &height);
    uint32_t size = 0;
    std::unique_ptr<uint8_t[]> pixels;
    if (!dibImageSize(width, height, &size) || !readPixels(owner, width, height, size, pixels)) {
        return false;
    }
    win::StdioFile stream(std::fopen(path, "wb"));
    if (!stream)
        return false;
    const bool encoded =
        encodeJpegStream(stream.get(), width, height, quality, pixels.get(), dibStride(width));
    return std::fclose(stream.release()) == 0 && encoded;
}

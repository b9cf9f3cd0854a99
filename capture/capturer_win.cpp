#include "capture/capturer_win.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

#include "base/cp932.h"
#include "base/file_io_win.h"
#include "base/message_box_win.h"
#include "base/bmp_format.h"
#include "capture/click_mark.h"
#include "capture/dib_win.h"
#include "capture/capture_geometry.h"
#include "capture/file_naming.h"
#include "capture/jpeg_encoder.h"
#include "capture/monitors_win.h"
#include "picture/png_encoder.h"
#include "capture/settings_sheet_win.h"
#include "history/history.h"
#include "settings/settings_files_win.h"
#include "settings/settings_store.h"
#include "picture/annotation_file.h"

namespace {
const char kFolderFollowsUntitled[] =
    "キャプチャファイルの保存先が履歴と同じに設定されています。\n"
    "『ファイルを開く』か『名前を付けて保存』で履歴ファイル名を決めてから"
    "キャプチャーを開始してください。";
}

void Capturer::reset() {
    monitoring_ = 0;
    image_.reset();
    pixels_ = std::vector<uint8_t>();
    spareFile_ = std::vector<uint8_t>();
    frozen_.reset();
    memory_.reset();
    display_.reset();
    captureBounds_ = {};
    lastTarget_ = kTargetNone;
    options_.jpegQuality = 0;
    cp932::copyText(options_.namePrefix, "a");
    nextNumber_ = 1;
    folder_[0] = '\0';
}

void Capturer::applySettings(const Settings& s) {
    options_.confirmOverwrite = s.confirmOverwrite;
    options_.jpegMode = s.jpegMode;
    options_.jpegQuality = s.jpegQuality;
    nextNumber_ = s.startNumber;
    cp932::copyText(options_.namePrefix, s.imageFilePrefix);
    cp932::copyText(folder_, s.saveFolder);
}

void Capturer::prime(const Settings& settings, const History& current) {
    options_.confirmOverwrite = settings.confirmOverwrite;
    options_.jpegMode = settings.jpegMode;
    options_.jpegQuality = settings.jpegQuality;
    nextNumber_ = settings.startNumber;
    cp932::copyText(options_.namePrefix, settings.imageFilePrefix);
    cp932::copyText(folder_,
                    settings.capturesFollowHistory() ? current.folder : settings.saveFolder);
}

void Capturer::loadExtras() {
    Win32SettingsFiles files;
    extras_ = capture_extras::load(files, settingsStore.iniPath);
}

bool Capturer::saveExtras() {
    Win32SettingsFiles files;
    return capture_extras::save(files, settingsStore.iniPath, extras_);
}

bool Capturer::refuseUntitledFolder(HWND owner) {
    if (!settingsStore.settings.capturesFollowHistory() || !history.untitled)
        return false;
    ShowMessage(owner, kFolderFollowsUntitled, history.folder, MB_ICONWARNING | MB_OK);
    return true;
}

int Capturer::startMonitoring(HWND owner) {
    if (refuseUntitledFolder(owner))
        return 0;
    monitoring_ = 1;
    hotKeyFailures_.clear();
    const auto arm = [&](int id, const HotKeyEntry& key) {
        if (!key.monitored)
            return;
        if (RegisterHotKey(owner, id, registerModifiers(key.modifiers),
                           static_cast<UINT>(key.virtualKey))) {
            heldKeys_.add(id, key.modifiers, key.virtualKey);
            return;
        }
        // A combination another program holds would simply never fire: it
        // is kept for the message, and the other keys stay armed. One that
        // an earlier kind of ours (or the step key) holds fails silently;
        // that kind takes the key.
        if (key.virtualKey != 0 && !heldKeys_.holds(key.modifiers, key.virtualKey))
            hotKeyFailures_.push_back({id, key.modifiers, key.virtualKey});
    };
    for (int i = 0; i < kCaptureKindCount; ++i)
        arm(kFirstHotKeyId + i, settingsStore.settings.hotKeys[i]);
    arm(kRegionHotKeyId, extras_.regionKey);
    arm(kRepeatRegionHotKeyId, extras_.repeatRegionKey);
    // The monitor kinds start without a key: "有効" alone registers nothing.
    for (const auto& [id, key] : {std::make_pair(kAllMonitorsHotKeyId, extras_.allMonitorsKey),
                                  std::make_pair(kMouseMonitorHotKeyId, extras_.mouseMonitorKey),
                                  std::make_pair(kScrollHotKeyId, extras_.scrollKey)})
        if (key.virtualKey != 0)
            arm(id, key);
    stepRecorder.setOwnKeys(heldKeys_);
    return 1;
}

void Capturer::reportHotKeyFailures(HWND owner) const {
    if (!hotKeyFailures_.empty())
        ShowMessage(owner, capture_extras::hotKeyFailureMessage(hotKeyFailures_).c_str(),
                    capture_extras::kHotKeyFailureCaption, MB_ICONWARNING | MB_OK);
}

void Capturer::registerStepKey(HWND owner) {
    UnregisterHotKey(owner, kStepHotKeyId);
    heldKeys_.remove(kStepHotKeyId);
    stepRecorder.setOwnKeys(heldKeys_);
    const HotKeyEntry& key = extras_.stepKey;
    if (!key.monitored || key.virtualKey == 0)
        return;
    if (RegisterHotKey(owner, kStepHotKeyId, registerModifiers(key.modifiers),
                       static_cast<UINT>(key.virtualKey))) {
        heldKeys_.add(kStepHotKeyId, key.modifiers, key.virtualKey);
        stepRecorder.setOwnKeys(heldKeys_);
        return;
    }
    // An armed kind of ours with the same key keeps it, silently.
    if (!heldKeys_.holds(key.modifiers, key.virtualKey))
        ShowMessage(
            owner,
            capture_extras::hotKeyFailureMessage({{kStepHotKeyId, key.modifiers, key.virtualKey}})
                .c_str(),
            capture_extras::kHotKeyFailureCaption, MB_ICONWARNING | MB_OK);
}

bool Capturer::hotKeyFailed(int hotKeyId) const {
    for (const FailedHotKey& f : hotKeyFailures_)
        if (f.hotKeyId == hotKeyId)
            return true;
    return false;
}

void Capturer::stopMonitoring(HWND owner) {
    if (monitoring_ != 1)
        return;
    monitoring_ = 0;
    lastTarget_ = kTargetNone;
    hotKeyFailures_.clear();
    for (int id = kFirstHotKeyId; id <= kLastHotKeyId; ++id) {
        UnregisterHotKey(owner, id);
        heldKeys_.remove(id);
    }
    for (int id :
         {kRegionHotKeyId, kRepeatRegionHotKeyId, kAllMonitorsHotKeyId, kMouseMonitorHotKeyId,
          kScrollHotKeyId}) {
        UnregisterHotKey(owner, id);
        heldKeys_.remove(id);
    }
    stepRecorder.setOwnKeys(heldKeys_);
}

// ---- the pipeline ----

namespace {

const char kSystemErrorCaption[] = "S00011 <SYSTEM ERROR>";

// A failure to write a new picture. A step's names its step and file: the
// user, busy in the program under test, sees it long after the click.
void ReportFailure(HWND owner, const char* text, const NewPicture& picture,
                   const std::string& path) {
    if (picture.step == 0) {
        ShowMessage(owner, text, kSystemErrorCaption, MB_ICONERROR | MB_OK);
        return;
    }
    char step[48];
    std::snprintf(step, sizeof step, "\n\nステップ %d のファイル:\n", picture.step);
    ShowMessage(owner, (text + std::string(step) + path).c_str(), kSystemErrorCaption,
                MB_ICONERROR | MB_OK);
}

// The overwrite question; true when the user lets the file be replaced.
// A step's comes up while the user types in the program under test. It
// stays in front of that program (topmost) but does not take the keyboard
// from it: a box that took the foreground would take the Enter or space
// meant for that program as its answer. Keys queued on this thread before
// the box came (typed while the steps were being written) are dropped for
// the same reason; the user answers by clicking the box first.
bool ConfirmReplace(HWND owner, const char* path, const NewPicture& picture) {
    UINT flags = MB_ICONWARNING | MB_OKCANCEL;
    if (picture.step != 0) {
        MSG pending;
        while (PeekMessageA(&pending, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
        }
        flags |= MB_TOPMOST;
    }
    return ShowMessage(owner, "同じ名前のファイルがあります。上書きしますか？", path, flags) ==
           IDOK;
}

CaptureRect ToCaptureRect(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

// What the decorations change in the kept memory DC (the pen position,
// colours) is undone after each capture, so every capture starts from the
// state a new DC has.
class SavedDcState {
  public:
    explicit SavedDcState(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    SavedDcState(const SavedDcState&) = delete;
    SavedDcState& operator=(const SavedDcState&) = delete;
    ~SavedDcState() {
        if (saved_)
            RestoreDC(dc_, saved_);
    }

  private:
    HDC dc_;
    int saved_;
};

}  // namespace

// Making the two DCs and an 8 MB bitmap for every capture cost a
// whole-screen capture about a quarter of its time under Wine: they are
// kept, and made again only for another screen or picture size.
bool Capturer::captureDcs(int screenWidth, int screenHeight) {
    if (memory_ && dcScreenWidth_ == screenWidth && dcScreenHeight_ == screenHeight) {
        findDisplayOrigin();
        return true;
    }
    image_.reset();
    memory_.reset();
    display_.reset(CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
    if (display_)
        memory_.reset(CreateCompatibleDC(display_.get()));
    if (!memory_)
        return false;
    SetMapMode(memory_.get(), GetMapMode(display_.get()));
    findDisplayOrigin();
    dcScreenWidth_ = screenWidth;
    dcScreenHeight_ = screenHeight;
    return true;
}

// The screen DC's coordinates are screen coordinates, (0, 0) at the
// primary monitor's corner. Windows gives the display DC the same; Wine
// puts its (0, 0) at the virtual screen's corner, which a monitor left of
// or above the primary one moves. Both DCs cover the virtual screen, so
// their clip boxes tell the difference.
void Capturer::findDisplayOrigin() {
    displayOrigin_ = POINT{0, 0};
    win::WindowDc screen(nullptr);
    RECT inScreen{}, inDisplay{};
    if (!display_ || !screen || GetClipBox(screen.get(), &inScreen) == ERROR ||
        GetClipBox(display_.get(), &inDisplay) == ERROR)
        return;
    displayOrigin_.x = inScreen.left - inDisplay.left;
    displayOrigin_.y = inScreen.top - inDisplay.top;
}

void Capturer::prepareImage(int width, int height) {
    if (image_ && imageWidth_ == width && imageHeight_ == height)
        return;
    // The old bitmap goes first: two whole-screen bitmaps at once would
    // double the peak.
    image_.reset();
    image_.reset(CreateCompatibleBitmap(display_.get(), width, height));
    imageWidth_ = width;
    imageHeight_ = height;
}

bool Capturer::grabWindow(HWND, int hotKeyId, const MonitorLayout& layout) {
    const Settings& s = settingsStore.settings;
    HWND target = GetForegroundWindow();
    RECT r{};
    if (target)
        GetWindowRect(target, &r);
    captureRect_ = r;
    const bool black = s.offscreenBlack == 1;
    // With one monitor the bounds are the primary screen, (0, 0) to W x H.
    const CaptureRect& bounds = layout.bounds;
    captureBounds_ = bounds;
    const WindowCapturePlan plan = planWindowCaptureIn(ToCaptureRect(r), bounds, black ? 1 : 0);
    title_[0] = '\0';
    if (target)
        GetWindowTextA(target, title_, kPathSize);

    const bool dcs = captureDcs(bounds.right - bounds.left, bounds.bottom - bounds.top);
    if (dcs && plan.width > 0 && plan.height > 0)
        prepareImage(plan.width, plan.height);
    else
        image_.reset();
    if (s.offscreenBlack != 0 && s.offscreenBlack != 1) {
        return false;
    }
    if (image_) {
        HDC memory = memory_.get();
        SavedDcState state(memory);
        win::SelectGuard selected(memory, image_.get());
        // Only the part on the screen is copied: a source block reaching past
        // the screen gives undefined pixels (or none at all), and the strips
        // below blacken everything that lay off it.
        const int left = std::max<int>(r.left, bounds.left);
        const int top = std::max<int>(r.top, bounds.top);
        const int right = std::min<int>(r.right, bounds.right);
        const int bottom = std::min<int>(r.bottom, bounds.bottom);
        if (right > left && bottom > top) {
            BitBlt(memory, left - plan.sourceX, top - plan.sourceY, right - left, bottom - top,
                   display_.get(), left - displayOrigin_.x, top - displayOrigin_.y, SRCCOPY);
        }
        for (int i = 0; i < plan.stripCount; ++i) {
            const BlackStrip& strip = plan.strips[i];
            PatBlt(memory, strip.x, strip.y, strip.width, strip.height, BLACKNESS);
        }
        blackenUncovered(
            memory,
            {plan.sourceX, plan.sourceY, plan.sourceX + plan.width, plan.sourceY + plan.height},
            layout);
        // Kinds 104, 106 and 108 draw their frame, marker or cursor here, in
        // window mode, when the cursor position reads with both coordinates
        // above those of the screen's corner: above 0 with one monitor, and
        // at negative ones on a monitor left of or above the primary.
        POINT cursor{};
        if (GetCursorPos(&cursor) && cursor.x > bounds.left && cursor.y > bounds.top)
            decorateCapture(memory, target, hotKeyId, cursor, DecorationMode::Window,
                            s.hotKeys[hotKeyId - kFirstHotKeyId].markerChoice);
    }
    lastTarget_ = kTargetWindow;
    return true;
}

void Capturer::grabScreen(int hotKeyId, int screenWidth, int screenHeight) {
    cp932::copyText(title_, "SCREEN");
    if (captureDcs(screenWidth, screenHeight))
        prepareImage(screenWidth, screenHeight);
    else
        image_.reset();
    if (image_) {
        HDC memory = memory_.get();
        SavedDcState state(memory);
        win::SelectGuard selected(memory, image_.get());
        BitBlt(memory, 0, 0, screenWidth, screenHeight, display_.get(), -displayOrigin_.x,
               -displayOrigin_.y, SRCCOPY);
        // Kinds 105, 107 and 109 draw their frame, marker or cursor here, in
        // screen mode, whenever the cursor position can be read.
        POINT cursor{};
        if (GetCursorPos(&cursor))
            decorateCapture(memory, nullptr, hotKeyId, cursor, DecorationMode::Screen,
                            settingsStore.settings.hotKeys[hotKeyId - kFirstHotKeyId].markerChoice);
    }
    captureRect_ = RECT{0, 0, screenWidth, screenHeight};
    captureBounds_ = {0, 0, screenWidth, screenHeight};
    lastTarget_ = kTargetScreen;
}

void Capturer::blackenUncovered(HDC picture, const CaptureRect& area, const MonitorLayout& layout) {
    if (layout.monitors.size() < 2)
        return;
    for (const BlackStrip& b : uncoveredBlocks(area, layout.monitors))
        PatBlt(picture, b.x, b.y, b.width, b.height, BLACKNESS);
}

void Capturer::grabMonitors(int hotKeyId, const MonitorLayout& layout) {
    CaptureRect area = layout.bounds;
    std::string heading = kAllMonitorsHeading;
    if (hotKeyId == kMouseMonitorHotKeyId) {
        const int number = MonitorUnderPointer(layout);
        area = layout.monitors[static_cast<std::size_t>(number - 1)];
        heading = monitorHeading(number);
    }
    cp932::copyText(title_, heading.c_str());
    const CaptureRect& bounds = layout.bounds;
    captureBounds_ = bounds;
    // A monitor reaching past the virtual screen's rectangle (the system's
    // figures read a moment apart) is cut to it, by the rule of windows.
    const WindowCapturePlan plan = planWindowCaptureIn(area, bounds, 0);
    if (plan.width > 0 && plan.height > 0 &&
        captureDcs(bounds.right - bounds.left, bounds.bottom - bounds.top))
        prepareImage(plan.width, plan.height);
    else
        image_.reset();
    if (image_) {
        HDC memory = memory_.get();
        SavedDcState state(memory);
        win::SelectGuard selected(memory, image_.get());
        BitBlt(memory, 0, 0, plan.width, plan.height, display_.get(),
               plan.sourceX - displayOrigin_.x, plan.sourceY - displayOrigin_.y, SRCCOPY);
        blackenUncovered(
            memory,
            {plan.sourceX, plan.sourceY, plan.sourceX + plan.width, plan.sourceY + plan.height},
            layout);
    }
    captureRect_ =
        RECT{plan.sourceX, plan.sourceY, plan.sourceX + plan.width, plan.sourceY + plan.height};
    lastTarget_ = kTargetScreen;
}

bool Capturer::readyToCapture(HWND owner) {
    const Settings& s = settingsStore.settings;
    if (refuseUntitledFolder(owner))
        return false;
    if (s.startNumber > s.maxNumber) {
        if (ShowMessage(owner, "開始番号が最大番号を超えています", "ファイル番号設定エラー",
                        MB_ICONWARNING | MB_OK) == IDOK) {
            RunSettingsPropertySheet(owner);
        }
        return false;
    }
    return true;
}

HBITMAP Capturer::freezeScreen() {
    // The overlay covers every monitor: a region may lie on any of them,
    // or across two.
    frozenBounds_ = ReadMonitorLayout().bounds;
    const CaptureRect& at = frozenBounds_;
    const int width = at.right - at.left;
    const int height = at.bottom - at.top;
    frozen_.reset();
    if (!captureDcs(width, height))
        return nullptr;
    frozen_.reset(CreateCompatibleBitmap(display_.get(), width, height));
    if (!frozen_)
        return nullptr;
    HDC memory = memory_.get();
    win::SelectGuard selected(memory, frozen_.get());
    BitBlt(memory, 0, 0, width, height, display_.get(), at.left - displayOrigin_.x,
           at.top - displayOrigin_.y, SRCCOPY);
    return frozen_.get();
}

void Capturer::releaseFrozenScreen() {
    frozen_.reset();
}

CaptureRegion Capturer::frozenBounds() const {
    return {frozenBounds_.left, frozenBounds_.top, frozenBounds_.right, frozenBounds_.bottom};
}

bool Capturer::grabRegion(const MonitorLayout& layout) {
    // Cut from the picture the overlay showed, whose screen it was.
    const CaptureRect bounds = frozen_ ? frozenBounds_ : layout.bounds;
    const CaptureRegion r = capture_extras::onScreenIn(
        extras_.lastRegion, {bounds.left, bounds.top, bounds.right, bounds.bottom});
    if (r.empty())
        return false;
    cp932::copyText(title_, "REGION");
    captureBounds_ = bounds;
    if (captureDcs(bounds.right - bounds.left, bounds.bottom - bounds.top))
        prepareImage(r.width(), r.height());
    else
        image_.reset();
    if (image_) {
        HDC memory = memory_.get();
        SavedDcState state(memory);
        win::SelectGuard selected(memory, image_.get());
        if (frozen_) {
            // Cut from the picture the overlay showed, not from the overlay.
            win::MemoryDc source(CreateCompatibleDC(display_.get()));
            if (source) {
                win::SelectGuard frozen(source.get(), frozen_.get());
                BitBlt(memory, 0, 0, r.width(), r.height(), source.get(), r.left - bounds.left,
                       r.top - bounds.top, SRCCOPY);
            }
        } else {
            BitBlt(memory, 0, 0, r.width(), r.height(), display_.get(), r.left - displayOrigin_.x,
                   r.top - displayOrigin_.y, SRCCOPY);
        }
    }
    captureRect_ = RECT{r.left, r.top, r.right, r.bottom};
    lastTarget_ = kTargetScreen;
    return true;
}

CaptureResult Capturer::capture(HWND owner, int hotKeyId) {
    const bool region = hotKeyId == kRegionHotKeyId || hotKeyId == kRepeatRegionHotKeyId;
    const bool monitors = hotKeyId == kAllMonitorsHotKeyId || hotKeyId == kMouseMonitorHotKeyId;
    if (!region && !monitors && (hotKeyId < kFirstHotKeyId || hotKeyId > kLastHotKeyId))
        return {};
    if (!readyToCapture(owner))
        return {};
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    // The screen kinds grab the primary screen and need no layout of the
    // monitors, which Wine gathers anew on every call.
    if (region) {
        if (!grabRegion(ReadMonitorLayout()))
            return {};
    } else if (monitors) {
        grabMonitors(hotKeyId, ReadMonitorLayout());
    } else if ((hotKeyId - kFirstHotKeyId) % 2 == 0) {
        if (!grabWindow(owner, hotKeyId, ReadMonitorLayout())) {
            ShowMessage(owner,
                        "アクティブウィンドウキャプチャーでスクリーン外の扱いの値が不正です。",
                        "定義設定エラー", MB_ICONWARNING | MB_OK);
            return {};
        }
    } else {
        grabScreen(hotKeyId, screenWidth, screenHeight);
    }
    return writeNumberedFile(owner, recordHeading(), 0);
}

CaptureResult Capturer::captureStep(HWND owner, StepShot& shot, const std::string& heading) {
    if (!readyToCapture(owner))
        return {};
    const int width = shot.rect.right - shot.rect.left;
    const int height = shot.rect.bottom - shot.rect.top;
    // A key step has no point that was pressed.
    if (shot.kind == StepKind::click)
        click_mark::draw(shot.pixels.data(), width, height, dibStride(width),
                         shot.point.x - shot.rect.left, shot.point.y - shot.rect.top, shot.number);
    return capturePicture(owner, shot.rect, shot.pixels, heading, shot.number);
}

CaptureResult Capturer::capturePicture(HWND owner, const RECT& rect,
                                       const std::vector<uint8_t>& bottomUp,
                                       const std::string& heading, int step) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    captureBounds_ = ReadMonitorLayout().bounds;
    if (captureDcs(captureBounds_.right - captureBounds_.left,
                   captureBounds_.bottom - captureBounds_.top))
        prepareImage(width, height);
    else
        image_.reset();
    if (image_) {
        BITMAPINFO info = BottomUpBgr24(width, height);
        if (SetDIBits(display_.get(), image_.get(), 0, static_cast<UINT>(height), bottomUp.data(),
                      &info, DIB_RGB_COLORS) != height)
            image_.reset();
    }
    captureRect_ = rect;
    cp932::copyText(title_, heading.c_str());
    lastTarget_ = kTargetScreen;
    return writeNumberedFile(owner, heading, step);
}

CaptureResult Capturer::writeNumberedFile(HWND owner, std::string heading, int step) {
    const Settings& s = settingsStore.settings;
    if (nextNumber_ > s.maxNumber)
        nextNumber_ = 0;
    const int number = nextNumber_;
    // A failed or declined write uses up its number too.
    ++nextNumber_;
    const ImageFormat format = imageFormat();
    // The name alone, as it follows the folder's backslash.
    char name[kPathSize];
    formatCaptureFileName(name, sizeof name, "", options_.namePrefix, number, s.zeroPadNumbers == 1,
                          format);
    NewPicture picture;
    picture.fileName = name[0] == '\\' ? name + 1 : name;
    picture.recordPath = [this, number] { return recordImagePath(number); };
    picture.heading = std::move(heading);
    picture.encode = encoderFor(owner, format);
    picture.needsPicture = true;
    picture.target = lastTarget_;
    picture.step = step;
    CaptureResult result = writePicture(owner, picture);
    result.number = number;
    result.nextNumber = nextNumber_;
    return result;
}

CaptureResult Capturer::writePicture(HWND owner, const NewPicture& picture) {
    Settings& s = settingsStore.settings;
    cp932::copyText(folder_, s.capturesFollowHistory() ? history.folder : s.saveFolder);
    removeTrailingBackslash(folder_);
    CaptureResult result;
    result.target = -1;
    const std::string path = std::string(folder_) + "\\" + picture.fileName;
    if (path.size() >= static_cast<std::size_t>(kPathSize)) {
        // No file of that name can exist: the path does not fit.
        ReportFailure(owner, "ファイルのオープンに失敗しました", picture, path);
        return result;
    }
    if (writeFile(owner, path.c_str(), picture, result.file) != 0)
        return result;
    // Annotations of a picture this file replaced were made on that
    // picture: left beside the new one they would mark (and mask) a
    // capture they were never made for.
    DeleteFileA(annotation::sidecarPath(path).c_str());
    DeleteFileA(annotation::flattenedPath(path).c_str());
    result.target = picture.target;
    result.path = path;
    if (picture.recordPath) {
        result.recordPath = picture.recordPath();
    } else {
        // "保存先" (losing one trailing backslash for good) and the name, of
        // which a record of the history folder keeps the name.
        removeTrailingBackslash(s.saveFolder);
        result.recordPath = std::string(s.saveFolder) + "\\" + picture.fileName;
        if (result.recordPath.size() >= static_cast<std::size_t>(kPathSize))
            result.recordPath = picture.fileName;
    }
    result.heading = picture.heading;
    return result;
}

std::string Capturer::recordHeading() const {
    if (settingsStore.settings.commentSource != 0)
        return settingsStore.settings.comment;
    char heading[kCommentSize];
    cp932::copyText(heading, title_);
    return heading;
}

// "保存先" (losing one trailing backslash for good), the prefix and the
// number, in the format of the file written.
std::string Capturer::recordImagePath(int number) {
    Settings& s = settingsStore.settings;
    removeTrailingBackslash(s.saveFolder);
    const ImageFormat format = captureImageFormat(extras_.png, s.jpegMode == 1);
    char path[kPathSize];
    if (!formatCaptureFileName(path, sizeof path, s.saveFolder, options_.namePrefix, number,
                               s.zeroPadNumbers == 1, format)) {
        // Too long to hold whole: keep the file part, which is all a record
        // of the history folder stores anyway.
        formatCaptureFileName(path, sizeof path, "", options_.namePrefix, number,
                              s.zeroPadNumbers == 1, format);
    }
    return path;
}

// ---- the writers ----

int Capturer::openTarget(HWND owner, const char* path, const NewPicture& picture,
                         win::FileHandle& file, bool* isDisk) {
    *isDisk = false;
    if (picture.needsPicture && !image_) {
        ShowMessage(owner, "スクリーンキャプチャが行われていません", kSystemErrorCaption,
                    MB_ICONERROR | MB_OK);
        return -1;
    }
    file.reset(
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    const bool existed = file && GetLastError() == ERROR_ALREADY_EXISTS;
    if (existed && options_.confirmOverwrite == 1 && !ConfirmReplace(owner, path, picture)) {
        file.reset();
        return -1;
    }
    if (!file) {
        ReportFailure(owner, "ファイルのオープンに失敗しました", picture, path);
        return -1;
    }
    *isDisk = GetFileType(file.get()) == FILE_TYPE_DISK;
    return 0;
}

bool Capturer::readPixels(HWND owner, int32_t width, int32_t height, uint8_t* block) {
    BITMAPINFO info = BottomUpBgr24(width, height);
    win::WindowDc dc(owner);
    return GetDIBits(dc.get(), image_.get(), 0, static_cast<UINT>(height), block, &info,
                     DIB_RGB_COLORS) == height;
}

namespace {

// `size` bytes in `bytes`, in its own block when that is large enough. A
// larger file takes a fresh block, the old one going first.
bool SizeFileBlock(std::vector<uint8_t>& bytes, size_t size) {
    if (bytes.capacity() < size)
        bytes = std::vector<uint8_t>();
    try {
        bytes.resize(size);
        return true;
    } catch (const std::bad_alloc&) {
        bytes = std::vector<uint8_t>();
        return false;
    }
}

// Every file has zero bytes after each row's pixels, up to the 4-byte
// boundary, where a kept block still holds an earlier file. The pixels
// themselves GetDIBits writes, in every row it reports.
void ClearRowPads(uint8_t* rows, int32_t width, int32_t height) {
    const size_t stride = dibStride(width);
    const size_t used = static_cast<size_t>(width) * 3;
    if (stride == used)
        return;
    for (int32_t y = 0; y < height; ++y)
        std::memset(rows + static_cast<size_t>(y) * stride + used, 0, stride - used);
}

// bounds: the screen the picture was cut to, the primary screen but for
// the kinds that reach every monitor.
// A picture made by no grab (the pipeline's callers may set captureRect
// themselves) was made on the primary screen.
void PictureSize(const RECT& captureRect, const CaptureRect& bounds, int32_t* width,
                 int32_t* height) {
    const bool none = bounds.right <= bounds.left || bounds.bottom <= bounds.top;
    pictureSizeIn(
        ToCaptureRect(captureRect), settingsStore.settings.offscreenBlack,
        none ? CaptureRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}
             : bounds,
        width, height);
}

}  // namespace

// The writers make the whole file in memory and write it with one call
// through the handle the overwrite check opened: opening it a second time
// for a stream cost a capture more than the write itself. The encoder fills
// a block given back from an earlier file.
int Capturer::writeFile(HWND owner, const char* path, const NewPicture& picture,
                        std::vector<uint8_t>& written) {
    win::FileHandle file;
    bool isDisk = false;
    if (openTarget(owner, path, picture, file, &isDisk) != 0)
        return -1;
    std::vector<uint8_t> bytes = std::move(spareFile_);
    // An earlier, larger file of the same name is cut to this one.
    bool ok = picture.encode(bytes) && win::WriteAll(file.get(), bytes.data(), bytes.size()) &&
              SetEndOfFile(file.get());
    if (!CloseHandle(file.release()))
        ok = false;
    if (!ok) {
        spareFile_ = std::move(bytes);
        // No record may point at a broken file. Only a file is removed,
        // never a device that happened to be named.
        if (isDisk)
            DeleteFileA(path);
        ReportFailure(owner, "ファイルの書き込みに失敗しました", picture, path);
        return -1;
    }
    written = std::move(bytes);
    return 0;
}

void Capturer::reuseFileBlock(std::vector<uint8_t> spent) {
    // The larger block is the one a whole-screen file fits in.
    if (spent.capacity() > spareFile_.capacity())
        spareFile_ = std::move(spent);
}

std::function<bool(std::vector<uint8_t>&)> Capturer::encoderFor(HWND owner, ImageFormat format) {
    if (format == ImageFormat::png) {
        return [this, owner](std::vector<uint8_t>& bytes) {
            int32_t width = 0, height = 0;
            return readKeptPixels(owner, &width, &height) &&
                   encodePngBytes(width, height, pixels_.data(), dibStride(width), bytes);
        };
    }
    if (format == ImageFormat::jpeg) {
        return [this, owner](std::vector<uint8_t>& bytes) {
            return encodeJpeg(owner, options_.jpegQuality, bytes);
        };
    }
    return [this, owner](std::vector<uint8_t>& bytes) {
        int32_t width = 0, height = 0;
        PictureSize(captureRect_, captureBounds_, &width, &height);
        uint32_t size = 0;
        if (!dibImageSize(width, height, &size) || !SizeFileBlock(bytes, kBmpHeaderSize + size))
            return false;
        uint8_t headers[kBmpHeaderSize];
        makeBmpHeaders(width, height, headers);
        std::copy(headers, headers + kBmpHeaderSize, bytes.begin());
        ClearRowPads(bytes.data() + kBmpHeaderSize, width, height);
        return readPixels(owner, width, height, bytes.data() + kBmpHeaderSize);
    };
}

bool Capturer::readKeptPixels(HWND owner, int32_t* width, int32_t* height) {
    PictureSize(captureRect_, captureBounds_, width, height);
    uint32_t size = 0;
    // The block is kept, like the bitmap: fresh pages for 6 MB cost a
    // whole-screen capture a fifth of its time. The encoders read no pad
    // byte, so what an earlier capture left there does not matter.
    if (!dibImageSize(*width, *height, &size))
        return false;
    try {
        pixels_.resize(size);
    } catch (const std::bad_alloc&) {
        pixels_ = std::vector<uint8_t>();
        return false;
    }
    return readPixels(owner, *width, *height, pixels_.data());
}

bool Capturer::encodeJpeg(HWND owner, int quality, std::vector<uint8_t>& out) {
    int32_t width = 0, height = 0;
    return readKeptPixels(owner, &width, &height) &&
           encodeJpegBytes(width, height, quality, pixels_.data(), dibStride(width), out);
}

bool Capturer::copyToClipboard(HWND owner) {
    int32_t width = 0, height = 0;
    PictureSize(captureRect_, captureBounds_, &width, &height);
    uint32_t size = 0;
    bool ok = image_ && dibImageSize(width, height, &size);
    win::GlobalMemory memory;
    if (ok)
        memory.reset(GlobalAlloc(GMEM_MOVEABLE, sizeof(BITMAPINFOHEADER) + size));
    if (memory) {
        auto* block = static_cast<uint8_t*>(GlobalLock(memory.get()));
        ok = block != nullptr;
        if (ok) {
            BITMAPINFOHEADER header = BottomUpBgr24(width, height).bmiHeader;
            header.biSizeImage = size;
            std::memcpy(block, &header, sizeof header);
            ok = readPixels(owner, width, height, block + sizeof header);
            GlobalUnlock(memory.get());
        }
    } else {
        ok = false;
    }
    // Another program may hold the clipboard for a moment.
    bool opened = false;
    for (int attempt = 0; ok && !opened && attempt < 10; ++attempt) {
        opened = OpenClipboard(owner) != FALSE;
        if (!opened)
            Sleep(20);
    }
    if (opened) {
        ok = EmptyClipboard() && SetClipboardData(CF_DIB, memory.get());
        if (ok)
            memory.release();  // the clipboard owns it now
        CloseClipboard();
    }
    if (!ok || !opened) {
        ShowMessage(owner, "キャプチャーをクリップボードにコピーできませんでした。", "警告",
                    MB_ICONWARNING | MB_OK);
        return false;
    }
    return true;
}

bool Capturer::pictureSize(int* width, int* height) const {
    BITMAP picture{};
    if (!image_ || !GetObjectA(image_.get(), sizeof picture, &picture))
        return false;
    *width = picture.bmWidth;
    *height = picture.bmHeight;
    return true;
}

#include "capture/capturer_win.h"

#include "app/cp932.h"
#include "app/message_box_win.h"
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

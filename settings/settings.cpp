#include "settings/settings.h"

const char* const kHotKeyStems[kCaptureKindCount] = {
    "画面全体",  "Aウィンドウ",  "画面全体P", "AウィンドウP",
    "画面全体C", "AウィンドウC", "画面全体D", "AウィンドウD",
};

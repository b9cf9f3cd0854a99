// The capture state of the process: monitoring, the hot keys, the picture of
// the last capture and the running file number.
#pragma once

#include <windows.h>

#include <cstdint>

#include "app/win_handles_win.h"
#include "capture/capture_kinds.h"
#include "settings/settings.h"

class History;

class Capturer {
  public:
    static constexpr int kPrefixSize = 64;

    void reset();
    // Copies the settings the pipeline works from (start-up).
    void prime(const Settings& settings, const History& history);
    // 0 when refused (the capture folder follows a history that has no name
    // yet); otherwise registers the monitored kinds' hot keys and returns 1.
    int startMonitoring(HWND owner);
    void stopMonitoring(HWND owner);

    int32_t monitoring = 0;
    win::Bitmap image;
    RECT captureRect{};
    int32_t lastTarget = kTargetNone;
    int32_t confirmOverwrite = 0;
    int32_t saved = 0;
    int32_t jpegMode = 0;
    char namePrefix[kPrefixSize]{};
    char folder[kPathSize]{};
    int32_t jpegQuality = 0;
    int32_t nextNumber = 1;
    char filePath[kPathSize]{};
    char title[kPathSize]{};
    char commentBuffer[kCommentSize]{};

  private:
    // The refusal of capture step 1 and of arming; true when refused.
    bool refuseUntitledFolder(HWND owner);
};

extern Capturer capturer;

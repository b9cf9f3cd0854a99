// The settings page "拡張キャプチャー": the region keys, the delay and the
// clipboard copy, kept in the settings file's group of their own.
#pragma once

#include <windows.h>

INT_PTR CALLBACK CaptureExtrasPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

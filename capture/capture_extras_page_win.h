// The settings page "拡張キャプチャー": the region keys, the delay, the
// clipboard copy, the step key and the monitor kinds' keys, kept in the
// settings file's group of their own.
#pragma once

#include <windows.h>

INT_PTR CALLBACK CaptureExtrasPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

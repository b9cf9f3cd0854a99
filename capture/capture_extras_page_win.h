// The settings page "拡張キャプチャー": the region keys, the delay, the
// clipboard copy, the step key and the monitor kinds' keys, kept in the
// settings file's group of their own; and the current test case (テストID,
// 次の手順, 実施者) that hot-key and step captures are filed under, kept in
// [TestCase].
#pragma once

#include <windows.h>

INT_PTR CALLBACK CaptureExtrasPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Resource and control ids of reading the text in captures (ツール →
// 文字の読み取り, 文字読み取りの設定).
#pragma once

#define IDD_OCR_SETTINGS 290
#define IDD_OCR_PROGRESS 291
#define IDC_OCR_ENABLED 3000
#define IDC_OCR_PROGRESS_TEXT 3010
#define IDC_OCR_PROGRESS_BAR 3011

// Resource and control ids of the stamp's options dialog (ツール → スタンプの設定).
#pragma once

#define IDD_STAMP_SETTINGS 262
#define IDC_STAMP_ON 2760
#define IDC_STAMP_CORNER 2761
#define IDC_STAMP_HEIGHT 2762
#define IDC_STAMP_TEXT_COLOUR 2763
#define IDC_STAMP_TEXT_SAMPLE 2764
#define IDC_STAMP_BACK_COLOUR 2765
#define IDC_STAMP_BACK_SAMPLE 2766

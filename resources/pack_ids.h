// Resource and control ids of the one-file pack (ツール → 1ファイルにまとめる).
#pragma once

#define IDD_PACK_OPTIONS 270
#define IDD_PACK_PROGRESS 271
#define IDC_PACK_TARGET 2900
#define IDC_PACK_BROWSE 2901
#define IDC_PACK_HTML 2902
#define IDC_PACK_PDF 2903
#define IDC_PACK_COVER 2904
#define IDC_PACK_NUMBERS 2905
#define IDC_PACK_DIGESTS 2906
#define IDC_PACK_CASES 2907
#define IDC_PACK_PER_PAGE 2908
#define IDC_PACK_PROGRESS_TEXT 2910
#define IDC_PACK_PROGRESS_BAR 2911

// Resource and control ids of the personal-data patterns' dialog
// (ツール → 個人情報パターンの設定, and the mask proposals' list).
#pragma once

#define IDD_PERSONAL_PATTERNS 296
#define IDC_PERSONAL_PATTERNS 2960

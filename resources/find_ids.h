// Resource and control ids of the find window (編集 → 検索).
#pragma once

#define IDD_FIND 280
#define IDC_FIND_WORDS 2950
#define IDC_FIND_COUNT 2951
#define IDC_FIND_PREVIOUS 2952

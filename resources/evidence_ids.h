// Resource and control ids of the evidence verify command's dialogs.
#pragma once

#define IDD_EVIDENCE_VERIFY 180
#define IDC_EVIDENCE_LIST 1400
#define IDC_EVIDENCE_SAVE 1401

#define IDD_EVIDENCE_PROGRESS 181
#define IDC_EVIDENCE_PROGRESS_TEXT 1410
#define IDC_EVIDENCE_PROGRESS_BAR 1411

// Resource and control ids of the テストケース dialog.
#pragma once

#define IDD_TEST_CASE 250

#define IDC_CASE_SCOPE 2800
#define IDC_CASE_TEST_ID 2801
#define IDC_CASE_STEP 2802
#define IDC_CASE_EXPECTED 2803
#define IDC_CASE_ACTUAL 2804
#define IDC_CASE_VERDICT 2805
#define IDC_CASE_TESTER 2806
#define IDC_CASE_DATE 2807
#define IDC_CASE_REMARKS 2808

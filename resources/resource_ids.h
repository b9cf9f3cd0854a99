// Resource and command identifiers. The numbers are fixed: menus, toolbar,
// accelerators and dialogs refer to them, and so do users' habits.
#pragma once

// Icons, menus, accelerators, dialogs
#define IDI_ZELCAP 107
#define IDI_SMALL 108
#define IDM_MAIN 109
#define IDR_ACCELERATORS 109
#define IDD_ABOUTBOX 103
#define IDB_TOOLBAR 131

// Commands
#define IDM_ABOUT 104
#define IDM_EXIT 105
#define IDM_CAPTURE_START 110
#define IDM_CAPTURE_STOP 111
#define IDM_FILE_SAVE_AS 32771
#define IDM_PREFERENCES 32772
#define IDM_FILE_NEW 32774
#define IDM_FILE_SAVE 32775
#define IDM_FILE_OPEN 32776
#define IDM_EDIT_HEADINGS 32778
#define IDM_EDIT_DELETE 32779
#define IDM_OPEN_RECORD 32780
#define IDM_CAPTURE_TOGGLE 32781
#define IDM_EDIT_HEADING 32784
#define IDM_EDIT_SELECT_ALL 32786
#define IDM_HELP_CONTENTS 32788
#define IDM_REPORT 32789
#define IDM_ASSIGN_TEXT 32790
#define IDM_HELP_SEARCH 32793
#define IDM_HELP_KEYWORD 32794
#define IDM_EDIT_TEXT 32795
#define IDM_EDIT_MOVE_UP 32797
#define IDM_EDIT_MOVE_DOWN 32798
#define IDM_EXCEL 32800
#define IDM_STEP_START 32801
#define IDM_STEP_STOP 32802
#define IDM_ANNOTATE 32803
#define IDM_VERIFY 32804
#define IDM_COMPARE 32805
#define IDM_SCROLL_CAPTURE 32806
#define IDM_STAMP_SETTINGS 32820
// The evidence as one HTML or PDF file.
#define IDM_PACK 32830
// The text in captures: every unread picture of the history, and the option.
#define IDM_OCR_READ_ALL 32850
#define IDM_OCR_SETTINGS 32851
// Masks proposed over the personal data read in a picture, and the user's
// own patterns of it.
#define IDM_MASK_PROPOSALS 32856
#define IDM_PERSONAL_PATTERNS 32857
// The search of the records: the find window (Ctrl+F), and the next and
// previous match with the last words (F3 / Shift+F3).
#define IDM_FIND 32840
#define IDM_FIND_NEXT 32841
#define IDM_FIND_PREVIOUS 32842
// The test cases of the selected records: the dialog, and 判定 OK / NG
// from F4 / Shift+F4.
#define IDM_TEST_CASE 32810
#define IDM_VERDICT_OK 32811
#define IDM_VERDICT_NG 32812
// The re-test against an earlier history: choosing and clearing the
// baseline, 判定 from the comparisons' proposals (F8), and the guide of the
// baseline's step (F7).
#define IDM_BASELINE_CHOOSE 32860
#define IDM_BASELINE_CLEAR 32861
#define IDM_ACCEPT_PROPOSAL 32862
#define IDM_BASELINE_GUIDE 32863

// Controls of the version dialog
#define IDC_ABOUT_ICON 1000
#define IDC_ABOUT_PRODUCT 1001
#define IDC_ABOUT_PURPOSE 1002

// The record editing dialogs: one heading for the selection, and the
// description text file of a row
#define IDD_HEADING 132
#define IDD_TEXTFILE 152
#define IDC_HEADING_TEXT 1016
#define IDC_HEADING_CANCEL 1017
#define IDC_HEADING_OK 1018
#define IDC_TEXTFILE_FOLDER 1004
#define IDC_TEXTFILE_LIST 1015
#define IDC_TEXTFILE_NEW_NAME 1111
#define IDC_TEXTFILE_NONE 3
#define IDC_TEXTFILE_ADD 4

// The capture key panel: a toggle, a hot-key control and a label per capture
// kind, and the marker choosers with their previews for kinds 4 and 5. The
// marker strip and the previews are drawn by tools/generate_resources.py.
#define IDB_MARKERS 146
#define IDD_KEY_PANEL 147
#define IDB_MARKER_PREVIEW_0 150
#define IDB_MARKER_PREVIEW_1 151
#define IDB_MARKER_PREVIEW_2 152
#define IDB_MARKER_PREVIEW_3 153
#define IDC_KEY_TOGGLE_0 1014
#define IDC_KEY_TOGGLE_1 1015
#define IDC_KEY_TOGGLE_2 1016
#define IDC_KEY_TOGGLE_3 1017
#define IDC_KEY_TOGGLE_4 1018
#define IDC_KEY_TOGGLE_5 1019
#define IDC_KEY_TOGGLE_6 1020
#define IDC_KEY_TOGGLE_7 1021
#define IDC_KEY_HOTKEY_0 1085
#define IDC_KEY_HOTKEY_1 1098
#define IDC_KEY_HOTKEY_2 1099
#define IDC_KEY_HOTKEY_3 1100
#define IDC_KEY_HOTKEY_4 1101
#define IDC_KEY_HOTKEY_5 1102
#define IDC_KEY_HOTKEY_6 1103
#define IDC_KEY_HOTKEY_7 1104
#define IDC_KEY_MARKER_4 1088
#define IDC_KEY_MARKER_5 1089
#define IDC_KEY_PREVIEW_4_0 1090
#define IDC_KEY_PREVIEW_4_1 1091
#define IDC_KEY_PREVIEW_4_2 1092
#define IDC_KEY_PREVIEW_4_3 1093
#define IDC_KEY_PREVIEW_5_0 1094
#define IDC_KEY_PREVIEW_5_1 1095
#define IDC_KEY_PREVIEW_5_2 1096
#define IDC_KEY_PREVIEW_5_3 1097
#define IDD_SHEET_FILES 102
#define IDD_SHEET_HISTORY 130
#define IDD_SHEET_FORMAT 134
#define IDD_SHEET_FONTS 138
#define IDC_SHEET_PREFIX 1002
#define IDC_SHEET_START 1003
#define IDC_SHEET_FOLDER 1004
#define IDC_SHEET_MAX 1005
#define IDC_SHEET_OVERWRITE_YES 1006
#define IDC_SHEET_OVERWRITE_NO 1007
#define IDC_SHEET_BROWSE 1010
#define IDC_SHEET_ZERO_PAD 1014
#define IDC_SHEET_FOLDER_GIVEN 1045
#define IDC_SHEET_FOLDER_HISTORY 1046
#define IDC_SHEET_OFFSCREEN_CUT 1047
#define IDC_SHEET_OFFSCREEN_BLACK 1048
#define IDC_SHEET_COMMENT_TITLE 1038
#define IDC_SHEET_COMMENT_TEXT 1039
#define IDC_SHEET_COMMENT 1005
#define IDC_SHEET_AUTOSAVE_ON 1020
#define IDC_SHEET_AUTOSAVE_OFF 1019
#define IDC_SHEET_KEEP_IMAGES 1113
#define IDC_SHEET_IMAGE_APP 1107
#define IDC_SHEET_TEXT_APP 1108
#define IDC_SHEET_CHOOSE_IMAGE_APP 1109
#define IDC_SHEET_CHOOSE_TEXT_APP 1110
#define IDC_SHEET_JPEG 1008
#define IDC_SHEET_BMP 1009
#define IDC_SHEET_PNG 1114
#define IDC_SHEET_QUALITY 1028
#define IDC_SHEET_GENERAL_FACE 1030
#define IDC_SHEET_GENERAL_SIZE 1031
#define IDC_SHEET_GENERAL_FONT 1036
#define IDC_SHEET_HISTORY_FACE 1034
#define IDC_SHEET_HISTORY_SIZE 1035
#define IDC_SHEET_HISTORY_FONT 1012

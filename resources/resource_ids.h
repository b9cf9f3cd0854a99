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

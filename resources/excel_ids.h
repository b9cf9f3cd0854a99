// Resource and control ids of the Excel evidence workbook's options dialog.
#pragma once

#define IDD_EXCEL_OPTIONS 160

#define IDC_EXCEL_OUTPUT_PATH 1200
#define IDC_EXCEL_BROWSE 1201
#define IDC_EXCEL_LAYOUT_SHEETS 1202
#define IDC_EXCEL_LAYOUT_ONE_SHEET 1203
#define IDC_EXCEL_PICTURE_ACTUAL 1204
#define IDC_EXCEL_PICTURE_FIT 1205
#define IDC_EXCEL_DESCRIPTION 1206
#define IDC_EXCEL_TITLE 1207
#define IDC_EXCEL_OUTPUT 3

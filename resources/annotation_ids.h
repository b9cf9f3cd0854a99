// Resource and control ids of the annotation editor's text dialog.
#pragma once

#define IDD_ANNOTATION_TEXT 240
#define IDC_ANNOTATION_TEXT 2401
#define IDC_ANNOTATION_FONT 2402
#define IDC_ANNOTATION_FONT_NAME 2403
#define IDC_ANNOTATION_BALLOON 2404

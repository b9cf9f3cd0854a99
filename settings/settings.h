// The settings record that every subsystem reads. Platform-free.
#pragma once

#include <cstdint>

constexpr int kPathSize = 260;
constexpr int kCommentSize = 129;
constexpr int kCsvTitleSize = 64;
constexpr int kFaceNameSize = 32;
constexpr int kCaptureKindCount = 8;
constexpr int kColumnCount = 4;

// One capture kind's hot key as the hot-key control reports it
// (modifiers: Shift 0x01, Ctrl 0x02, Alt 0x04, extended 0x08).
struct HotKeyEntry {
    int32_t modifiers;
    int32_t virtualKey;
    int32_t monitored;
    int32_t markerChoice;
};

// Laid out exactly like the platform's LOGFONTA (the Win32 side checks this),
// followed by the point size the font chooser returned.
struct FontEntry {
    int32_t height;
    int32_t width;
    int32_t escapement;
    int32_t orientation;
    int32_t weight;
    uint8_t italic;
    uint8_t underline;
    uint8_t strikeOut;
    uint8_t charSet;
    uint8_t outPrecision;
    uint8_t clipPrecision;
    uint8_t quality;
    uint8_t pitchAndFamily;
    char faceName[kFaceNameSize];
    int32_t pointSize;
};

struct Settings {
    // [File_Set]
    int32_t confirmOverwrite;
    int32_t jpegMode;
    int32_t autoSaveHistory;
    int32_t jpegQuality;
    int32_t startNumber;
    HotKeyEntry hotKeys[kCaptureKindCount];
    int32_t folderOption;
    int32_t offscreenBlack;
    int32_t maxNumber;
    int32_t keepImagesOnDelete;
    int32_t zeroPadNumbers;
    char csvTitle[kCsvTitleSize];
    char comment[kCommentSize];
    int32_t commentSource;
    char saveFolder[kPathSize];
    char imageFilePrefix[kPathSize];
    FontEntry generalFont;
    FontEntry imageFont;
    FontEntry historyFont;
    char imageApp[kPathSize];
    char textApp[kPathSize];

    // [Window]
    int32_t windowX;
    int32_t windowY;
    int32_t windowWidth;
    int32_t windowHeight;
    int32_t columnWidths[kColumnCount];

    // [HTML]
    int32_t reportLayout;
    int32_t reportRowsPerPage;
    int32_t reportImageWidth;
    int32_t reportCommentWidth;
    char reportFolder[kPathSize];
    char reportFileName[kPathSize];
    char reportTitle[kPathSize];
    int32_t reportNoImageCopy;
    int32_t reportCoverPage;
    int32_t reportItemNumbers;
    int32_t reportHtmlTags;
    int32_t reportLargeImageLink;
    int32_t reportFrameColour;
    int32_t reportBackgroundColour;
    int32_t reportItemsPerRow;
    int32_t reportTocSplit;

    // "保存先オプション" 1: the pictures go to the history's own folder (and
    // an untitled history has none yet), their records keep only the name.
    bool capturesFollowHistory() const { return folderOption == 1; }
};

// INI key stems of the eight capture kinds, by kind index. Index 0 (the active
// window) really is stored under "画面全体": old files depend on these names.
extern const char* const kHotKeyStems[kCaptureKindCount];

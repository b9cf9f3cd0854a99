// The text-reading road of the main window: pictures the capture road wrote
// and the records of an opened history go to the one OcrWorker, whose
// results become "<picture>.ocr" beside each picture. Nothing here waits for
// the worker: a capture only pushes its path. The worker exists only once
// [OCR] 文字読み取り is on or the read-all command runs, so a user who never
// reads text never starts its thread or loads the models.
#pragma once

#include <windows.h>

#include <string>

#include "ocr/ocr_worker_win.h"
#include "settings/ocr_settings.h"

namespace ocr_road {

// The worker's decoder: view/'s loaders, as the pane reads the same file;
// false when the file cannot be read or decoded.
bool ReadPicture(const std::string& path, ocr::OcrPicture& out);

// [OCR] from the settings file, read once as the window is made.
void LoadOptions();
const OcrSettings& Options();

// A capture's picture was written (hot key, step, script, comparison): read
// when the option is on. The flattened picture of an annotation is never
// given here; the original is.
void PictureWritten(HWND window, const std::string& path);
// A history was opened: with the option on, every record's picture without
// its ".ocr" is queued in list order, behind the captures already queued.
void HistoryOpened(HWND window);

// The worker's registered message; true when `message` was it.
bool OnPosted(HWND window, UINT message, LPARAM lParam);

// What the status bar says of the picture at `path`: being read, could not
// be read, or nothing.
const char* PictureStatus(const std::string& path);
// That of the selected record's picture, in the status bar's third part.
void ShowStatusOfSelection();

// ツール → 文字の読み取り: every record's picture without ".ocr", with the
// progress window, then the counts.
void ReadAllCommand(HWND window);
// ツール → 文字読み取りの設定.
void SettingsCommand(HWND window);

// The text of the picture at `path` read now on the calling thread (the
// window's, for a script that waits for its answer), its ".ocr" written,
// unless it has one already. With the option off, or the models missing,
// nothing is read. True when the picture has a readable ".ocr" afterwards.
bool ReadNow(const std::string& path);

// Told of every ".ocr" the worker wrote, on the window's thread.
using ReadListener = void (*)(HWND window, const std::string& picturePath);
void SetReadListener(ReadListener listener);

// WM_DESTROY: the picture being read is abandoned and the thread joined;
// the session's failures are forgotten.
void Stop();

// Whether the worker (its thread) was made in this session.
bool WorkerStarted();

// The status texts (CP932).
extern const char kReading[];
extern const char kUnreadable[];

}  // namespace ocr_road

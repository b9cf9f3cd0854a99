// What the benchmark programs share: a clock, medians, a message pump, the
// busy picture they capture, and the pictures and history they read. Both
// Zelcap's drivers and the floor programs use it, and nothing here knows
// Zelcap, so a floor does only the work it names.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

double NowMs();
double Median(std::vector<double> values);

// Dispatches whatever is queued, paint messages included.
void PumpPending();
// Has every window of the thread paint what is invalid now, and hands the
// drawing to the display.
void PaintNow(HWND window);

// The busy picture (gradients, coloured blocks, a screen full of text) that
// the capture benchmarks take, drawn into a width x height area.
void PaintScene(HDC dc, int width, int height);
// A top-most borderless window showing the busy picture over the whole
// screen; painted before it returns.
HWND CreateSceneWindow();

// A width x height 24-bit bottom-up picture of the busy picture shifted by
// `seed` pixels, as GetDIBits returns it (BGR rows padded to 4 bytes).
std::vector<uint8_t> ScenePixels(int width, int height, int seed);
// Writes pixels like those as a baseline JPEG of the given quality (libjpeg
// defaults, fast integer DCT), swapping blue and red in place. False when
// the file cannot be written.
bool WriteJpeg(const char* path, int width, int height, int quality, uint8_t* bottomUpBgr);

// "yyyy/mm/dd hh:mm:ss,heading,image,text" lines after the header, the image
// of record i being "\p<i mod pictures>.jpg": a history of `records` records
// of the history folder.
std::string HistoryCsv(int records, int pictures);

bool WriteBytes(const std::string& path, const std::string& bytes);

// The names of the files (not folders) that a folder and wildcard
// ("C:\pictures\*.jpg") finds, in the order FindNextFile gives them.
std::vector<std::string> FilesOf(const std::string& pattern);

// The next file dialog of this thread is answered with `path` and OK, from
// a timer its own modal loop runs; LastFileDialog tells when OK was pressed
// and when the dialog was gone.
struct FileDialogTimes {
    double okPressed = 0;
    double closed = 0;
};
// `closed`, when given, is called at the dialog's end.
void AnswerNextFileDialog(const std::string& path, void (*closed)() = nullptr);
FileDialogTimes LastFileDialog();

// Prints one measured figure as "name: value unit" on its own line, the
// form the bench script reads.
void Report(const char* name, double value, const char* unit = "ms");

}  // namespace bench

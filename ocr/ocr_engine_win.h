// The text reader: Tesseract with the Japanese and English models from the
// tessdata folder beside the program. One engine belongs to one thread at a
// time (Tesseract's objects are not shared); the worker owns the only one.
#pragma once

#include "ocr/ocr_lines.h"
#include "ocr/ocr_text.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct Pix;

namespace tesseract {
class TessBaseAPI;
}

namespace ocr_reread {
struct Word;
struct Span;
}  // namespace ocr_reread

namespace ocr {

struct ReadLine;

enum class OcrStatus {
    Ok,
    NoModels,       // the folder or a model file is missing
    DamagedModels,  // a model is there but the engine refused it
    BadPicture,     // too small or too large to read
    OutOfMemory,
    Cancelled,
    Failed,         // the engine gave up on this picture
};

// What one reading gave: the lines when status is Ok, otherwise a message
// (CP932) that the caller can show as it is.
struct OcrOutcome {
    OcrStatus status = OcrStatus::Failed;
    std::string message;
    OcrResult result;
};

// Pixels as the decoders and GDI leave them: bytes blue, green, red (and a
// fourth that is ignored), rows `rowStep` bytes apart starting at the top
// row; a bottom-up DIB has its last row in memory first and a negative step.
struct OcrPixels {
    const uint8_t* top = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t rowStep = 0;
    int bytesPerPixel = 3;  // 3 or 4
};

// Sides below this hold no text; pictures above this many pixels are refused
// before anything is allocated: the engine keeps several copies of a page,
// and 32 bits leave 2 GiB for the whole program.
constexpr int kMinOcrSide = 4;
constexpr long long kMaxOcrPixels = 7680LL * 4320LL;
constexpr int kDefaultOcrScale = 2;

// What e-mail addresses and numbers are written with, and the colon of the
// label before them: the only characters the second reading may give
// (without a whitelist it gives back the first reading's commas, blanks and
// `O` for `@`; docs/performance.md).
inline constexpr const char* kItemCharacters =
    "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ@.-_+():";

// What phone, card and マイナンバー numbers are written with.
inline constexpr const char* kNumberCharacters = "0123456789-()";

// How a page is read. The defaults are what the program uses; the quality
// set's tool (tools/bench/ocr_quality_win.cpp) measures the others.
struct OcrTuning {
    // Pages are read at `scale` times their size (1 to 4): screen text of 9
    // to 14 pixels is below what the models were trained on.
    int scale = kDefaultOcrScale;
    int pageSegMode = 11;  // tesseract::PageSegMode; 11 is sparse text
    // The page is read with the Japanese model alone: with both, the English
    // one wins short kanji labels; its English lines are read again below.
    std::string languages = "jpn";
    bool dictionaries = true;  // the models' word lists
    // A line the models read poorly is read again inverted: the engine's own
    // answer to light text on dark, which ocr_prep's turned grounds make
    // redundant (the quality set read the same without it, a little faster).
    bool invertedLines = false;
    bool sharpen = true;       // the unsharp mask after upscaling
    bool repairGlyphs = true;  // ocr_prep's repairs of bitmap-font zeros and commas
    bool zeroBarOffCentre = true;  // see ocr_prep::repairBitmapGlyphs
    // The words of a line that may hold personal data are read again alone
    // (ocr_reread), as one line, at `rereadScale` times the picture's size,
    // with `rereadLanguages`; `rereadCharacters`, when not empty, are the
    // only characters that reading may give.
    bool rereadItems = true;
    int rereadScale = 2;
    std::string rereadLanguages = "eng";
    std::string rereadCharacters = kItemCharacters;
    bool rereadWinsTies = false;  // see ocr_reread::chosen
    bool rereadSmooth = true;     // interpolated and sharpened, or its pixels repeated
    bool numbersAsDigits = true;  // kNumberCharacters for an ocr_reread::numeric span
    bool widenBitmapMs = true;    // ocr_reread::withBitmapMsWidened before the second reading
    // Each line of the page's reading with no kana or kanji in it, and each
    // run of words without them that may hold an item in the other lines
    // (ocr_reread::candidateSpans), is read again by
    // `lineLanguages` alone, as one line cut from the repaired picture and
    // enlarged as the page is (its bitmap `m`s widened first with
    // `lineWidenMs`), and `lineChoice` says which reading stands
    // (ocr_lines); before the second reading of its items.
    ocr_lines::Choice lineChoice = ocr_lines::Choice::confidence;
    std::string lineLanguages = "eng";
    bool lineWidenMs = true;
    bool asciiRunsAgain = true;  // the runs of words that may hold an item in Japanese lines too
    bool figureRunsAgain = true;  // and the runs of figures alone (ocr_reread::figureSpans)
    float figureSureAt = 80.0f;   // whose first reading's mean word confidence is below this
    // A kana or other wide character alone between ASCII letters or digits
    // (ロ for '@') keeps neither a line from the English reading nor a word
    // from the second reading of items.
    bool strayWideAsAscii = true;
    // ocr_reread::raiseLowDots on the cut-outs of both.
    bool raiseLowDots = true;
};

// `tessdata` beside the running program (GetModuleFileNameA), with a
// trailing backslash.
std::string TessdataBesideProgram();

class OcrEngine {
  public:
    // Loads nothing yet: the models are read on the first recognise().
    explicit OcrEngine(std::string tessdataFolder, OcrTuning tuning = {});
    ~OcrEngine();
    OcrEngine(const OcrEngine&) = delete;
    OcrEngine& operator=(const OcrEngine&) = delete;

    // Reads the models if they are not read yet. Ok, NoModels, DamagedModels
    // or OutOfMemory; a failure is remembered and returned again.
    OcrStatus open(std::string* message = nullptr);

    // The text lines of a picture, boxes in its own pixels, top to bottom.
    // `cancel`, when given, is polled while the engine reads words; once it
    // is true the reading ends with Cancelled.
    OcrOutcome recognise(const OcrPixels& pixels, const std::atomic<bool>* cancel = nullptr);

  private:
    OcrOutcome readPage(const OcrPixels& pixels, const std::atomic<bool>* cancel);
    bool openReread();
    bool openLineReader();
    void readLineAgain(Pix* grey, ReadLine& line);
    void readRunsAgain(Pix* grey, ReadLine& line);
    void readFiguresAgain(Pix* grey, ReadLine& line);
    ReadLine readBoxAgain(Pix* grey, int left, int top, int right, int bottom);
    using ReadLineWords = std::vector<ocr_reread::Word>;
    std::wstring rereadSpan(Pix* grey, const ocr_reread::Span& span, const std::wstring& first);
    std::wstring rereadLine(Pix* grey, ReadLineWords& words, const std::wstring& text,
                            const std::atomic<bool>* cancel);
    void drop();

    std::string folder_;
    OcrTuning tuning_;
    int scale_;
    std::unique_ptr<tesseract::TessBaseAPI> api_;
    std::unique_ptr<tesseract::TessBaseAPI> reread_;  // only with tuning_.rereadItems
    std::unique_ptr<tesseract::TessBaseAPI> lines_;   // a line reader of its own languages
    tesseract::TessBaseAPI* lineReader_ = nullptr;    // lines_, or reread_ where the languages agree
    OcrStatus openStatus_ = OcrStatus::Failed;
    std::string openMessage_;
    bool tried_ = false;
};

// The texts shown for each status (CP932).
const char* OcrStatusText(OcrStatus status);

}  // namespace ocr

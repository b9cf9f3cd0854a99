#include "ocr/ocr_engine_win.h"

#include <windows.h>

#include <leptonica/allheaders.h>
#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <new>
#include <utility>
#include <vector>

#include "ocr/ocr_lines.h"
#include "ocr/ocr_prep.h"
#include "ocr/ocr_reread.h"

namespace ocr {

// A line of the first reading, in the enlarged page's pixels, and its words.
struct ReadLine {
    int left = 0, top = 0, right = 0, bottom = 0;
    ocr_lines::Reading read;
    std::vector<ocr_reread::Word> words;
    std::vector<ocr_lines::Reading> wordReads;  // each word's, beside `words`
};

namespace {

const char* const kModelFiles[] = {"jpn.traineddata", "eng.traineddata"};

struct PixDeleter {
    void operator()(Pix* pix) const { pixDestroy(&pix); }
};
using PixOwner = std::unique_ptr<Pix, PixDeleter>;

struct TextDeleter {
    void operator()(char* text) const { delete[] text; }
};

OcrOutcome Outcome(OcrStatus status, std::string message = {}) {
    OcrOutcome outcome;
    outcome.status = status;
    outcome.message = message.empty() ? OcrStatusText(status) : std::move(message);
    return outcome;
}

struct BoxDeleter {
    void operator()(Box* box) const { boxDestroy(&box); }
};

PixOwner PixFromGrey(const ocr_prep::GreyImage& image) {
    PixOwner grey(pixCreate(image.width, image.height, 8));
    if (!grey)
        return nullptr;
    l_uint32* data = pixGetData(grey.get());
    const l_int32 wpl = pixGetWpl(grey.get());
    for (int y = 0; y < image.height; ++y) {
        l_uint32* out = data + static_cast<std::ptrdiff_t>(y) * wpl;
        for (int x = 0; x < image.width; ++x)
            SET_DATA_BYTE(out, x, image.at(x, y));
    }
    return grey;
}

ocr_prep::GreyImage GreyFromPix(Pix* pix) {
    ocr_prep::GreyImage image;
    image.width = pixGetWidth(pix);
    image.height = pixGetHeight(pix);
    image.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
    const l_uint32* data = pixGetData(pix);
    const l_int32 wpl = pixGetWpl(pix);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            image.at(x, y) = static_cast<std::uint8_t>(GET_DATA_BYTE(data + static_cast<std::ptrdiff_t>(y) * wpl, x));
    return image;
}

// A line's or a span's cut-out with its bitmap `m`s widened (the columns put
// in go to `widened`) and its low full stops raised (ocr_reread).
ocr_prep::GreyImage Repaired(ocr_prep::GreyImage image, bool widenMs, bool raiseDots, std::vector<int>* widened) {
    if (raiseDots)
        ocr_reread::raiseLowDots(image);
    return widenMs ? ocr_reread::withBitmapMsWidened(image, widened) : image;
}

// The picture in grey, one byte a pixel, top row first, repaired.
PixOwner RepairedGrey(const OcrPixels& pixels, const OcrTuning& tuning) {
    ocr_prep::GreyImage image =
        ocr_prep::greyFromBgr(pixels.top, pixels.width, pixels.height, pixels.rowStep, pixels.bytesPerPixel);
    if (tuning.repairGlyphs)
        ocr_prep::repairBitmapGlyphs(image, tuning.zeroBarOffCentre);
    return PixFromGrey(image);
}

// Scaled up and sharpened.
PixOwner Enlarged(Pix* grey, int scale, bool sharpen) {
    if (scale == 1)
        return PixOwner(pixClone(grey));
    // The interpolation softens the strokes of small glyphs; an unsharp mask
    // gives them back their edges (digits beside 円 came back as Q and G
    // without it).
    const auto factor = static_cast<float>(scale);
    PixOwner larger(pixScaleGrayLI(grey, factor, factor));
    if (!larger || !sharpen)
        return larger;
    return PixOwner(pixUnsharpMaskingGray(larger.get(), 3, 0.7f));
}

// The models put a space between Japanese characters that the screen shows
// side by side; a space between two wide characters is dropped.
bool IsWide(wchar_t c) { return c >= 0x2E80; }

std::wstring JoinWideCharacters(const std::wstring& in) {
    std::wstring out;
    out.reserve(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] == L' ' && !out.empty() && IsWide(out.back())) {
            std::size_t next = i;
            while (next < in.size() && in[next] == L' ')
                ++next;
            if (next < in.size() && IsWide(in[next])) {
                i = next - 1;
                continue;
            }
        }
        out += in[i];
    }
    return out;
}

// UTF-8 from the engine, its line ends as blanks and none at its end.
std::wstring Wide(const char* utf8) {
    const int wideLength = utf8 ? MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0) : 0;
    if (wideLength <= 1)
        return {};
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &wide[0], wideLength);
    wide.resize(wide.size() - 1);
    std::replace(wide.begin(), wide.end(), L'\n', L' ');
    std::replace(wide.begin(), wide.end(), L'\r', L' ');
    while (!wide.empty() && wide.back() == L' ')
        wide.pop_back();
    return wide;
}

// To CP932 with the Japanese characters joined; characters CP932 lacks
// become '?' (no best-fit look-alikes, which would put text in the index
// that the picture does not show).
std::string LineText(const std::wstring& read) {
    const std::wstring wide = JoinWideCharacters(read);
    if (wide.empty())
        return {};
    const int size = static_cast<int>(wide.size());
    const int bytes = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0, "?", nullptr);
    std::string text(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), size, &text[0], bytes, "?", nullptr);
    return text;
}

// The characters of the word at `it` that the engine was unsure of.
int RejectedCharacters(const tesseract::ResultIterator& it) {
    tesseract::LTRResultIterator symbol(it);
    int rejected = 0;
    do {
        rejected += !symbol.Empty(tesseract::RIL_SYMBOL) &&
                    symbol.Confidence(tesseract::RIL_SYMBOL) < ocr_lines::kRejectedBelow;
    } while (!symbol.IsAtFinalElement(tesseract::RIL_WORD, tesseract::RIL_SYMBOL) &&
             symbol.Next(tesseract::RIL_SYMBOL));
    return rejected;
}

// The lines read, each with its words and their confidences; the characters
// rejected are counted only when `countRejected`.
std::vector<ReadLine> CollectLines(tesseract::ResultIterator& it, bool countRejected) {
    using tesseract::RIL_TEXTLINE;
    using tesseract::RIL_WORD;
    std::vector<ReadLine> lines;
    do {
        if (it.IsAtBeginningOf(RIL_TEXTLINE)) {
            ReadLine line;
            std::unique_ptr<char, TextDeleter> utf8(it.Empty(RIL_TEXTLINE) ? nullptr : it.GetUTF8Text(RIL_TEXTLINE));
            if (utf8 && it.BoundingBox(RIL_TEXTLINE, &line.left, &line.top, &line.right, &line.bottom))
                line.read.text = Wide(utf8.get());
            lines.push_back(std::move(line));
        }
        if (lines.empty() || it.Empty(RIL_WORD))
            continue;
        ocr_reread::Word word;
        std::unique_ptr<char, TextDeleter> utf8(it.GetUTF8Text(RIL_WORD));
        if (utf8 && it.BoundingBox(RIL_WORD, &word.left, &word.top, &word.right, &word.bottom)) {
            word.text = Wide(utf8.get());
            ocr_lines::Reading read;
            read.text = word.text;
            read.addWord(it.Confidence(RIL_WORD));
            read.rejected = countRejected ? RejectedCharacters(it) : 0;
            ReadLine& line = lines.back();
            line.words.push_back(std::move(word));
            line.read.addWord(read.confidenceSum);
            line.read.rejected += read.rejected;
            line.wordReads.push_back(std::move(read));
        }
    } while (it.Next(RIL_WORD));
    return lines;
}

// A box of the enlarged page cut from the picture at its own size, with a
// margin of half the line's height that the single-line layout needs around
// the glyphs; `fits` is false for a box too small to read.
struct CutOut {
    PixOwner pix;
    int x = 0, y = 0;
    bool fits = false;
};

CutOut CutWithMargin(Pix* grey, int scale, int left, int top, int right, int bottom) {
    left /= scale, top /= scale, right = (right + scale - 1) / scale, bottom = (bottom + scale - 1) / scale;
    const int margin = std::max(3, (bottom - top) / 2);
    CutOut cut;
    cut.x = std::max(0, left - margin), cut.y = std::max(0, top - margin);
    const int w = std::min(pixGetWidth(grey), right + margin) - cut.x;
    const int h = std::min(pixGetHeight(grey), bottom + margin) - cut.y;
    if (w < kMinOcrSide || h < kMinOcrSide)
        return cut;
    cut.fits = true;
    std::unique_ptr<Box, BoxDeleter> box(boxCreate(cut.x, cut.y, w, h));
    cut.pix.reset(box ? pixClipRectangle(grey, box.get(), nullptr) : nullptr);
    return cut;
}

bool Cancelled(void* flag, int) {
    return static_cast<const std::atomic<bool>*>(flag)->load(std::memory_order_relaxed);
}

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// An engine that reads one line at a time, or null when the models fail.
std::unique_ptr<tesseract::TessBaseAPI> LineEngine(const std::string& folder, const std::string& languages,
                                                   bool dictionaries) {
    auto api = std::make_unique<tesseract::TessBaseAPI>();
    const std::vector<std::string> names = {"load_system_dawg", "load_freq_dawg"};
    const std::vector<std::string> values(2, dictionaries ? "1" : "0");
    if (api->Init(folder.c_str(), languages.c_str(), tesseract::OEM_LSTM_ONLY, nullptr, 0, &names, &values, false) != 0)
        return nullptr;
    api->SetVariable("tessedit_do_invert", "0");
    api->SetPageSegMode(tesseract::PSM_SINGLE_LINE);
    return api;
}

}  // namespace

const char* OcrStatusText(OcrStatus status) {
    switch (status) {
        case OcrStatus::Ok:
            return "";
        case OcrStatus::NoModels:
            return "文字の読み取りに使うモデル (tessdata フォルダーの jpn.traineddata と eng.traineddata) が"
                   "プログラムのフォルダーにありません。文字の読み取りは行いません。";
        case OcrStatus::DamagedModels:
            return "文字の読み取りに使うモデルを読み込めませんでした。ファイルが壊れている可能性があります。"
                   "文字の読み取りは行いません。";
        case OcrStatus::BadPicture:
            return "この画像は文字を読み取れる大きさではありません。";
        case OcrStatus::OutOfMemory:
            return "メモリが足りないため、この画像の文字を読み取れませんでした。";
        case OcrStatus::Cancelled:
            return "文字の読み取りを中止しました。";
        case OcrStatus::Failed:
            break;
    }
    return "この画像の文字を読み取れませんでした。";
}

std::string TessdataBesideProgram() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    std::string folder(path, length);
    folder.erase(folder.find_last_of('\\') + 1);
    return folder + "tessdata\\";
}

OcrEngine::OcrEngine(std::string tessdataFolder, OcrTuning tuning)
    : folder_(std::move(tessdataFolder)), tuning_(std::move(tuning)), scale_(std::clamp(tuning_.scale, 1, 4)) {
    // Leptonica reports to stderr, which a window program does not have; its
    // warnings come for every line the engine reads.
    setMsgSeverity(L_SEVERITY_NONE);
    if (!folder_.empty() && folder_.back() != '\\' && folder_.back() != '/')
        folder_ += '\\';
}

OcrEngine::~OcrEngine() { drop(); }

void OcrEngine::drop() {
    lineReader_ = nullptr;
    lines_.reset();
    reread_.reset();
    api_.reset();
}

OcrStatus OcrEngine::open(std::string* message) {
    if (!tried_) {
        tried_ = true;
        openStatus_ = OcrStatus::Ok;
        for (const char* file : kModelFiles)
            if (folder_.empty() || !FileExists(folder_ + file))
                openStatus_ = OcrStatus::NoModels;
        if (openStatus_ == OcrStatus::Ok) {
            try {
                api_ = std::make_unique<tesseract::TessBaseAPI>();
                // The folder is always named, so the library never looks for
                // another one.
                // The word lists are read at Init or never.
                const std::vector<std::string> names = {"load_system_dawg", "load_freq_dawg"};
                const std::vector<std::string> values(2, tuning_.dictionaries ? "1" : "0");
                if (api_->Init(folder_.c_str(), tuning_.languages.c_str(), tesseract::OEM_LSTM_ONLY, nullptr, 0,
                               &names, &values, false) != 0)
                    openStatus_ = OcrStatus::DamagedModels;
                else
                    api_->SetVariable("tessedit_do_invert", tuning_.invertedLines ? "1" : "0");
                if (openStatus_ == OcrStatus::Ok && tuning_.rereadItems && !openReread())
                    openStatus_ = OcrStatus::DamagedModels;
                if (openStatus_ == OcrStatus::Ok && tuning_.lineChoice != ocr_lines::Choice::off && !openLineReader())
                    openStatus_ = OcrStatus::DamagedModels;
            } catch (const std::bad_alloc&) {
                openStatus_ = OcrStatus::OutOfMemory;
            } catch (...) {
                openStatus_ = OcrStatus::DamagedModels;
            }
            if (openStatus_ != OcrStatus::Ok)
                drop();
        }
        openMessage_ = OcrStatusText(openStatus_);
    }
    if (message)
        *message = openMessage_;
    return openStatus_;
}

bool OcrEngine::openReread() {
    reread_ = LineEngine(folder_, tuning_.rereadLanguages, tuning_.dictionaries);
    if (!reread_)
        return false;
    if (!tuning_.rereadCharacters.empty())
        reread_->SetVariable("tessedit_char_whitelist", tuning_.rereadCharacters.c_str());
    return true;
}

bool OcrEngine::openLineReader() {
    // The second reading's engine reads lines just as well when it has the
    // same model: its character list is set before each of its readings.
    if (reread_ && tuning_.rereadLanguages == tuning_.lineLanguages) {
        lineReader_ = reread_.get();
        return true;
    }
    lines_ = LineEngine(folder_, tuning_.lineLanguages, tuning_.dictionaries);
    lineReader_ = lines_.get();
    return lines_ != nullptr;
}

OcrOutcome OcrEngine::recognise(const OcrPixels& pixels, const std::atomic<bool>* cancel) {
    std::string message;
    const OcrStatus opened = open(&message);
    if (opened != OcrStatus::Ok)
        return Outcome(opened, message);
    if (!pixels.top || pixels.width < kMinOcrSide || pixels.height < kMinOcrSide ||
        static_cast<long long>(pixels.width) * pixels.height > kMaxOcrPixels ||
        (pixels.bytesPerPixel != 3 && pixels.bytesPerPixel != 4))
        return Outcome(OcrStatus::BadPicture);
    try {
        OcrOutcome outcome = readPage(pixels, cancel);
        api_->Clear();
        return outcome;
    } catch (const std::bad_alloc&) {
        // The engine's state after a failed allocation is unknown: it is
        // opened afresh for the next picture.
        drop();
        tried_ = false;
        return Outcome(OcrStatus::OutOfMemory);
    } catch (...) {
        drop();
        tried_ = false;
        return Outcome(OcrStatus::Failed);
    }
}

std::wstring OcrEngine::rereadSpan(Pix* grey, const ocr_reread::Span& span, const std::wstring& first) {
    CutOut cut = CutWithMargin(grey, scale_, span.left, span.top, span.right, span.bottom);
    if (!cut.fits)
        return {};
    PixOwner crop = std::move(cut.pix);
    if (crop && (tuning_.widenBitmapMs || tuning_.raiseLowDots))
        crop = PixFromGrey(Repaired(GreyFromPix(crop.get()), tuning_.widenBitmapMs, tuning_.raiseLowDots, nullptr));
    const int scale = std::clamp(tuning_.rereadScale, 1, 6);
    PixOwner larger(!crop                 ? nullptr
                    : tuning_.rereadSmooth ? Enlarged(crop.get(), scale, tuning_.sharpen)
                                           : PixOwner(pixExpandReplicate(crop.get(), scale)));
    if (!larger)
        throw std::bad_alloc();
    const bool digits = !tuning_.rereadCharacters.empty() && tuning_.numbersAsDigits && ocr_reread::numeric(first);
    reread_->SetVariable("tessedit_char_whitelist", digits ? kNumberCharacters : tuning_.rereadCharacters.c_str());
    reread_->SetImage(larger.get());
    reread_->SetSourceResolution(96 * scale);
    std::unique_ptr<char, TextDeleter> text(reread_->GetUTF8Text());
    reread_->Clear();
    return Wide(text.get());
}

// What the line reader reads in a box of the enlarged page, cut from the
// repaired picture and enlarged as the page was (its bitmap `m`s widened
// with tuning_.lineWidenMs, its low full stops raised with
// tuning_.raiseLowDots); the words' boxes back in the enlarged page's pixels.
ReadLine OcrEngine::readBoxAgain(Pix* grey, int left, int top, int right, int bottom) {
    ReadLine again;
    CutOut cut = CutWithMargin(grey, scale_, left, top, right, bottom);
    if (!cut.fits)
        return again;
    std::vector<int> widened;
    if (cut.pix && (tuning_.lineWidenMs || tuning_.raiseLowDots))
        cut.pix = PixFromGrey(Repaired(GreyFromPix(cut.pix.get()), tuning_.lineWidenMs, tuning_.raiseLowDots, &widened));
    PixOwner larger(cut.pix ? Enlarged(cut.pix.get(), scale_, tuning_.sharpen) : nullptr);
    if (!larger)
        throw std::bad_alloc();
    lineReader_->SetVariable("tessedit_char_whitelist", "");
    lineReader_->SetImage(larger.get());
    lineReader_->SetSourceResolution(96 * scale_);
    const auto pageX = [&](int x) { return (ocr_reread::unwidenedX(widened, x) + cut.x) * scale_; };
    std::unique_ptr<tesseract::ResultIterator> it(lineReader_->Recognize(nullptr) == 0 ? lineReader_->GetIterator()
                                                                                      : nullptr);
    for (ReadLine& part : it ? CollectLines(*it, tuning_.lineChoice == ocr_lines::Choice::fewestRejected)
                             : std::vector<ReadLine>{}) {
        if (part.read.text.empty())
            continue;
        again.read.text += (again.read.text.empty() ? L"" : L" ") + part.read.text;
        again.read.words += part.read.words;
        again.read.confidenceSum += part.read.confidenceSum;
        again.read.rejected += part.read.rejected;
        for (ocr_reread::Word& word : part.words)
            again.words.push_back({std::move(word.text), pageX(word.left / scale_), word.top + cut.y * scale_,
                                   pageX((word.right + scale_ - 1) / scale_), word.bottom + cut.y * scale_});
        for (ocr_lines::Reading& read : part.wordReads)
            again.wordReads.push_back(std::move(read));
    }
    it.reset();
    lineReader_->Clear();
    return again;
}

// A line without Japanese read again whole; where the reading stands (by
// tuning_.lineChoice) its words replace the line's, whose box is kept.
void OcrEngine::readLineAgain(Pix* grey, ReadLine& line) {
    ReadLine again = readBoxAgain(grey, line.left, line.top, line.right, line.bottom);
    if (!ocr_lines::secondStands(line.read, again.read, tuning_.lineChoice))
        return;
    line.read = std::move(again.read);
    line.words = std::move(again.words);
    line.wordReads = std::move(again.wordReads);
}

namespace {

// The words of `span` in `line` replaced by `words`, each with its reading.
void SpliceWords(ReadLine& line, const ocr_reread::Span& span, const std::vector<ocr_reread::Word>& words,
                 const std::vector<ocr_lines::Reading>& reads) {
    const auto at = static_cast<std::ptrdiff_t>(span.first), end = static_cast<std::ptrdiff_t>(span.last);
    line.words.erase(line.words.begin() + at, line.words.begin() + end);
    line.words.insert(line.words.begin() + at, words.begin(), words.end());
    line.wordReads.erase(line.wordReads.begin() + at, line.wordReads.begin() + end);
    line.wordReads.insert(line.wordReads.begin() + at, reads.begin(), reads.end());
}

}  // namespace

// In a Japanese line, each run of figures alone read again by the English
// model; its digits stand where they have the first reading's shape
// (ocr_reread::figureReading). The line's text changes there alone: joined
// again from its words, it would get blanks between kanji and what follows.
void OcrEngine::readFiguresAgain(Pix* grey, ReadLine& line) {
    const std::vector<ocr_reread::Span> figures =
        ocr_reread::figureSpans(line.words, ocr_reread::candidateSpans(line.words, tuning_.strayWideAsAscii));
    for (auto span = figures.rbegin(); span != figures.rend(); ++span) {
        ocr_lines::Reading read;
        for (std::size_t i = span->first; i < span->last; ++i)
            read.addWord(line.wordReads[i].confidenceSum);
        if (read.meanConfidence() >= tuning_.figureSureAt)
            continue;
        const std::wstring first = ocr_reread::wordsText(line.words, span->first, span->last);
        const ReadLine again = readBoxAgain(grey, span->left, span->top, span->right, span->bottom);
        const std::wstring figure = ocr_reread::figureReading(first, again.read.text);
        const std::size_t at = line.read.text.rfind(first);
        if (figure.empty() || at == std::wstring::npos)
            continue;
        line.read.text.replace(at, first.size(), figure);
        const ocr_reread::Word word{figure, span->left, span->top, span->right, span->bottom};
        SpliceWords(line, *span, {word}, {read});
    }
}

// In a Japanese line, each run of words without kana or kanji that may hold
// an item (ocr_reread::candidateSpans: a label's address or number) read
// again the same way, right to left so that the runs' places stay. Runs of
// every kind cost the dense screen a third more time for one item more on
// the quality set (docs/performance.md); runs of figures alone are read
// too, as the Japanese model read 金額:1,000 in large type as 1, 900.
void OcrEngine::readRunsAgain(Pix* grey, ReadLine& line) {
    std::vector<ocr_reread::Span> spans = ocr_reread::candidateSpans(line.words, tuning_.strayWideAsAscii);
    bool changed = false;
    for (auto span = spans.rbegin(); span != spans.rend(); ++span) {
        ocr_lines::Reading read;
        read.text = ocr_reread::wordsText(line.words, span->first, span->last);
        for (std::size_t i = span->first; i < span->last; ++i) {
            read.addWord(line.wordReads[i].confidenceSum);
            read.rejected += line.wordReads[i].rejected;
        }
        ReadLine again = readBoxAgain(grey, span->left, span->top, span->right, span->bottom);
        if (!ocr_lines::secondStands(read, again.read, tuning_.lineChoice))
            continue;
        SpliceWords(line, *span, again.words, again.wordReads);
        changed = true;
    }
    if (changed)
        line.read.text = ocr_reread::wordsText(line.words, 0, line.words.size());
    // Figures last, found in the words as the item runs left them.
    if (tuning_.figureRunsAgain)
        readFiguresAgain(grey, line);
}

// The line's text with each span that may hold an item read again, kept
// where the second reading shows more items.
std::wstring OcrEngine::rereadLine(Pix* grey, ReadLineWords& words, const std::wstring& text,
                                   const std::atomic<bool>* cancel) {
    const std::vector<ocr_reread::Span> spans = ocr_reread::candidateSpans(words, tuning_.strayWideAsAscii);
    bool changed = false;
    for (auto span = spans.rbegin(); span != spans.rend(); ++span) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            break;
        const std::wstring first = ocr_reread::wordsText(words, span->first, span->last);
        const std::wstring kept = ocr_reread::chosen(first, rereadSpan(grey, *span, first), tuning_.rereadWinsTies);
        if (kept == first)
            continue;
        ocr_reread::Word replacement{kept, span->left, span->top, span->right, span->bottom};
        words.erase(words.begin() + span->first, words.begin() + span->last);
        words.insert(words.begin() + span->first, std::move(replacement));
        changed = true;
    }
    return changed ? ocr_reread::wordsText(words, 0, words.size()) : text;
}

OcrOutcome OcrEngine::readPage(const OcrPixels& pixels, const std::atomic<bool>* cancel) {
    PixOwner grey = RepairedGrey(pixels, tuning_);
    PixOwner page(grey ? Enlarged(grey.get(), scale_, tuning_.sharpen) : nullptr);
    if (!page)
        return Outcome(OcrStatus::OutOfMemory);
    api_->SetPageSegMode(static_cast<tesseract::PageSegMode>(tuning_.pageSegMode));
    api_->SetImage(page.get());
    // A screen's 96 dpi, at the scale the page is read at.
    api_->SetSourceResolution(96 * scale_);
    tesseract::ETEXT_DESC monitor;
    if (cancel) {
        monitor.cancel = &Cancelled;
        monitor.cancel_this = const_cast<std::atomic<bool>*>(cancel);
    }
    const int failed = api_->Recognize(&monitor);
    if (cancel && cancel->load())
        return Outcome(OcrStatus::Cancelled);
    if (failed != 0)
        return Outcome(OcrStatus::Failed);
    OcrOutcome outcome;
    outcome.status = OcrStatus::Ok;
    std::unique_ptr<tesseract::ResultIterator> it(api_->GetIterator());
    if (!it)
        return outcome;
    for (ReadLine& line : CollectLines(*it, tuning_.lineChoice == ocr_lines::Choice::fewestRejected)) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            break;
        if (lineReader_ && ocr_lines::readAgain(line.read.text, tuning_.strayWideAsAscii))
            readLineAgain(grey.get(), line);
        else if (lineReader_ && tuning_.asciiRunsAgain && !line.read.text.empty())
            readRunsAgain(grey.get(), line);
        if (reread_ && !line.read.text.empty())
            line.read.text = rereadLine(grey.get(), line.words, line.read.text, cancel);
        std::string text = LineText(line.read.text);
        if (text.empty())
            continue;
        // Back to the picture's own pixels, rounding outwards.
        outcome.result.lines.push_back(OcrLine{line.left / scale_, line.top / scale_,
            std::min(pixels.width, (line.right + scale_ - 1) / scale_),
            std::min(pixels.height, (line.bottom + scale_ - 1) / scale_), std::move(text)});
    }
    if (cancel && cancel->load())
        return Outcome(OcrStatus::Cancelled);
    return outcome;
}

}  // namespace ocr

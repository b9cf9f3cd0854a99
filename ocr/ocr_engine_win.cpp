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

#include "ocr/ocr_prep.h"
#include "ocr/ocr_reread.h"

namespace ocr {

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

// The picture in grey, one byte a pixel, top row first, repaired.
PixOwner RepairedGrey(const OcrPixels& pixels, const OcrTuning& tuning) {
    ocr_prep::GreyImage image =
        ocr_prep::greyFromBgr(pixels.top, pixels.width, pixels.height, pixels.rowStep, pixels.bytesPerPixel);
    if (tuning.repairGlyphs)
        ocr_prep::repairBitmapGlyphs(image);
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

// A line of the first reading, in the enlarged page's pixels, and its words.
struct ReadLine {
    int left = 0, top = 0, right = 0, bottom = 0;
    std::wstring text;
    std::vector<ocr_reread::Word> words;
};

std::vector<ReadLine> CollectLines(tesseract::ResultIterator& it) {
    using tesseract::RIL_TEXTLINE;
    using tesseract::RIL_WORD;
    std::vector<ReadLine> lines;
    do {
        if (it.IsAtBeginningOf(RIL_TEXTLINE)) {
            ReadLine line;
            std::unique_ptr<char, TextDeleter> utf8(it.Empty(RIL_TEXTLINE) ? nullptr : it.GetUTF8Text(RIL_TEXTLINE));
            if (utf8 && it.BoundingBox(RIL_TEXTLINE, &line.left, &line.top, &line.right, &line.bottom))
                line.text = Wide(utf8.get());
            lines.push_back(std::move(line));
        }
        if (lines.empty() || it.Empty(RIL_WORD))
            continue;
        ocr_reread::Word word;
        std::unique_ptr<char, TextDeleter> utf8(it.GetUTF8Text(RIL_WORD));
        if (utf8 && it.BoundingBox(RIL_WORD, &word.left, &word.top, &word.right, &word.bottom)) {
            word.text = Wide(utf8.get());
            lines.back().words.push_back(std::move(word));
        }
    } while (it.Next(RIL_WORD));
    return lines;
}

bool Cancelled(void* flag, int) {
    return static_cast<const std::atomic<bool>*>(flag)->load(std::memory_order_relaxed);
}

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
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
    reread_ = std::make_unique<tesseract::TessBaseAPI>();
    const std::vector<std::string> names = {"load_system_dawg", "load_freq_dawg"};
    const std::vector<std::string> values(2, tuning_.dictionaries ? "1" : "0");
    if (reread_->Init(folder_.c_str(), tuning_.rereadLanguages.c_str(), tesseract::OEM_LSTM_ONLY, nullptr, 0, &names,
                      &values, false) != 0)
        return false;
    reread_->SetVariable("tessedit_do_invert", "0");
    if (!tuning_.rereadCharacters.empty())
        reread_->SetVariable("tessedit_char_whitelist", tuning_.rereadCharacters.c_str());
    reread_->SetPageSegMode(tesseract::PSM_SINGLE_LINE);
    return true;
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
    // Back to the picture's pixels, with a margin of half the line's height
    // that the single-line layout needs around the glyphs.
    const int left = span.left / scale_, top = span.top / scale_;
    const int right = (span.right + scale_ - 1) / scale_, bottom = (span.bottom + scale_ - 1) / scale_;
    const int margin = std::max(3, (bottom - top) / 2);
    const int x = std::max(0, left - margin), y = std::max(0, top - margin);
    const int w = std::min(pixGetWidth(grey), right + margin) - x, h = std::min(pixGetHeight(grey), bottom + margin) - y;
    if (w < kMinOcrSide || h < kMinOcrSide)
        return {};
    std::unique_ptr<Box, BoxDeleter> box(boxCreate(x, y, w, h));
    PixOwner crop(box ? pixClipRectangle(grey, box.get(), nullptr) : nullptr);
    if (crop && tuning_.widenBitmapMs)
        crop = PixFromGrey(ocr_reread::withBitmapMsWidened(GreyFromPix(crop.get())));
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

// The line's text with each span that may hold an item read again, kept
// where the second reading shows more items.
std::wstring OcrEngine::rereadLine(Pix* grey, ReadLineWords& words, const std::wstring& text,
                                   const std::atomic<bool>* cancel) {
    const std::vector<ocr_reread::Span> spans = ocr_reread::candidateSpans(words);
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
    for (ReadLine& line : CollectLines(*it)) {
        if (reread_ && !line.text.empty())
            line.text = rereadLine(grey.get(), line.words, line.text, cancel);
        std::string text = LineText(line.text);
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

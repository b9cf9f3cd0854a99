// The text reader's quality set, read through ocr::OcrEngine as the program
// reads a capture: character accuracy over the set (Japanese and English
// lines apart) and the recall of the planted personal data, for each way of
// reading asked for; then the processor time of whole 1920 x 1080 screens
// read the same ways, one after the other in the same run.
// Usage: ocr_quality [--pages FIRST-LAST] [--save FOLDER] [--detail]
//                    [--screens] [--no-set] [TUNING...]
// A tuning is a name from kTunings (default when none is given).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ocr/ocr_engine_win.h"
#include "ocr/ocr_quality.h"
#include "tools/bench/ocr_pages_win.h"

namespace {

struct NamedTuning {
    const char* name;
    ocr::OcrTuning tuning;
};

ocr::OcrTuning Tuned(void (*change)(ocr::OcrTuning&)) {
    ocr::OcrTuning t;
    change(t);
    return t;
}

// The way of reading that was the default before each line was read by the
// model of its script, changed by `change`.
ocr::OcrTuning Old(void (*change)(ocr::OcrTuning&)) {
    ocr::OcrTuning t;
    t.languages = "jpn+eng";
    t.lineChoice = ocr_lines::Choice::off;
    t.lineWidenMs = t.strayWideAsAscii = t.raiseLowDots = t.zeroBarOffCentre = t.asciiRunsAgain = false;
    change(t);
    return t;
}

const NamedTuning kTunings[] = {
    {"default", ocr::OcrTuning{}},
    // The engine before the repairs: as the program read until then.
    {"before", Old([](ocr::OcrTuning& t) {
         t.repairGlyphs = false;
         t.invertedLines = true;
     })},
    {"scale1", Tuned([](ocr::OcrTuning& t) { t.scale = 1; })},
    {"scale3", Tuned([](ocr::OcrTuning& t) { t.scale = 3; })},
    {"nosharpen", Tuned([](ocr::OcrTuning& t) { t.sharpen = false; })},
    {"norepair", Tuned([](ocr::OcrTuning& t) { t.repairGlyphs = false; })},
    {"nodict", Tuned([](ocr::OcrTuning& t) { t.dictionaries = false; })},
    {"invert", Tuned([](ocr::OcrTuning& t) { t.invertedLines = true; })},
    {"jpn", Old([](ocr::OcrTuning& t) { t.languages = "jpn"; })},
    // The default until each line was read by the model of its script, and
    // the steps from it to the default now, each with the ones before.
    {"olddefault", Old([](ocr::OcrTuning&) {})},
    {"zeros", Old([](ocr::OcrTuning& t) { t.zeroBarOffCentre = true; })},
    {"lines", Old([](ocr::OcrTuning& t) {
         t.zeroBarOffCentre = true;
         t.languages = "jpn";
         t.lineChoice = ocr_lines::Choice::always;
     })},
    {"linesconf", Old([](ocr::OcrTuning& t) {
         t.zeroBarOffCentre = true;
         t.languages = "jpn";
         t.lineChoice = ocr_lines::Choice::confidence;
     })},
    {"linesrej", Old([](ocr::OcrTuning& t) {
         t.zeroBarOffCentre = true;
         t.languages = "jpn";
         t.lineChoice = ocr_lines::Choice::fewestRejected;
     })},
    {"lineswiden", Old([](ocr::OcrTuning& t) {
         t.zeroBarOffCentre = true;
         t.languages = "jpn";
         t.lineChoice = ocr_lines::Choice::confidence;
         t.lineWidenMs = true;
     })},
    {"linesstray", Tuned([](ocr::OcrTuning& t) {
         t.asciiRunsAgain = false;
         t.raiseLowDots = false;
     })},
    {"linesdots", Tuned([](ocr::OcrTuning& t) { t.asciiRunsAgain = false; })},
    {"ties", Tuned([](ocr::OcrTuning& t) { t.rereadWinsTies = true; })},
    {"nofigures", Tuned([](ocr::OcrTuning& t) { t.figureRunsAgain = false; })},
    {"allfigures", Tuned([](ocr::OcrTuning& t) { t.figureSureAt = 101.0f; })},
    {"figures90", Tuned([](ocr::OcrTuning& t) { t.figureSureAt = 90.0f; })},
    {"engjpn", Tuned([](ocr::OcrTuning& t) { t.languages = "eng+jpn"; })},
    {"psm3", Tuned([](ocr::OcrTuning& t) { t.pageSegMode = 3; })},
    {"psm6", Tuned([](ocr::OcrTuning& t) { t.pageSegMode = 6; })},
    {"noreread", Tuned([](ocr::OcrTuning& t) { t.rereadItems = false; })},
    {"rereadties", Tuned([](ocr::OcrTuning& t) { t.rereadWinsTies = true; })},
    {"rereadrepeat", Tuned([](ocr::OcrTuning& t) { t.rereadSmooth = false; })},
    {"rereadrepeat4", Tuned([](ocr::OcrTuning& t) {
         t.rereadSmooth = false;
         t.rereadScale = 4;
     })},
    {"reread6", Tuned([](ocr::OcrTuning& t) { t.rereadScale = 6; })},
    {"reread3", Tuned([](ocr::OcrTuning& t) { t.rereadScale = 3; })},
    {"reread4", Tuned([](ocr::OcrTuning& t) { t.rereadScale = 4; })},
    {"rereadboth", Tuned([](ocr::OcrTuning& t) { t.rereadLanguages = "jpn+eng"; })},
    {"nocolon", Tuned([](ocr::OcrTuning& t) {
         t.rereadCharacters = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ@.-_+()";
     })},
    {"nodigits", Tuned([](ocr::OcrTuning& t) { t.numbersAsDigits = false; })},
    {"nowiden", Tuned([](ocr::OcrTuning& t) { t.widenBitmapMs = false; })},
    {"rereadall", Tuned([](ocr::OcrTuning& t) { t.rereadCharacters.clear(); })},
    {"jpn-scale1", Tuned([](ocr::OcrTuning& t) {
         t.languages = "jpn";
         t.scale = 1;
     })},
};

std::string ReadingText(const OcrResult& result) {
    std::string text;
    for (const OcrLine* line : ocr_quality::readingOrder(result))
        text += "  | " + line->text + "\n";
    return text;
}

struct SetFigures {
    ocr_quality::Score score;
    int planted = 0, found = 0, covered = 0, plantedInTruth = 0;
    long long cpuMs = 0;
};

void ReadSet(ocr::OcrEngine& engine, int first, int last, bool detail, SetFigures& figures) {
    using personal_data::kindName;
    for (int i = first; i <= last; ++i) {
        auto page = ocr_pages::DrawPage(i);
        const long long before = ocr_pages::ThreadCpuMs();
        const ocr::OcrOutcome outcome = engine.recognise(page->pixels());
        figures.cpuMs += ocr_pages::ThreadCpuMs() - before;
        const ocr_quality::Score s = ocr_quality::score(page->truth, outcome.result);
        figures.score += s;
        std::string missed;
        for (const ocr_pages::Planted& p : page->planted) {
            ++figures.planted;
            const bool findable = ocr_quality::found(page->truth, p.kind, p.value);
            figures.plantedInTruth += findable;
            if (!findable)
                std::printf("page %d: %s %s is not found in the page's own text\n", i, kindName(p.kind), p.value.c_str());
            const bool covered = ocr_quality::covered(page->truth, outcome.result, p.kind, p.value);
            figures.covered += covered;
            if (ocr_quality::found(outcome.result, p.kind, p.value))
                ++figures.found;
            else
                missed += std::string(" [") + kindName(p.kind) + " " + p.value + (covered ? ", masked" : "") + "]";
        }
        std::printf("page %2d %-34s (%s) ja %5.1f %% en %5.1f %% missed:%s\n", i, page->name.c_str(),
                    page->face.c_str(), 100 * s.accuracy(ocr_quality::Script::japanese),
                    100 * s.accuracy(ocr_quality::Script::english), missed.empty() ? " none" : missed.c_str());
        if (detail && (s.errors[0] + s.errors[1] > 0 || !missed.empty()))
            std::printf(" truth:\n%s read:\n%s", ReadingText(page->truth).c_str(), ReadingText(outcome.result).c_str());
    }
}

// The engine test's screen: 80 lines of 12-pixel text, two to a row.
void DenseScreen(ocr_pages::Page& screen) {
    win::Font font(CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, "IPAPGothic"));
    win::SelectGuard select(screen.dc(), font.get());
    SetBkMode(screen.dc(), TRANSPARENT);
    const char line[] = "ファイル(F) 編集(E) 表示(V) 合計金額 12,345円 Total amount 12345 OK キャンセル";
    for (int row = 0; row < 40; ++row)
        TextOutA(screen.dc(), 10 + (row % 2) * 960, 10 + row * 26, line, static_cast<int>(std::strlen(line)));
}

// Six pages of the set (none wider than 640 pixels) side by side, three to
// a row, and the rest of the screen empty as below a program's window; the
// truth comes with them.
void TiledScreen(ocr_pages::Page& screen) {
    for (int i = 0; i < 6; ++i) {
        auto page = ocr_pages::DrawPage(i);
        const int x = (i % 3) * 640, y = (i / 3) * 400;
        BitBlt(screen.dc(), x, y, page->width(), page->height(), page->dc(), 0, 0, SRCCOPY);
        for (OcrLine line : page->truth.lines) {
            line.left += x, line.right += x, line.top += y, line.bottom += y;
            screen.truth.lines.push_back(line);
        }
    }
}

void ReadScreens(const NamedTuning& tuning) {
    ocr::OcrEngine engine(ocr::TessdataBesideProgram(), tuning.tuning);
    engine.open();
    for (int kind = 0; kind < 2; ++kind) {
        ocr_pages::Page screen(1920, 1080);
        if (kind == 0)
            DenseScreen(screen);
        else
            TiledScreen(screen);
        const long long before = ocr_pages::ThreadCpuMs();
        const DWORD wall = GetTickCount();
        const ocr::OcrOutcome outcome = engine.recognise(screen.pixels());
        const long long cpu = ocr_pages::ThreadCpuMs() - before;
        std::printf("screen %-6s %-10s %6lld ms processor, %6lu ms wall, %3zu lines", kind == 0 ? "dense" : "tiled",
                    tuning.name, cpu, static_cast<unsigned long>(GetTickCount() - wall), outcome.result.lines.size());
        if (kind == 1) {
            const ocr_quality::Score s = ocr_quality::score(screen.truth, outcome.result);
            std::printf(", accuracy %.1f %%", 100 * s.accuracy());
        }
        std::printf("\n");
    }
}

}  // namespace

int main(int argc, char** argv) {
    int first = 0, last = ocr_pages::kPageCount - 1;
    bool detail = false, screens = false, set = true;
    std::string save;
    std::vector<const NamedTuning*> tunings;
    for (int a = 1; a < argc; ++a) {
        const std::string arg = argv[a];
        if (arg == "--pages" && a + 1 < argc)
            std::sscanf(argv[++a], "%d-%d", &first, &last);
        else if (arg == "--save" && a + 1 < argc)
            save = argv[++a];
        else if (arg == "--detail")
            detail = true;
        else if (arg == "--screens")
            screens = true;
        else if (arg == "--no-set")
            set = false;
        else {
            for (const NamedTuning& t : kTunings)
                if (arg == t.name)
                    tunings.push_back(&t);
            if (tunings.empty() || std::strcmp(tunings.back()->name, arg.c_str()) != 0) {
                std::fprintf(stderr, "ocr_quality: unknown argument %s\n", arg.c_str());
                return 2;
            }
        }
    }
    if (tunings.empty())
        tunings.push_back(&kTunings[0]);
    if (!save.empty())
        for (int i = first; i <= last; ++i)
            ocr_pages::DrawPage(i)->saveBmp(save + "\\page" + std::to_string(i) + ".bmp");
    for (const NamedTuning* t : set ? tunings : std::vector<const NamedTuning*>{}) {
        std::printf("== %s, pages %d to %d\n", t->name, first, last);
        ocr::OcrEngine engine(ocr::TessdataBesideProgram(), t->tuning);
        SetFigures f;
        ReadSet(engine, first, last, detail, f);
        std::printf("%s: characters ja %zu en %zu, accuracy ja %.2f %% en %.2f %% all %.2f %%, "
                    "personal data found %d of %d (%d found in the truth itself), masked %d of %d, "
                    "processor %lld ms\n",
                    t->name, f.score.characters[0], f.score.characters[1],
                    100 * f.score.accuracy(ocr_quality::Script::japanese),
                    100 * f.score.accuracy(ocr_quality::Script::english), 100 * f.score.accuracy(), f.found, f.planted,
                    f.plantedInTruth, f.covered, f.planted, f.cpuMs);
    }
    if (screens)
        for (const NamedTuning* t : tunings)
            ReadScreens(*t);
    return 0;
}

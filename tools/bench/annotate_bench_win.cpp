// The annotation editor's repaint while an object is dragged, against a
// plain BitBlt of the same picture to the same window in the same run:
//   annotate_bench FOLDER
// writes a 1920 x 1080 busy picture with a sidecar of 50 objects into
// FOLDER, opens the editor on it, drags a highlight across the picture in
// 60 steps (each: the pointer moves, the window paints) and prints the
// median time per step, the median of a whole-window repaint during the
// drag, and the median BitBlt of the whole picture from a DIB section.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/bench/bench_support_win.h"
#include "picture/annotation.h"
#include "view/annotation_editor_win.h"
#include "picture/annotation_file.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080, kObjects = 50, kSteps = 60;

bool WritePicture(const std::string& path) {
    std::vector<uint8_t> pixels = bench::ScenePixels(kWidth, kHeight, 0);
    const uint32_t stride = (kWidth * 3 + 3) & ~3u;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = kWidth;
    info.biHeight = kHeight;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = stride * kHeight;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + info.biSizeImage;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    bytes.append(reinterpret_cast<const char*>(pixels.data()), pixels.size());
    return bench::WriteBytes(path, bytes);
}

std::vector<annotation::Object> FiftyObjects() {
    std::vector<annotation::Object> objects;
    for (int i = 0; i < kObjects; ++i) {
        annotation::Object o;
        const int32_t x = 40 + (i % 10) * 180, y = 40 + (i / 10) * 200;
        switch (i % 5) {
            case 0:
                o.kind = annotation::Kind::rectangle;
                break;
            case 1:
                o.kind = annotation::Kind::arrow;
                break;
            case 2:
                o.kind = annotation::Kind::highlight;
                o.colour = annotation::kYellow;
                o.width = 0;
                break;
            case 3:
                o.kind = annotation::Kind::mark;
                o.width = 14;
                break;
            default:
                o.kind = annotation::Kind::mask;
                o.colour = annotation::kBlack;
                o.width = 0;
                break;
        }
        o.a = {x, y};
        o.b = o.kind == annotation::Kind::mark ? annotation::Point{0, 0}
                                               : annotation::Point{x + 140, y + 120};
        objects.push_back(o);
    }
    return objects;
}

void Drag(HWND canvas, UINT message, int x, int y) {
    SendMessageA(canvas, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(x, y));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    const std::string picture = std::string(argv[1]) + "\\bench.bmp";
    if (!WritePicture(picture) || !bench::WriteBytes(annotation::sidecarPath(picture),
                                                     annotation::writeSidecar(FiftyObjects())))
        return 1;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 instance, nullptr);
    if (!OpenAnnotationEditor(instance, owner, picture.c_str()))
        return 1;
    HWND editor = AnnotationEditorWindow();
    MoveWindow(editor, 0, 0, 1920, 1080, TRUE);
    HWND canvas = FindWindowExA(editor, nullptr, "ZELCAP_ANNOTATE_CANVAS", nullptr);
    if (!canvas)
        return 1;
    bench::PaintNow(editor);
    // The select tool's key, then the third object (a highlight) moved
    // across the picture by its middle.
    MSG key{canvas, WM_KEYDOWN, 'V', 0, 0, {}};
    TranslateAnnotationMessage(key);
    Drag(canvas, WM_LBUTTONDOWN, 470, 100);
    std::vector<double> steps, whole;
    for (int i = 1; i <= kSteps; ++i) {
        const double start = bench::NowMs();
        Drag(canvas, WM_MOUSEMOVE, 470 + i * 12, 100 + i * 6);
        bench::PaintNow(canvas);
        steps.push_back(bench::NowMs() - start);
        if (i % 4 == 0) {
            const double from = bench::NowMs();
            InvalidateRect(canvas, nullptr, FALSE);
            bench::PaintNow(canvas);
            whole.push_back(bench::NowMs() - from);
        }
    }
    Drag(canvas, WM_LBUTTONUP, 470 + kSteps * 12, 100 + kSteps * 6);
    // The floor: the same picture held as the editor holds it, a 24-bit DIB
    // section, put on the same window with one BitBlt.
    std::vector<double> blits;
    {
        HDC screen = GetDC(canvas);
        HDC memory = CreateCompatibleDC(screen);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = kWidth;
        info.bmiHeader.biHeight = kHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        const std::vector<uint8_t> pixels = bench::ScenePixels(kWidth, kHeight, 0);
        if (bits)
            std::memcpy(bits, pixels.data(), pixels.size());
        HGDIOBJ old = SelectObject(memory, bitmap);
        for (int i = 0; i < kSteps; ++i) {
            const double start = bench::NowMs();
            BitBlt(screen, 0, 0, kWidth, kHeight, memory, 0, 0, SRCCOPY);
            GdiFlush();
            blits.push_back(bench::NowMs() - start);
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(canvas, screen);
    }
    const double step = bench::Median(steps), full = bench::Median(whole),
                 blit = bench::Median(blits);
    bench::Report("drag step", step);
    bench::Report("whole repaint during the drag", full);
    bench::Report("plain BitBlt of the picture", blit);
    std::printf("ratio step/BitBlt: %.2f, whole/BitBlt: %.2f\n", step / blit, full / blit);
    // Unsaved: the drag changed the document. Leave without the question.
    DestroyWindow(owner);
    return 0;
}

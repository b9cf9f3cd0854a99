#include "view/annotation_editor_win.h"

#include <commdlg.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/app_messages_win.h"
#include "base/cp932.h"
#include "base/file_io_win.h"
#include "base/file_names_win.h"
#include "base/message_box_win.h"
#include "base/win_handles_win.h"
#include "picture/png_encoder.h"
#include "picture/annotation.h"
#include "picture/annotation_file.h"
#include "view/annotation_editing.h"
#include "view/annotation_glyphs_win.h"
#include "view/annotation_raster.h"
#include "view/annotation_text_dialog_win.h"
#include "view/image_names.h"
#include "view/packed_dib.h"
#include "view/picture_window_win.h"

using annotation::Kind;
using annotation::Object;
using annotation::Point;
using annotation::Rect;

namespace {

using annotation_editing::Command;
using annotation_editing::kToolCount;
using annotation_editing::kTools;
using annotation_editing::Session;
using annotation_editing::Tool;
using picture_window::FileNamePart;
using picture_window::LoadPictureFile;
using TextRequest = AnnotationTextRequest;

const char kEditorClass[] = "ZELCAP_ANNOTATE";
const char kCanvasClass[] = "ZELCAP_ANNOTATE_CANVAS";
const char kCaption[] = "注釈";

constexpr int kFirstToolId = 100;
constexpr int kColourId = 120, kWidthId = 121, kSaveId = 122, kCanvasId = 130;
constexpr int kWidths[] = {1, 2, 3, 4, 5, 6, 8, 10, 12, 16};
constexpr int32_t kTextPad = annotation_glyphs::kTextPad;
constexpr int kGrip = 7;  // screen pixels

COLORREF ToColorRef(uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}
uint32_t FromColorRef(COLORREF c) {
    return (static_cast<uint32_t>(GetRValue(c)) << 16) |
           (static_cast<uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// ---- the editor ----

class Editor {
  public:
    HINSTANCE instance = nullptr;
    HWND owner = nullptr;
    HWND window = nullptr, canvas = nullptr;
    HWND toolButtons[kToolCount] = {};
    HWND colourButton = nullptr, widthBox = nullptr, saveButton = nullptr;
    win::Font uiFont;
    int stripHeight = 0;

    std::string picturePath;
    PackedDib original;
    bool damagedSidecar = false;  // kept as .zan.bak at the first save

    // The picture with its objects, as shown at 100 %.
    win::MemoryDc memory;
    win::Bitmap section;
    HGDIOBJ oldBitmap = nullptr;
    uint8_t* bits = nullptr;
    uint32_t stride = 0;
    std::vector<uint8_t> base;  // the picture without the object dragged

    Session session;
    TextRequest lastText;
    std::unique_ptr<AnnotationPanel> panel;

    ~Editor() {
        if (memory && oldBitmap)
            SelectObject(memory.get(), oldBitmap);
    }

    int32_t width() const { return original.width(); }
    int32_t height() const { return original.height(); }
    annotation::Canvas paintCanvas() { return {bits, width(), height(), stride}; }
    const annotation_editing::View& view() const { return session.view; }
    annotation::Document& document() { return session.document; }

    bool makeSurface();
    void renderAll(int skip);
    void paintObject(const Object& object, const Rect& clip, int number);
    void drawText(const Object& object);
    void drawNumber(const Object& object, int number);
    void restoreBase(const Rect& area);
    void showPreview(const Object& next);

    Point toPicture(int x, int y) const { return view().toPicture(x, y); }
    RECT clientRectOf(const Rect& r) const {
        RECT c{view().toClientX(r.left), view().toClientY(r.top), view().toClientX(r.right) + 1,
               view().toClientY(r.bottom) + 1};
        InflateRect(&c, kGrip, kGrip);
        return c;
    }
    POINT canvasMiddle() const {
        RECT client;
        GetClientRect(canvas, &client);
        return {client.right / 2, client.bottom / 2};
    }

    void invalidate(const Rect& r) {
        const RECT c = clientRectOf(r);
        InvalidateRect(canvas, &c, FALSE);
    }
    void invalidateAll() { InvalidateRect(canvas, nullptr, FALSE); }
    void refresh() {
        renderAll(-1);
        invalidateAll();
        if (panel)
            panel->objectsChanged();
    }

    void setTool(Tool next);
    void setZoom(int percent, POINT keep);
    void updateScrollBars();
    void scrollTo(int x, int y);
    void layout();

    void beginDrag(Point p);
    void moveDrag(Point p);
    void endDrag(Point p);
    bool cancelDrag();
    void run(const annotation_editing::KeyAction& action);
    bool askText(TextRequest& request);
    bool addText(Point at, const TextRequest& request, int replaceIndex);
    Object measuredText(Point at, const TextRequest& request);
    void keyCreate();
    void chooseColour();
    void chooseWidth();
    void editSelectedText();

    bool save();
    bool confirmClose();
    void paint(HDC dc, const RECT& area);
    void paintPicture(HDC dc, const RECT& area);
    void paintFrames(HDC dc);
};

std::unique_ptr<Editor> editor;

bool Editor::makeSurface() {
    win::WindowDc screen(nullptr);
    memory.reset(CreateCompatibleDC(screen.get()));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width();
    info.bmiHeader.biHeight = height();
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    section.reset(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (!memory || !section || !pixels)
        return false;
    oldBitmap = SelectObject(memory.get(), section.get());
    bits = static_cast<uint8_t*>(pixels);
    stride = original.stride();
    return true;
}

void Editor::drawText(const Object& object) {
    annotation_glyphs::DrawTextGlyphs(memory.get(), object);
}

void Editor::drawNumber(const Object& object, int number) {
    annotation_glyphs::DrawNumberGlyphs(memory.get(), object, number);
}

void Editor::paintObject(const Object& object, const Rect& clip, int number) {
    GdiFlush();
    annotation::Canvas c = paintCanvas();
    annotation::paintShape(object, c, clip);
    if (object.kind == Kind::text || object.kind == Kind::mark || object.kind == Kind::stamp) {
        const int saved = SaveDC(memory.get());
        IntersectClipRect(memory.get(), clip.left, clip.top, clip.right, clip.bottom);
        if (object.kind == Kind::text)
            drawText(object);
        else if (object.kind == Kind::stamp)
            annotation_glyphs::DrawStampGlyphs(memory.get(), object);
        else
            drawNumber(object, number);
        RestoreDC(memory.get(), saved);
        GdiFlush();
    }
}

void Editor::renderAll(int skip) {
    GdiFlush();
    std::memcpy(bits, original.bits(), static_cast<std::size_t>(stride) * height());
    const Rect all{0, 0, width(), height()};
    const auto& objects = document().objects();
    for (std::size_t i : annotation::paintOrder(objects)) {
        if (static_cast<int>(i) == skip)
            continue;
        paintObject(objects[i], all, objects[i].kind == Kind::mark ? document().markNumber(i) : 0);
    }
    GdiFlush();
}

void Editor::restoreBase(const Rect& area) {
    if (area.empty() || base.empty())
        return;
    // Rows are bottom-up: picture row y is memory row height - 1 - y.
    for (int32_t y = area.top; y < area.bottom; ++y) {
        const std::size_t offset = static_cast<std::size_t>(height() - 1 - y) * stride +
                                   static_cast<std::size_t>(area.left) * 3;
        std::memcpy(bits + offset, base.data() + offset,
                    static_cast<std::size_t>(area.right - area.left) * 3);
    }
}

// While the pointer drags, only the part the object leaves and the part it
// takes are painted again, from the picture without it.
void Editor::showPreview(const Object& next) {
    const Session::Repaint repaint = session.movePreview(next, width(), height());
    GdiFlush();
    restoreBase(repaint.dirty);
    if (repaint.paintPreview)
        paintObject(session.preview, repaint.dirty, session.previewNumber);
    invalidate(repaint.dirty);
}

void Editor::setTool(Tool next) {
    const Rect unselected = session.chooseTool(next);
    for (int i = 0; i < kToolCount; ++i)
        SendMessageA(toolButtons[i], BM_SETCHECK,
                     kTools[i].tool == next ? BST_CHECKED : BST_UNCHECKED, 0);
    if (!unselected.empty())
        invalidate(unselected);
}

void Editor::updateScrollBars() {
    RECT client;
    GetClientRect(canvas, &client);
    const SIZE shown{static_cast<LONG>(int64_t{width()} * view().zoom / 100),
                     static_cast<LONG>(int64_t{height()} * view().zoom / 100)};
    picture_window::SetScrollBars(canvas, shown, {client.right, client.bottom},
                                  session.view.scrollX, session.view.scrollY);
}

void Editor::scrollTo(int x, int y) {
    session.view.scrollX = x;
    session.view.scrollY = y;
    updateScrollBars();
    invalidateAll();
}

// The picture point under `keep` (client coordinates) stays where it is.
void Editor::setZoom(int percent, POINT keep) {
    if (session.view.zoomAbout(percent, keep.x, keep.y))
        scrollTo(view().scrollX, view().scrollY);
}

void Editor::layout() {
    RECT client;
    GetClientRect(window, &client);
    const int side = panel ? std::min<int>(panel->width(), client.right / 2) : 0;
    const int height = std::max(0L, client.bottom - stripHeight);
    MoveWindow(canvas, 0, stripHeight, client.right - side, height, TRUE);
    if (panel)
        panel->place(client.right - side, stripHeight, side, height);
    updateScrollBars();
}

Object Editor::measuredText(Point at, const TextRequest& request) {
    Object o;
    o.kind = Kind::text;
    o.colour = session.colours[static_cast<int>(Kind::text)];
    o.width = 0;
    o.fontHeight = request.fontHeight;
    o.face = request.face;
    o.balloon = request.balloon;
    o.text = request.text;
    LOGFONTA font{};
    font.lfHeight = o.fontHeight;
    font.lfCharSet = SHIFTJIS_CHARSET;
    cp932::copyText(font.lfFaceName, o.face.c_str());
    win::Font made(CreateFontIndirectA(&font));
    win::SelectGuard selectFont(memory.get(), made.get());
    RECT r{0, 0, 0, 0};
    DrawTextA(memory.get(), o.text.c_str(), static_cast<int>(o.text.size()), &r,
              DT_CALCRECT | DT_NOPREFIX | DT_LEFT | DT_TOP);
    o.a = at;
    o.b = {at.x + r.right + 2 * kTextPad - 1,
           at.y + std::max<LONG>(r.bottom, o.fontHeight) + 2 * kTextPad - 1};
    return o;
}

bool Editor::askText(TextRequest& request) {
    return AskAnnotationText(instance, window, request);
}

bool Editor::addText(Point at, const TextRequest& request, int replaceIndex) {
    if (!session.putText(measuredText(at, request), replaceIndex))
        return false;
    lastText = request;
    refresh();
    return true;
}

void Editor::editSelectedText() {
    const int index = session.selectedText();
    if (index < 0)
        return;
    const Object& o = document().objects()[static_cast<std::size_t>(index)];
    TextRequest request{o.text, o.face, o.fontHeight, o.balloon};
    if (askText(request))
        addText(o.a, request, index);
}

void Editor::beginDrag(Point p) {
    const Session::Press press = session.press(p);
    if (!press.unselected.empty())
        invalidate(press.unselected);
    if (!press.started)
        return;
    if (press.skip >= 0)
        renderAll(press.skip);
    base.assign(bits, bits + static_cast<std::size_t>(stride) * height());
    showPreview(press.shown);
    SetCapture(canvas);
}

void Editor::moveDrag(Point p) {
    if (session.drag != Session::Drag::none)
        showPreview(session.draggedTo(p));
}

void Editor::endDrag(Point p) {
    if (session.tool == Tool::text && session.drag == Session::Drag::none) {
        TextRequest request = lastText;
        request.text.clear();
        if (askText(request))
            addText(p, request, -1);
        return;
    }
    if (session.drag == Session::Drag::none)
        return;
    moveDrag(p);
    // The drag is over before the capture goes, which would cancel it.
    session.finishDrag();
    base.clear();
    ReleaseCapture();
    refresh();
}

bool Editor::cancelDrag() {
    if (!session.cancelDrag())
        return false;
    base.clear();
    ReleaseCapture();
    refresh();
    return true;
}

// Without a pointer: a drawing tool's key Enter puts an object of a usual
// size in the middle of what the canvas shows of the picture, which the
// arrows then move and, with Shift, size.
void Editor::keyCreate() {
    if (session.tool == Tool::select) {
        editSelectedText();
        return;
    }
    RECT client;
    GetClientRect(canvas, &client);
    const Point c =
        annotation_editing::visibleCentre(view(), client.right, client.bottom, width(), height());
    if (session.tool == Tool::text) {
        TextRequest request = lastText;
        request.text.clear();
        if (askText(request))
            addText(c, request, -1);
        return;
    }
    if (session.placeKeyObject(c))
        setTool(Tool::select);
    refresh();
}

void Editor::run(const annotation_editing::KeyAction& action) {
    switch (action.command) {
        case Command::save:
            save();
            break;
        case Command::undo:
            if (session.undo())
                refresh();
            break;
        case Command::redo:
            if (session.redo())
                refresh();
            break;
        case Command::zoomReset:
            setZoom(100, canvasMiddle());
            break;
        case Command::zoomIn:
        case Command::zoomOut:
            setZoom(annotation_editing::zoomStep(view().zoom,
                                                 action.command == Command::zoomIn ? 1 : -1),
                    canvasMiddle());
            break;
        case Command::cancel:
            if (!cancelDrag() && session.selected >= 0) {
                session.selected = -1;
                invalidateAll();
            }
            break;
        case Command::deleteSelected:
            if (session.deleteSelected())
                refresh();
            break;
        case Command::chooseTool:
            setTool(action.tool);
            break;
        case Command::nudge:
            if (session.nudge(action.dx, action.dy, action.resize))
                refresh();
            break;
        case Command::create:
            keyCreate();
            break;
        case Command::previousObject:
        case Command::nextObject:
            if (session.cycleSelection(action.command == Command::nextObject)) {
                setTool(Tool::select);
                invalidateAll();
            }
            break;
        case Command::none:
            break;
    }
}

void Editor::chooseColour() {
    static COLORREF custom[16];
    const Kind kind = session.colourKind();
    if (kind == Kind::crop)
        return;
    CHOOSECOLORA choose{};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = window;
    choose.rgbResult = ToColorRef(session.colours[static_cast<int>(kind)]);
    choose.lpCustColors = custom;
    choose.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (ChooseColorA(&choose) && session.setColour(kind, FromColorRef(choose.rgbResult)))
        refresh();
}

void Editor::chooseWidth() {
    const LRESULT index = SendMessageA(widthBox, CB_GETCURSEL, 0, 0);
    if (index < 0 || index >= static_cast<LRESULT>(sizeof kWidths / sizeof kWidths[0]))
        return;
    if (session.setLineWidth(kWidths[index]))
        refresh();
}

// The flattened picture first, then the objects: whichever write fails, the
// files left on disk never show less masking than the user last saw saved.
bool Editor::save() {
    cancelDrag();
    const std::string sidecar = annotation::sidecarPath(picturePath);
    const std::string flattened = annotation::flattenedPath(picturePath);
    const auto fail = [&](const char* what, const std::string& path) {
        std::string text = what;
        text += "\r\n";
        text += path;
        ShowMessage(window, text.c_str(), kCaption, MB_ICONERROR | MB_OK);
        return false;
    };
    if (damagedSidecar && FileExists(sidecar)) {
        const std::string backup = annotation::sidecarBackupPath(picturePath);
        if (!MoveFileExA(sidecar.c_str(), backup.c_str(), MOVEFILE_REPLACE_EXISTING))
            return fail("読めなかった注釈ファイルを残せないため、保存できませんでした。", backup);
        damagedSidecar = false;
    }
    DWORD error = 0;
    if (session.document.size() == 0) {
        // No object left: the record is back to its picture alone.
        if ((FileExists(flattened) && !DeleteFileA(flattened.c_str())) ||
            (FileExists(sidecar) && !DeleteFileA(sidecar.c_str())))
            return fail("注釈ファイルを削除できませんでした。", sidecar);
    } else {
        renderAll(-1);
        const Rect kept = annotation::keptArea(session.document.objects(), width(), height());
        std::vector<uint8_t> area;
        uint32_t areaStride = 0;
        annotation::copyArea(paintCanvas(), kept, area, &areaStride);
        std::vector<uint8_t> png;
        if (!encodePngBytes(kept.right - kept.left, kept.bottom - kept.top, area.data(), areaStride,
                            png))
            return fail("注釈付きの画像を作れませんでした。", flattened);
        if (win::ReplaceContents(flattened.c_str(), "zan", std::string(png.begin(), png.end()),
                                 &error) != win::ReplaceStep::done)
            return fail("注釈付きの画像を保存できませんでした。", flattened);
        if (win::ReplaceContents(sidecar.c_str(), "zan",
                                 annotation::writeSidecar(session.document.objects()),
                                 &error) != win::ReplaceStep::done)
            return fail("注釈ファイルを保存できませんでした。", sidecar);
    }
    session.document.markSaved();
    SendMessageA(owner, UWM_ANNOTATED, 0, reinterpret_cast<LPARAM>(picturePath.c_str()));
    PostMessageA(owner, UWM_SHOW_IMAGE, 0, 0);
    return true;
}

bool Editor::confirmClose() {
    cancelDrag();
    if (!session.document.modified())
        return true;
    switch (ShowMessage(window, "注釈は変更されています。保存しますか？", kCaption,
                        MB_ICONQUESTION | MB_YESNOCANCEL)) {
        case IDYES:
            return save();
        case IDNO:
            return true;
        default:
            return false;
    }
}

void Editor::paintPicture(HDC dc, const RECT& area) {
    const annotation_editing::View& v = view();
    const int shownRight = v.toClientX(width()), shownBottom = v.toClientY(height());
    // The picture part of the area.
    RECT picture{std::max<LONG>(area.left, -v.scrollX), std::max<LONG>(area.top, -v.scrollY),
                 std::min<LONG>(area.right, shownRight), std::min<LONG>(area.bottom, shownBottom)};
    if (picture.right > picture.left && picture.bottom > picture.top) {
        if (v.zoom == 100) {
            BitBlt(dc, picture.left, picture.top, picture.right - picture.left,
                   picture.bottom - picture.top, memory.get(), picture.left + v.scrollX,
                   picture.top + v.scrollY, SRCCOPY);
        } else {
            const Point first = toPicture(picture.left, picture.top);
            Point last = toPicture(picture.right - 1, picture.bottom - 1);
            last.x = std::min(last.x, width() - 1);
            last.y = std::min(last.y, height() - 1);
            const int left = v.toClientX(first.x), top = v.toClientY(first.y);
            SetStretchBltMode(dc, COLORONCOLOR);
            StretchBlt(dc, left, top, v.toClientX(last.x + 1) - left, v.toClientY(last.y + 1) - top,
                       memory.get(), first.x, first.y, last.x - first.x + 1, last.y - first.y + 1,
                       SRCCOPY);
        }
    }
    // Around the picture.
    const int saved = SaveDC(dc);
    ExcludeClipRect(dc, -v.scrollX, -v.scrollY, shownRight, shownBottom);
    FillRect(dc, &area, GetSysColorBrush(COLOR_APPWORKSPACE));
    RestoreDC(dc, saved);
}

// The crop's frame and the selection's grips are the editor's, not the
// picture's.
void Editor::paintFrames(HDC dc) {
    const annotation_editing::View& v = view();
    const Session::Drag drag = session.drag;
    const int selected = session.selected;
    const auto frame = [&](const Rect& box) {
        win::GdiObject pen(CreatePen(PS_DOT, 1, RGB(0, 0, 0)));
        win::SelectGuard selectPen(dc, pen.get());
        win::SelectGuard selectBrush(dc, GetStockObject(NULL_BRUSH));
        SetBkColor(dc, RGB(255, 255, 255));
        SetBkMode(dc, OPAQUE);
        Rectangle(dc, v.toClientX(box.left), v.toClientY(box.top), v.toClientX(box.right) + 1,
                  v.toClientY(box.bottom) + 1);
    };
    const auto& objects = document().objects();
    for (std::size_t i = 0; i < objects.size(); ++i)
        if (objects[i].kind == Kind::crop &&
            !(drag == Session::Drag::edit && static_cast<int>(i) == selected))
            frame(annotation::bounds(objects[i]));
    if (drag != Session::Drag::none && session.preview.kind == Kind::crop)
        frame(annotation::bounds(session.preview));
    const Object* chosen = drag == Session::Drag::edit ? &session.preview
                           : selected >= 0 && drag == Session::Drag::none
                               ? &objects[static_cast<std::size_t>(selected)]
                               : nullptr;
    if (!chosen)
        return;
    win::SelectGuard selectPen(dc, GetStockObject(BLACK_PEN));
    win::SelectGuard selectBrush(dc, GetStockObject(WHITE_BRUSH));
    const auto grips = annotation::grips(*chosen);
    if (grips.empty()) {
        const Rect b = annotation::bounds(*chosen);
        win::GdiObject pen(CreatePen(PS_DOT, 1, RGB(0, 0, 0)));
        win::SelectGuard dotted(dc, pen.get());
        win::SelectGuard hollow(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, v.toClientX(b.left) - 2, v.toClientY(b.top) - 2, v.toClientX(b.right) + 2,
                  v.toClientY(b.bottom) + 2);
    }
    for (const auto& grip : grips) {
        const int x = v.toClientX(grip.second.x), y = v.toClientY(grip.second.y);
        Rectangle(dc, x - kGrip / 2, y - kGrip / 2, x + kGrip / 2 + 1, y + kGrip / 2 + 1);
    }
}

void Editor::paint(HDC dc, const RECT& area) {
    paintPicture(dc, area);
    paintFrames(dc);
}

// ---- window procedures ----

LRESULT CALLBACK CanvasProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Editor* e = editor.get();
    if (!e || e->canvas != window)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
        case WM_PAINT:
            picture_window::PaintBuffered(
                window, [e](HDC dc, const RECT&, const RECT& update) { e->paint(dc, update); });
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SIZE:
            e->updateScrollBars();
            return 0;
        case WM_LBUTTONDOWN:
            SetFocus(window);
            e->beginDrag(e->toPicture(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
            return 0;
        case WM_MOUSEMOVE:
            if (e->session.drag != Session::Drag::none)
                e->moveDrag(e->toPicture(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
            return 0;
        case WM_LBUTTONUP:
            e->endDrag(e->toPicture(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
            return 0;
        case WM_LBUTTONDBLCLK:
            if (e->session.tool == Tool::select)
                e->editSelectedText();
            return 0;
        case WM_CAPTURECHANGED:
            if (e->session.drag != Session::Drag::none && reinterpret_cast<HWND>(lParam) != window)
                e->cancelDrag();
            return 0;
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT) {
                SetCursor(
                    LoadCursorA(nullptr, e->session.tool == Tool::select ? IDC_ARROW : IDC_CROSS));
                return TRUE;
            }
            break;
        case WM_MOUSEWHEEL:
            if (GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL) {
                POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
                ScreenToClient(window, &at);
                const int direction = GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? 1 : -1;
                e->setZoom(annotation_editing::zoomStep(e->view().zoom, direction), at);
            } else {
                const POINT to =
                    picture_window::WheelTarget(wParam, e->view().scrollX, e->view().scrollY);
                e->scrollTo(to.x, to.y);
            }
            return 0;
        case WM_HSCROLL:
        case WM_VSCROLL: {
            const int bar = message == WM_HSCROLL ? SB_HORZ : SB_VERT;
            const int pos = picture_window::ScrollTarget(window, bar, wParam);
            if (bar == SB_HORZ)
                e->scrollTo(pos, e->view().scrollY);
            else
                e->scrollTo(e->view().scrollX, pos);
            return 0;
        }
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTCHARS;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK EditorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Editor* e = editor.get();
    if (!e || e->window != window)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
        case WM_SIZE:
            e->layout();
            return 0;
        case WM_NOTIFY:
            if (e->panel && e->panel->message(message, wParam, lParam))
                return 0;
            break;
        case WM_COMMAND: {
            if (e->panel && e->panel->message(message, wParam, lParam))
                return 0;
            const int id = LOWORD(wParam);
            if (id >= kFirstToolId && id < kFirstToolId + kToolCount) {
                e->setTool(kTools[id - kFirstToolId].tool);
                return 0;
            }
            if (id == kColourId)
                e->chooseColour();
            else if (id == kWidthId && HIWORD(wParam) == CBN_SELCHANGE)
                e->chooseWidth();
            else if (id == kSaveId)
                e->save();
            return 0;
        }
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE)
                SetFocus(e->panel && e->panel->focus() ? e->panel->focus() : e->canvas);
            return 0;
        case WM_CLOSE:
            if (e->confirmClose())
                DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            editor.reset();
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The tool strip, each control as wide as its label needs in the font
// used (Japanese fonts differ in width between systems).
void MakeStrip(Editor& e) {
    e.uiFont.reset(picture_window::CreateMessageFont());
    win::WindowDc dc(e.window);
    win::SelectGuard selectFont(dc.get(), e.uiFont.get());
    TEXTMETRICA tm{};
    GetTextMetricsA(dc.get(), &tm);
    const int buttonHeight = tm.tmHeight + 10;
    e.stripHeight = buttonHeight + 6;
    int x = 4;
    const auto place = [&](const char* label, const char* cls, DWORD style, int id, int extra) {
        const int w = picture_window::LabelWidth(dc.get(), label) + 16 + extra;
        HWND control =
            CreateWindowExA(0, cls, label, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, x, 3, w,
                            buttonHeight + (extra ? 160 : 0), e.window,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), e.instance, nullptr);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(e.uiFont.get()), FALSE);
        x += w + 2;
        return control;
    };
    for (int i = 0; i < kToolCount; ++i)
        e.toolButtons[i] =
            place(kTools[i].label, "BUTTON",
                  BS_AUTORADIOBUTTON | BS_PUSHLIKE | (i == 0 ? WS_GROUP : 0), kFirstToolId + i, 0);
    x += 8;
    e.colourButton = place("色(&L)...", "BUTTON", BS_PUSHBUTTON | WS_GROUP, kColourId, 0);
    e.widthBox = place("16 px", "COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL, kWidthId, 24);
    for (int w : kWidths) {
        char text[16];
        std::snprintf(text, sizeof text, "%d px", w);
        SendMessageA(e.widthBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    SendMessageA(e.widthBox, CB_SETCURSEL, 2, 0);
    x += 8;
    e.saveButton = place("保存(&S)", "BUTTON", BS_PUSHBUTTON, kSaveId, 0);
}

bool IsEditorMessage(const MSG& message) {
    return editor && message.hwnd &&
           (message.hwnd == editor->window || IsChild(editor->window, message.hwnd));
}

}  // namespace

HWND AnnotationEditorWindow() {
    return editor ? editor->window : nullptr;
}

annotation_editing::Session* AnnotationEditorSession() {
    return editor ? &editor->session : nullptr;
}

void AnnotationEditorRefresh() {
    if (editor)
        editor->refresh();
}

void AnnotationEditorLayout() {
    if (editor)
        editor->layout();
}

// Scrolled so that the object's middle is the canvas's, unless it is in view.
void AnnotationEditorShowObject(int index) {
    if (!editor || index < 0 || static_cast<std::size_t>(index) >= editor->document().size())
        return;
    Editor& e = *editor;
    e.setTool(Tool::select);
    e.session.selected = index;
    const Rect box = annotation::bounds(e.document().objects()[static_cast<std::size_t>(index)]);
    RECT client, shown = e.clientRectOf(box);
    GetClientRect(e.canvas, &client);
    RECT inside;
    if (!IntersectRect(&inside, &client, &shown) || !EqualRect(&inside, &shown))
        e.scrollTo(e.view().scrollX + (shown.left + shown.right - client.right) / 2,
                   e.view().scrollY + (shown.top + shown.bottom - client.bottom) / 2);
    e.invalidateAll();
}

void SetAnnotationPanel(std::unique_ptr<AnnotationPanel> panel) {
    if (!editor)
        return;
    editor->panel = std::move(panel);
    editor->layout();
    editor->refresh();
    if (editor->panel && editor->panel->focus())
        SetFocus(editor->panel->focus());
}

bool AnnotationEditorModified() {
    return editor && editor->session.document.modified();
}

bool CloseAnnotationEditor() {
    if (!editor)
        return true;
    if (!editor->confirmClose())
        return false;
    DestroyWindow(editor->window);
    return true;
}

bool OpenAnnotationEditor(HINSTANCE instance, HWND owner, const char* picturePath) {
    if (editor) {
        if (win::SameFileName(editor->picturePath, picturePath)) {
            SetForegroundWindow(editor->window);
            return true;
        }
        if (!CloseAnnotationEditor())
            return false;
    }
    auto e = std::make_unique<Editor>();
    e->instance = instance;
    e->owner = owner;
    e->picturePath = picturePath;
    if (!LoadPictureFile(e->picturePath, e->original) || e->original.empty()) {
        std::string text = "画像ファイルを読み込めませんでした。\r\n";
        text += picturePath;
        ShowMessage(owner, text.c_str(), kCaption, MB_ICONERROR | MB_OK);
        return false;
    }
    std::string bytes;
    const std::string sidecar = annotation::sidecarPath(e->picturePath);
    if (FileExists(sidecar)) {
        annotation::SidecarRead read;
        if (win::ReadWholeFile(sidecar.c_str(), bytes, int64_t{64} << 20))
            read = annotation::parseSidecar(bytes);
        if (read.ok) {
            e->session.document.load(std::move(read.objects));
        } else {
            char where[64] = "注釈ファイルが読めません。";
            if (read.line)
                std::snprintf(where, sizeof where, "注釈ファイルの %u 行目が読めません。",
                              static_cast<unsigned>(read.line));
            std::string text = where;
            text +=
                "注釈なしで開きます。\r\n保存すると、元の注釈ファイルは .zan.bak "
                "として残ります。\r\n";
            text += sidecar;
            ShowMessage(owner, text.c_str(), kCaption, MB_ICONWARNING | MB_OK);
            e->damagedSidecar = true;
        }
    }
    if (!picture_window::RegisterClasses(instance, kEditorClass, EditorProc, kCanvasClass,
                                         CanvasProc, CS_DBLCLKS))
        return false;
    std::string title = "注釈 - ";
    title += FileNamePart(e->picturePath);
    Editor* raw = e.get();
    editor = std::move(e);
    raw->window =
        CreateWindowExA(0, kEditorClass, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, 900, 700, owner, nullptr, instance, nullptr);
    if (!raw->window || !raw->makeSurface()) {
        if (raw->window)
            DestroyWindow(raw->window);
        editor.reset();
        ShowMessage(owner, "注釈の画面を開けませんでした。", kCaption, MB_ICONERROR | MB_OK);
        return false;
    }
    MakeStrip(*raw);
    raw->canvas = CreateWindowExA(
        WS_EX_CLIENTEDGE, kCanvasClass, "",
        WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | WS_TABSTOP, 0, 0, 10, 10, raw->window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCanvasId)), instance, nullptr);
    raw->setTool(Tool::rectangle);
    raw->renderAll(-1);
    raw->layout();
    ShowWindow(raw->window, SW_SHOWNORMAL);
    SetFocus(raw->canvas);
    return true;
}

bool TranslateAnnotationMessage(MSG& message) {
    if (!IsEditorMessage(message))
        return false;
    Editor& e = *editor;
    if (e.panel && e.panel->key(message))
        return true;
    if (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) {
        const annotation_editing::KeyPress press{
            static_cast<int>(message.wParam), GetKeyState(VK_CONTROL) < 0,
            GetKeyState(VK_SHIFT) < 0, message.message == WM_SYSKEYDOWN};
        const annotation_editing::KeyPlace place =
            message.hwnd == e.canvas     ? annotation_editing::KeyPlace::canvas
            : message.hwnd == e.widthBox ? annotation_editing::KeyPlace::widthList
                                         : annotation_editing::KeyPlace::otherControl;
        const annotation_editing::KeyAction action = annotation_editing::editorKey(press, place);
        if (action.command != Command::none) {
            e.run(action);
            return true;
        }
    }
    if (message.message == WM_CHAR && message.hwnd == e.canvas)
        return true;  // the letters were the tools' keys
    return IsDialogMessageA(e.window, &message) != 0;
}

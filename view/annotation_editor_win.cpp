#include "view/annotation_editor_win.h"

#include <commctrl.h>
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
#include "base/dialog_text_win.h"
#include "base/file_io_win.h"
#include "base/file_names_win.h"
#include "base/message_box_win.h"
#include "base/win_handles_win.h"
#include "picture/png_encoder.h"
#include "resources/annotation_ids.h"
#include "picture/annotation.h"
#include "picture/annotation_file.h"
#include "view/annotation_raster.h"
#include "view/image_names.h"
#include "view/packed_dib.h"
#include "view/picture_window_win.h"

using annotation::Handle;
using annotation::Kind;
using annotation::Object;
using annotation::Point;
using annotation::Rect;

namespace {

using picture_window::FileNamePart;
using picture_window::LoadPictureFile;

const char kEditorClass[] = "ZELCAP_ANNOTATE";
const char kCanvasClass[] = "ZELCAP_ANNOTATE_CANVAS";
const char kCaption[] = "注釈";

enum class Tool { select, rectangle, arrow, text, mark, highlight, mask, crop };

struct ToolButton {
    Tool tool;
    const char* label;
    char key;
};
constexpr ToolButton kTools[] = {
    {Tool::select, "選択(&V)", 'V'}, {Tool::rectangle, "枠(&R)", 'R'},
    {Tool::arrow, "矢印(&A)", 'A'},  {Tool::text, "文字(&T)", 'T'},
    {Tool::mark, "番号(&N)", 'N'},   {Tool::highlight, "強調(&H)", 'H'},
    {Tool::mask, "マスク(&M)", 'M'}, {Tool::crop, "切り抜き(&C)", 'C'},
};
constexpr int kToolCount = sizeof kTools / sizeof kTools[0];
constexpr int kFirstToolId = 100;
constexpr int kColourId = 120, kWidthId = 121, kSaveId = 122, kCanvasId = 130;
constexpr int kWidths[] = {1, 2, 3, 4, 5, 6, 8, 10, 12, 16};
constexpr int kZooms[] = {25, 33, 50, 67, 100, 150, 200, 300, 400};
constexpr int32_t kTextPad = 4;
constexpr int32_t kMarkRadius = 14;
constexpr int kGrip = 7;  // screen pixels

COLORREF ToColorRef(uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}
uint32_t FromColorRef(COLORREF c) {
    return (static_cast<uint32_t>(GetRValue(c)) << 16) |
           (static_cast<uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}

Kind KindOf(Tool tool) {
    switch (tool) {
        case Tool::arrow:
            return Kind::arrow;
        case Tool::text:
            return Kind::text;
        case Tool::mark:
            return Kind::mark;
        case Tool::highlight:
            return Kind::highlight;
        case Tool::mask:
            return Kind::mask;
        case Tool::crop:
            return Kind::crop;
        default:
            return Kind::rectangle;
    }
}

Rect Union(const Rect& a, const Rect& b) {
    if (a.empty())
        return b;
    if (b.empty())
        return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

Rect Inflated(const Rect& r, int32_t by, int32_t width, int32_t height) {
    return {std::max(0, r.left - by), std::max(0, r.top - by), std::min(width, r.right + by),
            std::min(height, r.bottom + by)};
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// ---- the text dialog ----

struct TextRequest {
    std::string text;
    std::string face;
    int32_t fontHeight = 24;
    bool balloon = false;
};

void ShowFontName(HWND dialog, const TextRequest& request) {
    char line[96];
    std::snprintf(line, sizeof line, "%s %ld px",
                  request.face.empty() ? "(標準)" : request.face.c_str(),
                  static_cast<long>(request.fontHeight));
    SetDlgItemTextA(dialog, IDC_ANNOTATION_FONT_NAME, line);
}

INT_PTR CALLBACK TextDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* request = reinterpret_cast<TextRequest*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            request = reinterpret_cast<TextRequest*>(lParam);
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            SendDlgItemMessageA(dialog, IDC_ANNOTATION_TEXT, EM_LIMITTEXT,
                                annotation::kMaxTextBytes, 0);
            SetDlgItemTextA(dialog, IDC_ANNOTATION_TEXT, request->text.c_str());
            CheckDlgButton(dialog, IDC_ANNOTATION_BALLOON,
                           request->balloon ? BST_CHECKED : BST_UNCHECKED);
            ShowFontName(dialog, *request);
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_ANNOTATION_FONT: {
                    LOGFONTA font{};
                    font.lfHeight = request->fontHeight;
                    font.lfCharSet = SHIFTJIS_CHARSET;
                    cp932::copyText(font.lfFaceName, request->face.c_str());
                    CHOOSEFONTA choose{};
                    choose.lStructSize = sizeof choose;
                    choose.hwndOwner = dialog;
                    choose.lpLogFont = &font;
                    choose.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_NOVERTFONTS;
                    if (ChooseFontA(&choose)) {
                        request->face = font.lfFaceName;
                        request->fontHeight =
                            std::clamp<int32_t>(std::abs(font.lfHeight), annotation::kMinFontHeight,
                                                annotation::kMaxFontHeight);
                        ShowFontName(dialog, *request);
                    }
                    return TRUE;
                }
                case IDOK:
                    request->text =
                        DialogItemText(dialog, IDC_ANNOTATION_TEXT, annotation::kMaxTextBytes);
                    request->balloon = IsDlgButtonChecked(dialog, IDC_ANNOTATION_BALLOON) != 0;
                    EndDialog(dialog, IDOK);
                    return TRUE;
                case IDCANCEL:
                    EndDialog(dialog, IDCANCEL);
                    return TRUE;
                default:
                    return FALSE;
            }
        default:
            return FALSE;
    }
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
    annotation::Document document;
    bool damagedSidecar = false;  // kept as .zan.bak at the first save

    // The picture with its objects, as shown at 100 %.
    win::MemoryDc memory;
    win::Bitmap section;
    HGDIOBJ oldBitmap = nullptr;
    uint8_t* bits = nullptr;
    uint32_t stride = 0;
    std::vector<uint8_t> base;  // the picture without the object dragged

    Tool tool = Tool::rectangle;
    int selected = -1;
    uint32_t colours[7] = {annotation::kRed, annotation::kRed,    annotation::kRed,
                           annotation::kRed, annotation::kYellow, annotation::kBlack,
                           annotation::kRed};
    int32_t lineWidth = 3;
    TextRequest lastText;

    enum class Drag { none, create, edit } drag = Drag::none;
    Handle handle = Handle::none;
    Point from;
    Object before, preview;
    int previewNumber = 0;

    int zoom = 100;
    int scrollX = 0, scrollY = 0;

    ~Editor() {
        if (memory && oldBitmap)
            SelectObject(memory.get(), oldBitmap);
    }

    int32_t width() const { return original.width(); }
    int32_t height() const { return original.height(); }
    annotation::Canvas paintCanvas() { return {bits, width(), height(), stride}; }

    bool makeSurface();
    void renderAll(int skip);
    void paintObject(const Object& object, const Rect& clip, int number);
    void drawText(const Object& object);
    void drawNumber(const Object& object, int number);
    void restoreBase(const Rect& area);
    void showPreview(const Object& next);

    Point toPicture(int x, int y) const {
        return {static_cast<int32_t>((static_cast<int64_t>(x) + scrollX) * 100 / zoom),
                static_cast<int32_t>((static_cast<int64_t>(y) + scrollY) * 100 / zoom)};
    }
    int toClientX(int32_t x) const { return static_cast<int>(int64_t{x} * zoom / 100) - scrollX; }
    int toClientY(int32_t y) const { return static_cast<int>(int64_t{y} * zoom / 100) - scrollY; }
    RECT clientRectOf(const Rect& r) const {
        RECT c{toClientX(r.left), toClientY(r.top), toClientX(r.right) + 1,
               toClientY(r.bottom) + 1};
        InflateRect(&c, kGrip, kGrip);
        return c;
    }
    int32_t tolerance() const { return std::max(3, 5 * 100 / zoom); }

    void invalidate(const Rect& r) {
        const RECT c = clientRectOf(r);
        InvalidateRect(canvas, &c, FALSE);
    }
    void invalidateAll() { InvalidateRect(canvas, nullptr, FALSE); }
    void refresh() {
        renderAll(-1);
        invalidateAll();
    }

    void setTool(Tool next);
    void setZoom(int percent, POINT keep);
    void updateScrollBars();
    void scrollTo(int x, int y);
    void layout();

    Object newObject() const;
    void beginDrag(Point p);
    void moveDrag(Point p);
    void endDrag(Point p);
    void cancelDrag();
    bool askText(TextRequest& request);
    bool addText(Point at, const TextRequest& request, int replaceIndex);
    Object measuredText(Point at, const TextRequest& request);
    void keyCreate();
    void nudge(int dx, int dy, bool resize);
    void deleteSelected();
    void chooseColour();
    void chooseWidth();
    void editSelectedText();

    bool save();
    bool confirmClose();
    void paint(HDC dc, const RECT& area);
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
    LOGFONTA font{};
    font.lfHeight = object.fontHeight;
    font.lfCharSet = SHIFTJIS_CHARSET;
    font.lfQuality = NONANTIALIASED_QUALITY;
    cp932::copyText(font.lfFaceName, object.face.c_str());
    win::Font made(CreateFontIndirectA(&font));
    win::SelectGuard selectFont(memory.get(), made.get());
    SetBkMode(memory.get(), TRANSPARENT);
    SetTextColor(memory.get(), ToColorRef(object.colour));
    const Rect box = annotation::bounds(object);
    RECT r{box.left + kTextPad, box.top + kTextPad, box.right - kTextPad, box.bottom - kTextPad};
    DrawTextA(memory.get(), object.text.c_str(), static_cast<int>(object.text.size()), &r,
              DT_NOPREFIX | DT_LEFT | DT_TOP | DT_NOCLIP);
}

void Editor::drawNumber(const Object& object, int number) {
    LOGFONTA font{};
    font.lfHeight = object.width * 3 / 2;
    font.lfWeight = FW_BOLD;
    font.lfQuality = NONANTIALIASED_QUALITY;
    win::Font made(CreateFontIndirectA(&font));
    win::SelectGuard selectFont(memory.get(), made.get());
    SetBkMode(memory.get(), TRANSPARENT);
    SetTextColor(memory.get(), RGB(255, 255, 255));
    char digits[16];
    std::snprintf(digits, sizeof digits, "%d", number);
    RECT r{object.a.x - object.width, object.a.y - object.width, object.a.x + object.width + 1,
           object.a.y + object.width + 1};
    DrawTextA(memory.get(), digits, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
}

void Editor::paintObject(const Object& object, const Rect& clip, int number) {
    GdiFlush();
    annotation::Canvas c = paintCanvas();
    annotation::paintShape(object, c, clip);
    if (object.kind == Kind::text || object.kind == Kind::mark) {
        const int saved = SaveDC(memory.get());
        IntersectClipRect(memory.get(), clip.left, clip.top, clip.right, clip.bottom);
        if (object.kind == Kind::text)
            drawText(object);
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
    const auto& objects = document.objects();
    for (std::size_t i : annotation::paintOrder(objects)) {
        if (static_cast<int>(i) == skip)
            continue;
        paintObject(objects[i], all, objects[i].kind == Kind::mark ? document.markNumber(i) : 0);
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
    const int32_t margin = std::max<int32_t>(next.width, 2) + 2;
    const Rect old = Inflated(annotation::bounds(preview), margin, width(), height());
    const Rect now = Inflated(annotation::bounds(next), margin, width(), height());
    const Rect dirty = Union(old, now);
    GdiFlush();
    restoreBase(dirty);
    preview = next;
    if (!now.empty())
        paintObject(preview, dirty, previewNumber);
    invalidate(dirty);
}

void Editor::setTool(Tool next) {
    tool = next;
    for (int i = 0; i < kToolCount; ++i)
        SendMessageA(toolButtons[i], BM_SETCHECK,
                     kTools[i].tool == next ? BST_CHECKED : BST_UNCHECKED, 0);
    if (next != Tool::select && selected >= 0) {
        const Rect r = annotation::bounds(document.objects()[static_cast<std::size_t>(selected)]);
        selected = -1;
        invalidate(r);
    }
}

void Editor::updateScrollBars() {
    RECT client;
    GetClientRect(canvas, &client);
    const int shownWidth = static_cast<int>(int64_t{width()} * zoom / 100);
    const int shownHeight = static_cast<int>(int64_t{height()} * zoom / 100);
    scrollX = std::max(0, std::min(scrollX, shownWidth - static_cast<int>(client.right)));
    scrollY = std::max(0, std::min(scrollY, shownHeight - static_cast<int>(client.bottom)));
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMax = shownWidth - 1;
    info.nPage = static_cast<UINT>(client.right);
    info.nPos = scrollX;
    SetScrollInfo(canvas, SB_HORZ, &info, TRUE);
    info.nMax = shownHeight - 1;
    info.nPage = static_cast<UINT>(client.bottom);
    info.nPos = scrollY;
    SetScrollInfo(canvas, SB_VERT, &info, TRUE);
}

void Editor::scrollTo(int x, int y) {
    scrollX = x;
    scrollY = y;
    updateScrollBars();
    invalidateAll();
}

// The picture point under `keep` (client coordinates) stays where it is.
void Editor::setZoom(int percent, POINT keep) {
    percent = std::clamp(percent, kZooms[0], kZooms[sizeof kZooms / sizeof kZooms[0] - 1]);
    if (percent == zoom)
        return;
    const Point p = toPicture(keep.x, keep.y);
    zoom = percent;
    scrollTo(static_cast<int>(int64_t{p.x} * zoom / 100) - keep.x,
             static_cast<int>(int64_t{p.y} * zoom / 100) - keep.y);
}

void Editor::layout() {
    RECT client;
    GetClientRect(window, &client);
    MoveWindow(canvas, 0, stripHeight, client.right, std::max(0L, client.bottom - stripHeight),
               TRUE);
    updateScrollBars();
}

Object Editor::measuredText(Point at, const TextRequest& request) {
    Object o;
    o.kind = Kind::text;
    o.colour = colours[static_cast<int>(Kind::text)];
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
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ANNOTATION_TEXT), window, TextDialogProc,
                           reinterpret_cast<LPARAM>(&request)) == IDOK &&
           !request.text.empty();
}

bool Editor::addText(Point at, const TextRequest& request, int replaceIndex) {
    Object o = measuredText(at, request);
    if (replaceIndex >= 0) {
        o.colour = document.objects()[static_cast<std::size_t>(replaceIndex)].colour;
        if (!document.replace(static_cast<std::size_t>(replaceIndex), o))
            return false;
        selected = replaceIndex;
    } else {
        if (!document.add(o))
            return false;
        selected = static_cast<int>(document.size()) - 1;
    }
    lastText = request;
    refresh();
    return true;
}

void Editor::editSelectedText() {
    if (selected < 0)
        return;
    const Object& o = document.objects()[static_cast<std::size_t>(selected)];
    if (o.kind != Kind::text)
        return;
    TextRequest request{o.text, o.face, o.fontHeight, o.balloon};
    if (askText(request))
        addText(o.a, request, selected);
}

// A new object of the current tool, with the colour and line width chosen;
// what its kind does not use stays 0, as the sidecar writes it.
Object Editor::newObject() const {
    Object o;
    o.kind = KindOf(tool);
    o.colour = o.kind == Kind::crop ? 0 : colours[static_cast<int>(o.kind)];
    o.width = o.kind == Kind::rectangle || o.kind == Kind::arrow ? lineWidth
              : o.kind == Kind::mark                             ? kMarkRadius
                                                                 : 0;
    return o;
}

void Editor::beginDrag(Point p) {
    if (tool == Tool::text)
        return;  // the text is asked for at the release
    from = p;
    if (tool == Tool::select) {
        int index = -1;
        Handle h = Handle::none;
        if (selected >= 0)
            h = document.handleAt(static_cast<std::size_t>(selected), p, tolerance());
        if (h != Handle::none) {
            index = selected;
        } else {
            index = document.hitTest(p, tolerance());
            if (index >= 0)
                h = document.handleAt(static_cast<std::size_t>(index), p, tolerance());
        }
        const int old = selected;
        selected = index;
        if (old >= 0 && old != index)
            invalidate(annotation::bounds(document.objects()[static_cast<std::size_t>(old)]));
        if (index < 0 || h == Handle::none)
            return;
        drag = Drag::edit;
        handle = h;
        before = document.objects()[static_cast<std::size_t>(index)];
        previewNumber =
            before.kind == Kind::mark ? document.markNumber(static_cast<std::size_t>(index)) : 0;
        renderAll(index);
        base.assign(bits, bits + static_cast<std::size_t>(stride) * height());
        preview = Object{};
        preview.a = preview.b = {-1, -1};
        showPreview(before);
    } else {
        drag = Drag::create;
        Object o = newObject();
        o.a = o.b = p;
        if (o.kind == Kind::mark)
            o.b = {0, 0};
        previewNumber = 1;
        for (const Object& other : document.objects())
            previewNumber += other.kind == Kind::mark;
        base.assign(bits, bits + static_cast<std::size_t>(stride) * height());
        preview = Object{};
        preview.a = preview.b = {-1, -1};
        selected = -1;
        showPreview(o);
    }
    SetCapture(canvas);
}

void Editor::moveDrag(Point p) {
    if (drag == Drag::edit) {
        showPreview(annotation::dragged(before, handle, from, p));
    } else if (drag == Drag::create) {
        Object next = preview;
        if (next.kind == Kind::mark)
            next.a = p;
        else
            next.b = p;
        showPreview(next);
    }
}

void Editor::endDrag(Point p) {
    if (tool == Tool::text && drag == Drag::none) {
        TextRequest request = lastText;
        request.text.clear();
        if (askText(request))
            addText(p, request, -1);
        return;
    }
    if (drag == Drag::none)
        return;
    moveDrag(p);
    const Drag was = drag;
    drag = Drag::none;
    base.clear();
    ReleaseCapture();
    if (was == Drag::edit) {
        if (!(preview == before))
            document.replace(static_cast<std::size_t>(selected), preview);
    } else {
        const Rect box = annotation::normalized(preview.a, preview.b);
        const bool big =
            preview.kind == Kind::mark ||
            (preview.kind == Kind::arrow
                 ? std::abs(preview.b.x - preview.a.x) + std::abs(preview.b.y - preview.a.y) >= 4
                 : box.right - box.left >= 3 && box.bottom - box.top >= 3);
        if (big) {
            if (preview.kind == Kind::crop) {
                document.setCrop(box);
            } else if (document.add(preview)) {
                selected = static_cast<int>(document.size()) - 1;
            }
        }
    }
    refresh();
}

void Editor::cancelDrag() {
    if (drag == Drag::none)
        return;
    drag = Drag::none;
    base.clear();
    ReleaseCapture();
    refresh();
}

// Without a pointer: a drawing tool's key Enter puts an object of a usual
// size in the middle of the view, which the arrows then move and, with
// Shift, size.
void Editor::keyCreate() {
    if (tool == Tool::select) {
        editSelectedText();
        return;
    }
    RECT client;
    GetClientRect(canvas, &client);
    Point c = toPicture(client.right / 2, client.bottom / 2);
    c.x = std::clamp(c.x, 0, std::max(0, width() - 1));
    c.y = std::clamp(c.y, 0, std::max(0, height() - 1));
    if (tool == Tool::text) {
        TextRequest request = lastText;
        request.text.clear();
        if (askText(request))
            addText(c, request, -1);
        return;
    }
    Object o = newObject();
    o.a = {c.x - 50, c.y - 30};
    o.b = {c.x + 50, c.y + 30};
    if (o.kind == Kind::mark) {
        o.a = c;
        o.b = {0, 0};
    }
    if (o.kind == Kind::crop) {
        document.setCrop(annotation::normalized(o.a, o.b));
    } else if (document.add(o)) {
        selected = static_cast<int>(document.size()) - 1;
        setTool(Tool::select);
        selected = static_cast<int>(document.size()) - 1;
    }
    refresh();
}

void Editor::nudge(int dx, int dy, bool resize) {
    if (selected < 0)
        return;
    const Object& o = document.objects()[static_cast<std::size_t>(selected)];
    Handle h = Handle::move;
    if (resize)
        h = o.kind == Kind::arrow ? Handle::head : Handle::bottomRight;
    if (resize && (o.kind == Kind::mark || o.kind == Kind::text))
        return;
    const Rect box = annotation::normalized(o.a, o.b);
    const Point p = !resize                 ? o.a
                    : o.kind == Kind::arrow ? o.b
                                            : Point{box.right - 1, box.bottom - 1};
    document.replace(static_cast<std::size_t>(selected),
                     annotation::dragged(o, h, p, {p.x + dx, p.y + dy}));
    refresh();
}

void Editor::deleteSelected() {
    if (selected < 0)
        return;
    document.remove(static_cast<std::size_t>(selected));
    selected = -1;
    refresh();
}

void Editor::chooseColour() {
    static COLORREF custom[16];
    const Kind kind =
        selected >= 0 ? document.objects()[static_cast<std::size_t>(selected)].kind : KindOf(tool);
    if (kind == Kind::crop)
        return;
    CHOOSECOLORA choose{};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = window;
    choose.rgbResult = ToColorRef(colours[static_cast<int>(kind)]);
    choose.lpCustColors = custom;
    choose.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorA(&choose))
        return;
    colours[static_cast<int>(kind)] = FromColorRef(choose.rgbResult);
    if (selected >= 0) {
        Object o = document.objects()[static_cast<std::size_t>(selected)];
        o.colour = colours[static_cast<int>(kind)];
        document.replace(static_cast<std::size_t>(selected), o);
        refresh();
    }
}

void Editor::chooseWidth() {
    const LRESULT index = SendMessageA(widthBox, CB_GETCURSEL, 0, 0);
    if (index < 0 || index >= static_cast<LRESULT>(sizeof kWidths / sizeof kWidths[0]))
        return;
    lineWidth = kWidths[index];
    if (selected >= 0) {
        Object o = document.objects()[static_cast<std::size_t>(selected)];
        if (o.kind == Kind::rectangle || o.kind == Kind::arrow) {
            o.width = lineWidth;
            document.replace(static_cast<std::size_t>(selected), o);
            refresh();
        }
    }
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
    if (document.size() == 0) {
        // No object left: the record is back to its picture alone.
        if ((FileExists(flattened) && !DeleteFileA(flattened.c_str())) ||
            (FileExists(sidecar) && !DeleteFileA(sidecar.c_str())))
            return fail("注釈ファイルを削除できませんでした。", sidecar);
    } else {
        renderAll(-1);
        const Rect kept = annotation::keptArea(document.objects(), width(), height());
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
                                 annotation::writeSidecar(document.objects()),
                                 &error) != win::ReplaceStep::done)
            return fail("注釈ファイルを保存できませんでした。", sidecar);
    }
    document.markSaved();
    SendMessageA(owner, UWM_ANNOTATED, 0, reinterpret_cast<LPARAM>(picturePath.c_str()));
    PostMessageA(owner, UWM_SHOW_IMAGE, 0, 0);
    return true;
}

bool Editor::confirmClose() {
    if (drag != Drag::none)
        cancelDrag();
    if (!document.modified())
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

void Editor::paint(HDC dc, const RECT& area) {
    const int shownRight = toClientX(width()), shownBottom = toClientY(height());
    // The picture part of the area.
    RECT picture{std::max<LONG>(area.left, -scrollX), std::max<LONG>(area.top, -scrollY),
                 std::min<LONG>(area.right, shownRight), std::min<LONG>(area.bottom, shownBottom)};
    if (picture.right > picture.left && picture.bottom > picture.top) {
        if (zoom == 100) {
            BitBlt(dc, picture.left, picture.top, picture.right - picture.left,
                   picture.bottom - picture.top, memory.get(), picture.left + scrollX,
                   picture.top + scrollY, SRCCOPY);
        } else {
            const Point first = toPicture(picture.left, picture.top);
            Point last = toPicture(picture.right - 1, picture.bottom - 1);
            last.x = std::min(last.x, width() - 1);
            last.y = std::min(last.y, height() - 1);
            const int left = toClientX(first.x), top = toClientY(first.y);
            SetStretchBltMode(dc, COLORONCOLOR);
            StretchBlt(dc, left, top, toClientX(last.x + 1) - left, toClientY(last.y + 1) - top,
                       memory.get(), first.x, first.y, last.x - first.x + 1, last.y - first.y + 1,
                       SRCCOPY);
        }
    }
    // Around the picture.
    {
        const int saved = SaveDC(dc);
        ExcludeClipRect(dc, -scrollX, -scrollY, shownRight, shownBottom);
        FillRect(dc, &area, GetSysColorBrush(COLOR_APPWORKSPACE));
        RestoreDC(dc, saved);
    }
    // The crop's frame and the selection's grips are the editor's, not the
    // picture's.
    const auto frame = [&](const Rect& box) {
        win::GdiObject pen(CreatePen(PS_DOT, 1, RGB(0, 0, 0)));
        win::SelectGuard selectPen(dc, pen.get());
        win::SelectGuard selectBrush(dc, GetStockObject(NULL_BRUSH));
        SetBkColor(dc, RGB(255, 255, 255));
        SetBkMode(dc, OPAQUE);
        Rectangle(dc, toClientX(box.left), toClientY(box.top), toClientX(box.right) + 1,
                  toClientY(box.bottom) + 1);
    };
    const auto& objects = document.objects();
    for (std::size_t i = 0; i < objects.size(); ++i)
        if (objects[i].kind == Kind::crop &&
            !(drag == Drag::edit && static_cast<int>(i) == selected))
            frame(annotation::bounds(objects[i]));
    if (drag != Drag::none && preview.kind == Kind::crop)
        frame(annotation::bounds(preview));
    const Object* chosen = drag == Drag::edit ? &preview
                           : selected >= 0 && drag == Drag::none
                               ? &objects[static_cast<std::size_t>(selected)]
                               : nullptr;
    if (chosen) {
        win::SelectGuard selectPen(dc, GetStockObject(BLACK_PEN));
        win::SelectGuard selectBrush(dc, GetStockObject(WHITE_BRUSH));
        const auto grips = annotation::grips(*chosen);
        if (grips.empty()) {
            const Rect b = annotation::bounds(*chosen);
            win::GdiObject pen(CreatePen(PS_DOT, 1, RGB(0, 0, 0)));
            win::SelectGuard dotted(dc, pen.get());
            win::SelectGuard hollow(dc, GetStockObject(NULL_BRUSH));
            Rectangle(dc, toClientX(b.left) - 2, toClientY(b.top) - 2, toClientX(b.right) + 2,
                      toClientY(b.bottom) + 2);
        }
        for (const auto& grip : grips) {
            const int x = toClientX(grip.second.x), y = toClientY(grip.second.y);
            Rectangle(dc, x - kGrip / 2, y - kGrip / 2, x + kGrip / 2 + 1, y + kGrip / 2 + 1);
        }
    }
}

// ---- window procedures ----

LRESULT CALLBACK CanvasProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Editor* e = editor.get();
    if (!e || e->canvas != window)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            e->paint(dc, ps.rcPaint);
            EndPaint(window, &ps);
            return 0;
        }
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
            if (e->drag != Editor::Drag::none)
                e->moveDrag(e->toPicture(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
            return 0;
        case WM_LBUTTONUP:
            e->endDrag(e->toPicture(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
            return 0;
        case WM_LBUTTONDBLCLK:
            if (e->tool == Tool::select)
                e->editSelectedText();
            return 0;
        case WM_CAPTURECHANGED:
            if (e->drag != Editor::Drag::none && reinterpret_cast<HWND>(lParam) != window)
                e->cancelDrag();
            return 0;
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT) {
                SetCursor(LoadCursorA(nullptr, e->tool == Tool::select ? IDC_ARROW : IDC_CROSS));
                return TRUE;
            }
            break;
        case WM_MOUSEWHEEL: {
            const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
            if (GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL) {
                POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
                ScreenToClient(window, &at);
                int next = e->zoom;
                const int count = sizeof kZooms / sizeof kZooms[0];
                for (int i = 0; i < count; ++i)
                    if (kZooms[i] == e->zoom)
                        next = kZooms[std::clamp(i + (delta > 0 ? 1 : -1), 0, count - 1)];
                e->setZoom(next, at);
            } else if (GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT) {
                e->scrollTo(e->scrollX - delta, e->scrollY);
            } else {
                e->scrollTo(e->scrollX, e->scrollY - delta);
            }
            return 0;
        }
        case WM_HSCROLL:
        case WM_VSCROLL: {
            const int bar = message == WM_HSCROLL ? SB_HORZ : SB_VERT;
            const int pos = picture_window::ScrollTarget(window, bar, wParam);
            if (bar == SB_HORZ)
                e->scrollTo(pos, e->scrollY);
            else
                e->scrollTo(e->scrollX, pos);
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
        case WM_COMMAND: {
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
                SetFocus(e->canvas);
            return 0;
        case WM_CLOSE:
            if (e->confirmClose())
                DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            editor.reset();
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
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

bool AnnotationEditorModified() {
    return editor && editor->document.modified();
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
            e->document.load(std::move(read.objects));
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
    if (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) {
        const bool control = GetKeyState(VK_CONTROL) < 0;
        const bool shift = GetKeyState(VK_SHIFT) < 0;
        const bool alt = message.message == WM_SYSKEYDOWN;
        const WPARAM key = message.wParam;
        const bool onCanvas = message.hwnd == e.canvas;
        const bool inList = message.hwnd == e.widthBox;
        if (control && !alt) {
            switch (key) {
                case 'S':
                    e.save();
                    return true;
                case 'Z':
                    if (e.drag == Editor::Drag::none && e.document.undo()) {
                        e.selected = -1;
                        e.refresh();
                    }
                    return true;
                case 'Y':
                    if (e.drag == Editor::Drag::none && e.document.redo()) {
                        e.selected = -1;
                        e.refresh();
                    }
                    return true;
                case '0':
                case VK_NUMPAD0: {
                    RECT client;
                    GetClientRect(e.canvas, &client);
                    e.setZoom(100, {client.right / 2, client.bottom / 2});
                    return true;
                }
                case VK_OEM_PLUS:
                case VK_ADD:
                case VK_OEM_MINUS:
                case VK_SUBTRACT: {
                    RECT client;
                    GetClientRect(e.canvas, &client);
                    const bool in = key == VK_OEM_PLUS || key == VK_ADD;
                    const int count = sizeof kZooms / sizeof kZooms[0];
                    for (int i = 0; i < count; ++i)
                        if (kZooms[i] == e.zoom) {
                            e.setZoom(kZooms[std::clamp(i + (in ? 1 : -1), 0, count - 1)],
                                      {client.right / 2, client.bottom / 2});
                            break;
                        }
                    return true;
                }
                default:
                    break;
            }
        }
        if (!control && !alt && !inList) {
            if (key == VK_ESCAPE) {
                if (e.drag != Editor::Drag::none) {
                    e.cancelDrag();
                } else if (e.selected >= 0) {
                    e.selected = -1;
                    e.invalidateAll();
                }
                return true;
            }
            if (key == VK_DELETE) {
                e.deleteSelected();
                return true;
            }
            for (const ToolButton& t : kTools)
                if (key == static_cast<WPARAM>(t.key) && !shift) {
                    e.setTool(t.tool);
                    return true;
                }
            if (onCanvas) {
                int dx = 0, dy = 0;
                switch (key) {
                    case VK_LEFT:
                        dx = -1;
                        break;
                    case VK_RIGHT:
                        dx = 1;
                        break;
                    case VK_UP:
                        dy = -1;
                        break;
                    case VK_DOWN:
                        dy = 1;
                        break;
                    case VK_RETURN:
                        e.keyCreate();
                        return true;
                    case VK_OEM_4:  // [ and ]: the object below or above
                    case VK_OEM_6:
                        if (e.document.size() > 0) {
                            const int n = static_cast<int>(e.document.size());
                            e.selected = e.selected < 0
                                             ? n - 1
                                             : (e.selected + (key == VK_OEM_6 ? 1 : n - 1)) % n;
                            e.setTool(Tool::select);
                            e.invalidateAll();
                        }
                        return true;
                    default:
                        break;
                }
                if (dx || dy) {
                    e.nudge(dx, dy, shift);
                    return true;
                }
            }
        }
    }
    if (message.message == WM_CHAR && message.hwnd == e.canvas)
        return true;  // the letters were the tools' keys
    return IsDialogMessageA(e.window, &message) != 0;
}

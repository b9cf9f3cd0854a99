#include "view/compare_window_win.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/app_messages_win.h"
#include "base/file_io_win.h"
#include "base/message_box_win.h"
#include "base/win_handles_win.h"
#include "picture/png_encoder.h"
#include "resources/compare_ids.h"
#include "settings/settings_files_win.h"
#include "settings/settings_store.h"
#include "picture/annotation_file.h"
#include "view/compare_options.h"
#include "view/image_names.h"
#include "view/packed_dib.h"
#include "view/picture_diff.h"
#include "view/picture_window_win.h"

namespace {

using picture_window::FileNamePart;
using picture_window::LoadPictureFile;

const char kWindowClass[] = "ZELCAP_COMPARE";
const char kCanvasClass[] = "ZELCAP_COMPARE_CANVAS";
const char kCaption[] = "比較";

enum class View { sideBySide, overlay, flicker };

constexpr int kSideId = IDC_COMPARE_SIDE, kOverlayId = IDC_COMPARE_OVERLAY,
              kFlickerId = IDC_COMPARE_FLICKER, kToleranceLabelId = IDC_COMPARE_TOLERANCE_LABEL,
              kToleranceId = IDC_COMPARE_TOLERANCE, kToleranceSpinId = IDC_COMPARE_TOLERANCE_SPIN,
              kIgnoreId = IDC_COMPARE_IGNORE_TOP, kBandId = IDC_COMPARE_BAND,
              kBandSpinId = IDC_COMPARE_BAND_SPIN, kBandUnitId = IDC_COMPARE_BAND_UNIT,
              kAddId = IDC_COMPARE_ADD, kCloseId = IDC_COMPARE_CLOSE,
              kFigureId = IDC_COMPARE_FIGURE, kNoteId = IDC_COMPARE_NOTE,
              kListLabelId = IDC_COMPARE_LIST_LABEL, kListId = IDC_COMPARE_LIST,
              kCanvasId = IDC_COMPARE_CANVAS;
constexpr UINT_PTR kFlickerTimer = 2620;
constexpr UINT kFlickerMs = 500;
constexpr int kPaneGap = 8;    // between the two pictures side by side
constexpr int kBoxMargin = 2;  // a region's frame stands this far outside its pixels

struct ViewButton {
    View view;
    int id;
    const char* label;
};
constexpr ViewButton kViews[] = {
    {View::sideBySide, kSideId, "並べて表示(&1)"},
    {View::overlay, kOverlayId, "重ねて表示(&2)"},
    {View::flicker, kFlickerId, "交互表示(&3)"},
};

bool IsFile(const std::string& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

class Compare {
  public:
    HINSTANCE instance = nullptr;
    HWND owner = nullptr;
    HWND window = nullptr, canvas = nullptr, list = nullptr;
    HWND viewButtons[3] = {};
    HWND tolerance = nullptr, toleranceSpin = nullptr, ignore = nullptr, band = nullptr,
         bandSpin = nullptr, bandUnit = nullptr, add = nullptr, close = nullptr;
    HWND figure = nullptr, note = nullptr, listLabel = nullptr, toleranceLabel = nullptr;
    win::Font font;
    int lineHeight = 0, rowHeight = 0, listWidth = 0;

    CompareRequest request;
    std::string firstShown, secondShown;
    PackedDib first, second, overlay;
    picture_diff::Result result;
    CompareOptions options, stored;
    std::string status;  // after 履歴に追加

    View view = View::sideBySide;
    bool showSecond = false, paused = false;
    int scrollX = 0, scrollY = 0;
    int selected = -1;
    bool settingControls = false;
    HWND focusOnDeactivate = nullptr;

    picture_diff::Options diffOptions() const {
        return {options.tolerance, options.ignoreTop ? options.bandHeight : 0};
    }
    void recompute();
    void showFigures();
    void setView(View next);
    void togglePause();
    void readOptions();
    SIZE contentSize() const;
    int paneWidth() const;
    void updateScrollBars();
    void scrollTo(int x, int y);
    void showRegion(int index);
    void layout();
    void paint(HDC dc, const RECT& client);
    void addToHistory();
    void saveOptions();
};

std::unique_ptr<Compare> current;

void Compare::recompute() {
    const picture_diff::Picture a = picture_diff::of(first), b = picture_diff::of(second);
    result = picture_diff::compare(a, b, diffOptions());
    picture_diff::overlay(a, b, diffOptions(), overlay);
    selected = -1;
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (std::size_t i = 0; i < result.regions.size(); ++i)
        SendMessageA(
            list, LB_ADDSTRING, 0,
            reinterpret_cast<LPARAM>(picture_diff::regionLine(i + 1, result.regions[i]).c_str()));
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    status.clear();
    showFigures();
    updateScrollBars();
    InvalidateRect(canvas, nullptr, FALSE);
}

void Compare::showFigures() {
    char counts[160];
    std::snprintf(counts, sizeof counts, "%s（%llu / %llu 画素）　領域 %lu",
                  picture_diff::changeFigure(result.changed, result.compared).c_str(),
                  static_cast<unsigned long long>(result.changed),
                  static_cast<unsigned long long>(result.compared),
                  static_cast<unsigned long>(result.regions.size()));
    SetWindowTextA(figure, counts);
    std::string line =
        picture_diff::sizeNote(picture_diff::of(first), picture_diff::of(second), result);
    if (result.ignoredRows > 0) {
        char text[96];
        std::snprintf(text, sizeof text, "上端 %ld 画素は比較していません。",
                      static_cast<long>(result.ignoredRows));
        line += text;
    }
    if (!status.empty())
        line = status;
    SetWindowTextA(note, line.c_str());
}

int Compare::paneWidth() const {
    RECT client;
    GetClientRect(canvas, &client);
    return std::max(1, static_cast<int>(client.right - kPaneGap) / 2);
}

// The scrolled extent: side by side, the larger picture in each half.
SIZE Compare::contentSize() const {
    if (view == View::overlay)
        return {overlay.width(), overlay.height()};
    return {std::max(first.width(), second.width()), std::max(first.height(), second.height())};
}

void Compare::updateScrollBars() {
    RECT client;
    GetClientRect(canvas, &client);
    const int shownWidth = view == View::sideBySide ? paneWidth() : static_cast<int>(client.right);
    const int shownHeight = std::max(0, static_cast<int>(client.bottom) - lineHeight);
    picture_window::SetScrollBars(canvas, contentSize(), {shownWidth, shownHeight}, scrollX,
                                  scrollY);
}

void Compare::scrollTo(int x, int y) {
    scrollX = x;
    scrollY = y;
    updateScrollBars();
    InvalidateRect(canvas, nullptr, FALSE);
}

// The region comes to the middle of the view and its frame is drawn bold.
void Compare::showRegion(int index) {
    if (index < 0 || index >= static_cast<int>(result.regions.size()))
        return;
    selected = index;
    const picture_diff::Box& b = result.regions[static_cast<std::size_t>(index)];
    RECT client;
    GetClientRect(canvas, &client);
    const int shownWidth = view == View::sideBySide ? paneWidth() : static_cast<int>(client.right);
    const int shownHeight = static_cast<int>(client.bottom) - lineHeight;
    scrollTo((b.left + b.right) / 2 - shownWidth / 2, (b.top + b.bottom) / 2 - shownHeight / 2);
}

void Compare::setView(View next) {
    view = next;
    for (int i = 0; i < 3; ++i)
        SendMessageA(viewButtons[i], BM_SETCHECK,
                     kViews[i].view == next ? BST_CHECKED : BST_UNCHECKED, 0);
    KillTimer(window, kFlickerTimer);
    paused = false;
    showSecond = false;
    if (next == View::flicker)
        SetTimer(window, kFlickerTimer, kFlickerMs, nullptr);
    updateScrollBars();
    InvalidateRect(canvas, nullptr, FALSE);
}

void Compare::togglePause() {
    if (view != View::flicker)
        return;
    paused = !paused;
    if (paused)
        KillTimer(window, kFlickerTimer);
    else
        SetTimer(window, kFlickerTimer, kFlickerMs, nullptr);
    InvalidateRect(canvas, nullptr, FALSE);
}

// The tolerance and the band as the controls hold them; a value being typed
// that is out of range is taken once it is in range.
void Compare::readOptions() {
    if (settingControls)
        return;
    CompareOptions next = options;
    BOOL ok = FALSE;
    const UINT t = GetDlgItemInt(window, kToleranceId, &ok, FALSE);
    if (ok && t <= static_cast<UINT>(picture_diff::kMaxTolerance))
        next.tolerance = static_cast<int32_t>(t);
    next.ignoreTop = SendMessageA(ignore, BM_GETCHECK, 0, 0) == BST_CHECKED;
    const UINT h = GetDlgItemInt(window, kBandId, &ok, FALSE);
    if (ok && h >= 1 && h <= static_cast<UINT>(kMaxCompareBand))
        next.bandHeight = static_cast<int32_t>(h);
    EnableWindow(band, next.ignoreTop);
    EnableWindow(bandSpin, next.ignoreTop);
    if (next != options) {
        options = next;
        recompute();
    }
}

void Compare::layout() {
    RECT client;
    GetClientRect(window, &client);
    // The note may need two lines in a wide font.
    const int top = 4 + 2 * rowHeight + 3 * lineHeight + 12;
    const int width = static_cast<int>(client.right);
    MoveWindow(figure, 6, 4 + 2 * rowHeight, std::max(0, width - 12), lineHeight + 2, TRUE);
    MoveWindow(note, 6, 4 + 2 * rowHeight + lineHeight + 4, std::max(0, width - 12),
               2 * lineHeight + 2, TRUE);
    const int listLeft = std::max(0, width - listWidth - 4);
    MoveWindow(listLabel, listLeft, top, listWidth, lineHeight + 2, TRUE);
    MoveWindow(list, listLeft, top + lineHeight + 4, listWidth,
               std::max(0, static_cast<int>(client.bottom) - top - lineHeight - 8), TRUE);
    MoveWindow(canvas, 4, top, std::max(0, listLeft - 8),
               std::max(0, static_cast<int>(client.bottom) - top - 4), TRUE);
    updateScrollBars();
}

void DrawLabel(HDC dc, int x, int width, int height, const std::string& text) {
    RECT r{x, 0, x + width, height};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void DrawPicture(HDC dc, const PackedDib& picture, int x, int y, const RECT& clip) {
    if (picture.empty())
        return;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(picture.width()),
                      static_cast<DWORD>(picture.height()), 0, 0, 0,
                      static_cast<UINT>(picture.height()), picture.bits(),
                      reinterpret_cast<const BITMAPINFO*>(picture.data()), DIB_RGB_COLORS);
    RestoreDC(dc, saved);
}

void Compare::paint(HDC dc, const RECT& client) {
    FillRect(dc, &client, GetSysColorBrush(COLOR_APPWORKSPACE));
    RECT strip{0, 0, client.right, lineHeight};
    FillRect(dc, &strip, GetSysColorBrush(COLOR_BTNFACE));
    win::SelectGuard selectFont(dc, font.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    const int y = lineHeight - scrollY;
    // Each pane: its left edge on the screen, and the picture it shows.
    struct Pane {
        int left, width;
        const PackedDib* picture;
    };
    std::vector<Pane> panes;
    const std::string one = std::string("1 枚目: ") + FileNamePart(request.firstPicture);
    const std::string two = std::string("2 枚目: ") + FileNamePart(request.secondPicture);
    if (view == View::sideBySide) {
        const int w = paneWidth();
        panes.push_back({0, w, &first});
        panes.push_back({w + kPaneGap, w, &second});
        DrawLabel(dc, 4, w - 4, lineHeight, one);
        DrawLabel(dc, w + kPaneGap + 4, w - 4, lineHeight, two);
    } else if (view == View::overlay) {
        panes.push_back({0, static_cast<int>(client.right), &overlay});
        DrawLabel(dc, 4, client.right - 4, lineHeight,
                  "重ねて表示: 2 枚目に、変化した画素を赤で重ねています");
    } else {
        panes.push_back({0, static_cast<int>(client.right), showSecond ? &second : &first});
        std::string label = showSecond ? two : one;
        label += paused ? "（一時停止中: Space で再開）" : "（Space で一時停止）";
        DrawLabel(dc, 4, client.right - 4, lineHeight, label);
    }
    if (GetFocus() == canvas) {
        RECT focus{1, 1, client.right - 1, lineHeight - 1};
        DrawFocusRect(dc, &focus);
    }
    win::GdiObject pen(CreatePen(PS_SOLID, 1, RGB(255, 0, 0)));
    win::GdiObject boldPen(CreatePen(PS_SOLID, 3, RGB(0, 96, 255)));
    for (const Pane& pane : panes) {
        const RECT clip{pane.left, lineHeight, pane.left + pane.width, client.bottom};
        const int x = pane.left - scrollX;
        DrawPicture(dc, *pane.picture, x, y, clip);
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
        SelectObject(dc, GetStockObject(NULL_BRUSH));
        for (std::size_t i = 0; i < result.regions.size(); ++i) {
            const picture_diff::Box& b = result.regions[i];
            SelectObject(dc, static_cast<int>(i) == selected ? boldPen.get() : pen.get());
            Rectangle(dc, x + b.left - kBoxMargin, y + b.top - kBoxMargin, x + b.right + kBoxMargin,
                      y + b.bottom + kBoxMargin);
        }
        RestoreDC(dc, saved);
    }
}

// Written only once an option differs from what the file held, so that
// the file of someone who opens the window and changes nothing keeps its
// bytes.
void Compare::saveOptions() {
    if (options == stored)
        return;
    Win32SettingsFiles files;
    if (compare_options::save(files, settingsStore.iniPath, options))
        stored = options;
}

void Compare::addToHistory() {
    if (overlay.empty())
        return;
    std::vector<uint8_t> png;
    if (!encodePngBytes(overlay.width(), overlay.height(), overlay.bits(), overlay.stride(), png)) {
        ShowMessage(window, "比較の画像を作れませんでした。", kCaption, MB_ICONERROR | MB_OK);
        return;
    }
    const std::string name = picture_diff::diffFileName(request.firstPicture);
    const std::string heading = picture_diff::comparisonHeading(
        request.firstHeading, request.secondHeading,
        picture_diff::changeFigure(result.changed, result.compared), kCommentSize - 1);
    const ComparisonRecord record{name.c_str(), heading.c_str(), png.data(), png.size()};
    if (SendMessageA(owner, UWM_ADD_COMPARISON, 0, reinterpret_cast<LPARAM>(&record)) == 1) {
        status = "履歴に追加しました: " + name;
        showFigures();
    }
}

// ---- window procedures ----

void ScrollBy(Compare& c, int bar, WPARAM code) {
    const int pos = picture_window::ScrollTarget(c.canvas, bar, code);
    if (bar == SB_HORZ)
        c.scrollTo(pos, c.scrollY);
    else
        c.scrollTo(c.scrollX, pos);
}

LRESULT CALLBACK CanvasProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Compare* c = current.get();
    if (!c || c->canvas != window)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
        case WM_PAINT:
            // Drawn off the screen first: the flicker view must not flicker
            // for another reason.
            picture_window::PaintBuffered(
                window, [c](HDC dc, const RECT& client, const RECT&) { c->paint(dc, client); });
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SIZE:
            c->updateScrollBars();
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        case WM_LBUTTONDOWN:
            SetFocus(window);
            return 0;
        case WM_MOUSEWHEEL: {
            const POINT to = picture_window::WheelTarget(wParam, c->scrollX, c->scrollY);
            c->scrollTo(to.x, to.y);
            return 0;
        }
        case WM_HSCROLL:
            ScrollBy(*c, SB_HORZ, wParam);
            return 0;
        case WM_VSCROLL:
            ScrollBy(*c, SB_VERT, wParam);
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTCHARS;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK CompareProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Compare* c = current.get();
    if (!c || c->window != window)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
        case WM_SIZE:
            c->layout();
            return 0;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize = {480, 360};
            return 0;
        }
        case WM_TIMER:
            if (wParam == kFlickerTimer) {
                c->showSecond = !c->showSecond;
                InvalidateRect(c->canvas, nullptr, FALSE);
            }
            return 0;
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const int code = HIWORD(wParam);
            for (const ViewButton& v : kViews)
                if (id == v.id && code == BN_CLICKED) {
                    // Pressed again, the flicker button pauses and goes on.
                    if (v.view == View::flicker && c->view == View::flicker)
                        c->togglePause();
                    else
                        c->setView(v.view);
                    return 0;
                }
            if ((id == kToleranceId || id == kBandId) && code == EN_CHANGE)
                c->readOptions();
            else if (id == kIgnoreId && code == BN_CLICKED)
                c->readOptions();
            else if ((id == kToleranceId || id == kBandId) && code == EN_KILLFOCUS) {
                // A value left out of range goes back to the one in use.
                c->settingControls = true;
                SetDlgItemInt(window, kToleranceId, static_cast<UINT>(c->options.tolerance), FALSE);
                SetDlgItemInt(window, kBandId, static_cast<UINT>(c->options.bandHeight), FALSE);
                c->settingControls = false;
            } else if (id == kListId && code == LBN_SELCHANGE)
                c->showRegion(static_cast<int>(SendMessageA(c->list, LB_GETCURSEL, 0, 0)));
            else if (id == kAddId)
                c->addToHistory();
            else if (id == kCloseId || id == IDCANCEL)
                PostMessageA(window, WM_CLOSE, 0, 0);
            return 0;
        }
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                c->focusOnDeactivate = GetFocus();
            } else if (c->focusOnDeactivate && IsChild(window, c->focusOnDeactivate)) {
                SetFocus(c->focusOnDeactivate);
            } else {
                SetFocus(c->canvas);
            }
            return 0;
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            // Also when the main window goes, which closes no owned window.
            c->saveOptions();
            KillTimer(window, kFlickerTimer);
            current.reset();
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

// Places the controls left to right along a row, each in the window's font.
struct ControlRow {
    Compare& c;
    HDC dc;
    int controlHeight;
    int x = 4, y = 4;

    int textWidth(const char* label) const { return picture_window::LabelWidth(dc, label); }
    HWND make(const char* cls, const char* label, DWORD style, DWORD exStyle, int id, int width,
              int height = 0) {
        HWND control =
            CreateWindowExA(exStyle, cls, label, WS_CHILD | WS_VISIBLE | style, x, y, width,
                            height ? height : controlHeight, c.window,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), c.instance, nullptr);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(c.font.get()), FALSE);
        x += width + 4;
        return control;
    }
};

void MakeViewButtons(ControlRow& row) {
    Compare& c = row.c;
    for (int i = 0; i < 3; ++i)
        c.viewButtons[i] =
            row.make("BUTTON", kViews[i].label,
                     WS_TABSTOP | BS_AUTORADIOBUTTON | BS_PUSHLIKE | (i == 0 ? WS_GROUP : 0), 0,
                     kViews[i].id, row.textWidth(kViews[i].label) + 20);
    row.x += 12;
    c.add = row.make("BUTTON", "履歴に追加(&H)", WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, 0, kAddId,
                     row.textWidth("履歴に追加(&H)") + 20);
    c.close = row.make("BUTTON", "閉じる", WS_TABSTOP | BS_PUSHBUTTON, 0, kCloseId,
                       row.textWidth("閉じる") + 24);
}

void MakeOptionControls(ControlRow& row) {
    Compare& c = row.c;
    const int digits = row.textWidth("0000") + 12;
    c.toleranceLabel = row.make("STATIC", "許容差(&T):", SS_LEFT | SS_CENTERIMAGE, 0,
                                kToleranceLabelId, row.textWidth("許容差(&T):") + 4);
    c.tolerance = row.make("EDIT", "", WS_TABSTOP | WS_GROUP | ES_NUMBER | ES_AUTOHSCROLL,
                           WS_EX_CLIENTEDGE, kToleranceId, digits);
    c.toleranceSpin = row.make(UPDOWN_CLASSA, "",
                               UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                               0, kToleranceSpinId, 16);
    SendMessageA(c.toleranceSpin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(c.tolerance), 0);
    SendMessageA(c.toleranceSpin, UDM_SETRANGE32, 0, picture_diff::kMaxTolerance);
    row.x += 12;
    c.ignore = row.make("BUTTON", "上端を無視(&I)", WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX, 0,
                        kIgnoreId, row.textWidth("上端を無視(&I)") + 28);
    c.band = row.make("EDIT", "", WS_TABSTOP | WS_GROUP | ES_NUMBER | ES_AUTOHSCROLL,
                      WS_EX_CLIENTEDGE, kBandId, digits + row.textWidth("0"));
    c.bandSpin = row.make(UPDOWN_CLASSA, "",
                          UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0,
                          kBandSpinId, 16);
    SendMessageA(c.bandSpin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(c.band), 0);
    SendMessageA(c.bandSpin, UDM_SETRANGE32, 1, kMaxCompareBand);
    c.bandUnit = row.make("STATIC", "画素", SS_LEFT | SS_CENTERIMAGE, 0, kBandUnitId,
                          row.textWidth("画素") + 4);
}

// The figures, the regions' list and the canvas: layout() places them.
void MakeResultControls(ControlRow& row) {
    Compare& c = row.c;
    c.figure = row.make("STATIC", "", SS_LEFT | SS_NOPREFIX, 0, kFigureId, 100, c.lineHeight);
    c.note = row.make("STATIC", "", SS_LEFT | SS_NOPREFIX, 0, kNoteId, 100, c.lineHeight);
    const picture_diff::Box widest{9999, 9999, 19998, 19998};
    c.listWidth = std::max(row.textWidth("変化した領域(&L):"),
                           row.textWidth(picture_diff::regionLine(999, widest).c_str())) +
                  GetSystemMetrics(SM_CXVSCROLL) + 16;
    c.listLabel = row.make("STATIC", "変化した領域(&L):", SS_LEFT, 0, kListLabelId, c.listWidth,
                           c.lineHeight);
    c.list = row.make("LISTBOX", "",
                      WS_TABSTOP | WS_GROUP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                      WS_EX_CLIENTEDGE, kListId, c.listWidth, 100);
    c.canvas = row.make(kCanvasClass, "", WS_TABSTOP | WS_GROUP | WS_HSCROLL | WS_VSCROLL,
                        WS_EX_CLIENTEDGE, kCanvasId, 100, 100);
}

// The controls, each as wide as its label needs in the font used: Japanese
// fonts differ in width between systems.
void MakeControls(Compare& c) {
    c.font.reset(picture_window::CreateMessageFont());
    // The up-down controls and the texts set here send EN_CHANGE: none of
    // it is the user's.
    c.settingControls = true;
    win::WindowDc dc(c.window);
    win::SelectGuard selectFont(dc.get(), c.font.get());
    TEXTMETRICA tm{};
    GetTextMetricsA(dc.get(), &tm);
    c.lineHeight = tm.tmHeight + 4;
    const int controlHeight = tm.tmHeight + 10;
    c.rowHeight = controlHeight + 6;
    ControlRow row{c, dc.get(), controlHeight};
    MakeViewButtons(row);
    row.x = 4;
    row.y = 4 + c.rowHeight;
    MakeOptionControls(row);
    row.x = 6;
    MakeResultControls(row);

    SetDlgItemInt(c.window, kToleranceId, static_cast<UINT>(c.options.tolerance), FALSE);
    SetDlgItemInt(c.window, kBandId, static_cast<UINT>(c.options.bandHeight), FALSE);
    SendMessageA(c.ignore, BM_SETCHECK, c.options.ignoreTop ? BST_CHECKED : BST_UNCHECKED, 0);
    EnableWindow(c.band, c.options.ignoreTop);
    EnableWindow(c.bandSpin, c.options.ignoreTop);
    c.settingControls = false;
}

bool IsCompareMessage(const MSG& message) {
    return current && message.hwnd &&
           (message.hwnd == current->window || IsChild(current->window, message.hwnd));
}

}  // namespace

bool ComparisonPicture(const char* recordPicture, std::string& shown) {
    shown.clear();
    const std::string picture = recordPicture;
    if (!isJpegName(picture.c_str()) && !isBmpName(picture.c_str()) && !isPngName(picture.c_str()))
        return false;
    const std::string sidecar = annotation::sidecarPath(picture);
    const bool sidecarExists = IsFile(sidecar);
    std::string bytes;
    if (sidecarExists && !win::ReadWholeFile(sidecar.c_str(), bytes, int64_t{64} << 20))
        bytes.clear();  // unreadable: taken as one that may hold a mask
    const std::string flattened = annotation::flattenedPath(picture);
    switch (annotation::choosePicture(sidecarExists, bytes, IsFile(flattened))) {
        case annotation::ExportChoice::original:
            shown = picture;
            break;
        case annotation::ExportChoice::flattened:
            shown = flattened;
            break;
        case annotation::ExportChoice::withheld:
            return false;
    }
    if (!IsFile(shown)) {
        shown.clear();
        return false;
    }
    return true;
}

HWND CompareWindowHandle() {
    return current ? current->window : nullptr;
}

bool OpenCompareWindow(HINSTANCE instance, HWND owner, const CompareRequest& request) {
    if (current)
        SendMessageA(current->window, WM_CLOSE, 0, 0);
    auto c = std::make_unique<Compare>();
    c->instance = instance;
    c->owner = owner;
    c->request = request;
    const std::string* failed = nullptr;
    if (!ComparisonPicture(request.firstPicture.c_str(), c->firstShown) ||
        !LoadPictureFile(c->firstShown, c->first) || c->first.empty())
        failed = &request.firstPicture;
    else if (!ComparisonPicture(request.secondPicture.c_str(), c->secondShown) ||
             !LoadPictureFile(c->secondShown, c->second) || c->second.empty())
        failed = &request.secondPicture;
    if (failed) {
        std::string text = "画像ファイルを読み込めませんでした。\r\n";
        text += *failed;
        ShowMessage(owner, text.c_str(), kCaption, MB_ICONERROR | MB_OK);
        return false;
    }
    Win32SettingsFiles files;
    c->options = compare_options::load(files, settingsStore.iniPath);
    c->stored = c->options;
    if (!picture_window::RegisterClasses(instance, kWindowClass, CompareProc, kCanvasClass,
                                         CanvasProc, 0))
        return false;
    std::string title = "比較 - ";
    title += FileNamePart(request.firstPicture);
    title += " ⇔ ";
    title += FileNamePart(request.secondPicture);
    // Big enough for a good part of two screens side by side.
    const int width = std::min(1200, GetSystemMetrics(SM_CXMAXIMIZED) - 16);
    const int height = std::min(820, GetSystemMetrics(SM_CYMAXIMIZED) - 16);
    Compare* raw = c.get();
    current = std::move(c);
    raw->window =
        CreateWindowExA(0, kWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, width, height, owner, nullptr, instance, nullptr);
    if (!raw->window) {
        current.reset();
        ShowMessage(owner, "比較の画面を開けませんでした。", kCaption, MB_ICONERROR | MB_OK);
        return false;
    }
    MakeControls(*raw);
    raw->setView(View::sideBySide);
    raw->recompute();
    raw->layout();
    ShowWindow(raw->window, SW_SHOWNORMAL);
    SetFocus(raw->canvas);
    return true;
}

bool TranslateCompareMessage(MSG& message) {
    if (!IsCompareMessage(message))
        return false;
    Compare& c = *current;
    if (message.message == WM_KEYDOWN) {
        const bool control = GetKeyState(VK_CONTROL) < 0;
        const WPARAM key = message.wParam;
        HWND focus = GetFocus();
        const bool inEdit = focus == c.tolerance || focus == c.band;
        if (key == VK_ESCAPE) {
            PostMessageA(c.window, WM_CLOSE, 0, 0);
            return true;
        }
        if (!control && !inEdit) {
            for (int i = 0; i < 3; ++i)
                if (key == static_cast<WPARAM>('1' + i) ||
                    key == static_cast<WPARAM>(VK_NUMPAD1 + i)) {
                    c.setView(kViews[i].view);
                    return true;
                }
        }
        if (key == VK_SPACE && !control && c.view == View::flicker &&
            (focus == c.canvas || focus == c.list)) {
            c.togglePause();
            return true;
        }
        if (focus == c.canvas && !control) {
            struct Scroll {
                WPARAM key;
                int bar;
                WPARAM code;
            };
            static const Scroll kScrolls[] = {
                {VK_LEFT, SB_HORZ, SB_LINEUP},  {VK_RIGHT, SB_HORZ, SB_LINEDOWN},
                {VK_UP, SB_VERT, SB_LINEUP},    {VK_DOWN, SB_VERT, SB_LINEDOWN},
                {VK_PRIOR, SB_VERT, SB_PAGEUP}, {VK_NEXT, SB_VERT, SB_PAGEDOWN},
                {VK_HOME, SB_VERT, SB_TOP},     {VK_END, SB_VERT, SB_BOTTOM},
            };
            for (const Scroll& s : kScrolls)
                if (key == s.key) {
                    ScrollBy(c, s.bar, s.code);
                    return true;
                }
        }
    }
    // The digits were the views' keys.
    if (message.message == WM_CHAR && message.hwnd == c.canvas)
        return true;
    if (IsDialogMessageA(c.window, &message))
        return true;
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return true;
}

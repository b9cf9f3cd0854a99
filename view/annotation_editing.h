// The annotation editor's commands, apart from its window: the tools and
// their keys, the selection, a drag that creates or edits an object, the
// arrows' nudge, the zoom and where the view is scrolled, undo and redo.
// Platform-free: the window reads the pointer and the keys, asks a Session,
// and paints and invalidates what it says changed; glyphs, dialogs and the
// files stay the window's.
#pragma once

#include <cstdint>

#include "picture/annotation.h"

namespace annotation_editing {

using annotation::Object;
using annotation::Point;
using annotation::Rect;

enum class Tool { select, rectangle, arrow, text, mark, highlight, mask, crop };

struct ToolButton {
    Tool tool;
    const char* label;
    char key;  // its virtual key, the letter marked in the label
};
constexpr ToolButton kTools[] = {
    {Tool::select, "選択(&V)", 'V'}, {Tool::rectangle, "枠(&R)", 'R'},
    {Tool::arrow, "矢印(&A)", 'A'},  {Tool::text, "文字(&T)", 'T'},
    {Tool::mark, "番号(&N)", 'N'},   {Tool::highlight, "強調(&H)", 'H'},
    {Tool::mask, "マスク(&M)", 'M'}, {Tool::crop, "切り抜き(&C)", 'C'},
};
constexpr int kToolCount = sizeof kTools / sizeof kTools[0];

// The kind of object a drawing tool makes (the select tool's is a frame's,
// never used).
annotation::Kind kindOf(Tool tool);

// The zoom's steps, in per cent.
constexpr int kZooms[] = {25, 33, 50, 67, 100, 150, 200, 300, 400};
// The step after `current` in `direction` (+1 in, -1 out), stopping at the
// ends; a zoom that is no step stays.
int zoomStep(int current, int direction);

// How the picture is shown on the canvas: at `zoom` per cent, its top-left
// corner `scrollX`, `scrollY` screen pixels above and left of the canvas's.
struct View {
    int zoom = 100;
    int scrollX = 0, scrollY = 0;

    Point toPicture(int x, int y) const;
    int toClientX(int32_t x) const;
    int toClientY(int32_t y) const;
    // How near the pointer must come to an object or a grip, in picture
    // pixels: about five screen pixels, never under three.
    int32_t tolerance() const;
    // Zooms to `percent` (brought within the steps) keeping the picture
    // point under `keepX`, `keepY` where it is; false when the zoom stays.
    bool zoomAbout(int percent, int keepX, int keepY);
};

// The picture point in the middle of what the canvas (clientWidth x
// clientHeight) shows of a picture of pictureWidth x pictureHeight: where a
// tool key and Enter put the object. A picture smaller than the canvas is
// drawn from its top-left corner, so the canvas's own middle may be off it.
Point visibleCentre(const View& view, int clientWidth, int clientHeight, int32_t pictureWidth,
                    int32_t pictureHeight);

// The smallest rectangle holding both (an empty one adds nothing).
Rect united(const Rect& a, const Rect& b);
// `r` grown by `by` on each side, within a picture of width x height.
Rect inflated(const Rect& r, int32_t by, int32_t width, int32_t height);

// Virtual keys, the platform's values.
constexpr int kKeyReturn = 0x0D;
constexpr int kKeyEscape = 0x1B;
constexpr int kKeyLeft = 0x25;
constexpr int kKeyUp = 0x26;
constexpr int kKeyRight = 0x27;
constexpr int kKeyDown = 0x28;
constexpr int kKeyDelete = 0x2E;
constexpr int kKeyZero = 0x30;
constexpr int kKeyNumpadZero = 0x60;
constexpr int kKeyAdd = 0x6B;
constexpr int kKeySubtract = 0x6D;
constexpr int kKeyOemPlus = 0xBB;
constexpr int kKeyOemMinus = 0xBD;
constexpr int kKeyOpenBracket = 0xDB;   // VK_OEM_4, '[' on US and Japanese keyboards
constexpr int kKeyCloseBracket = 0xDD;  // VK_OEM_6, ']'

struct KeyPress {
    int key = 0;
    bool control = false;
    bool shift = false;
    bool alt = false;  // the key came as WM_SYSKEYDOWN
};

// Where the focus was when the key went down.
enum class KeyPlace { canvas, widthList, otherControl };

enum class Command {
    none,  // not the editor's: the dialog navigation has it
    save,
    undo,
    redo,
    zoomReset,
    zoomIn,
    zoomOut,
    cancel,  // Esc: the drag, else the selection
    deleteSelected,
    chooseTool,
    nudge,   // the arrows: move, with Shift size
    create,  // Enter: a drawing tool's object in the middle, the select tool's text edited
    previousObject,
    nextObject,
};

struct KeyAction {
    Command command = Command::none;
    Tool tool = Tool::select;  // chooseTool
    int dx = 0, dy = 0;        // nudge
    bool resize = false;       // nudge with Shift
};

KeyAction editorKey(const KeyPress& press, KeyPlace place);

// The editing state of one picture's objects.
class Session {
  public:
    annotation::Document document;
    Tool tool = Tool::rectangle;
    int selected = -1;
    // The colour each kind of object is made in, by annotation::Kind.
    uint32_t colours[7] = {annotation::kRed, annotation::kRed,    annotation::kRed,
                           annotation::kRed, annotation::kYellow, annotation::kBlack,
                           annotation::kRed};
    int32_t lineWidth = 3;
    View view;

    enum class Drag { none, create, edit };
    Drag drag = Drag::none;
    // While a drag lasts: the object as shown, the one before an edit, and
    // the number a mark being dragged shows.
    Object preview, before;
    int previewNumber = 0;

    static constexpr int32_t kMarkRadius = 14;

    // A new object of the current tool, in the colour and line width chosen.
    Object newObject() const;

    // The tool changes; a selection goes with any tool but the select tool.
    // The area of the object no longer selected (empty when none).
    Rect chooseTool(Tool next);

    // What the button going down at `p` did.
    struct Press {
        Rect unselected;       // an object no longer selected, to paint again
        bool started = false;  // a drag began (preview set to nothing yet)
        int skip = -1;         // with an edit: the object to leave out of the picture
        Object shown;          // the drag's first look
    };
    Press press(Point p);
    // The drag's look with the pointer at `p`.
    Object draggedTo(Point p) const;
    // The preview becomes `next`, on a picture of width x height: the part
    // of the picture to paint again, what the old look leaves and the new
    // one takes, and whether the new one is on the picture at all.
    struct Repaint {
        Rect dirty;
        bool paintPreview = false;
    };
    Repaint movePreview(const Object& next, int32_t width, int32_t height);
    // The drag ends where the preview is: an edit replaces the object, a
    // creation large enough adds it (and selects it) or sets the crop.
    void finishDrag();
    // False when no drag was under way.
    bool cancelDrag();

    // Undo and redo, never while a drag lasts; the selection goes. False
    // when nothing changed.
    bool undo();
    bool redo();
    // The selection moves to the object above (forward) or below, round;
    // the last one when none was selected. False without objects.
    bool cycleSelection(bool forward);
    // The selected object moves by dx, dy, or with `resize` its end or
    // bottom-right corner does (a mark, a text or a stamp has no size to
    // change).
    bool nudge(int dx, int dy, bool resize);
    bool deleteSelected();

    // The object of the current drawing tool that a tool key and Enter put
    // at `centre`: 100 x 60, a mark of its radius.
    Object keyObject(Point centre) const;
    // It is added and selected (true, then the select tool is to be chosen),
    // or as a crop set.
    bool placeKeyObject(Point centre);

    // The kind whose colour the colour button sets: the selected object's,
    // else (and for a stamp, whose colours are the capture's) the current
    // tool's.
    annotation::Kind colourKind() const;
    // The kind's colour, and the selected object's when of that kind; a
    // stamp keeps its colours.
    bool setColour(annotation::Kind kind, uint32_t rgb);
    // The line width, and the selected frame's or arrow's.
    bool setLineWidth(int32_t width);

    // The selected object when it is a text (the select tool's Enter and
    // double click edit it), else -1.
    int selectedText() const;
    // A text object added, or put in place of `replaceIndex` keeping that
    // one's colour; it becomes the selection.
    bool putText(Object text, int replaceIndex);

  private:
    annotation::Handle handle_ = annotation::Handle::none;
    Point from_;
};

// Checked only where the platform's headers are already in.
#if defined(VK_OEM_4) && defined(VK_NUMPAD0)
static_assert(kKeyReturn == VK_RETURN && kKeyEscape == VK_ESCAPE && kKeyLeft == VK_LEFT &&
                  kKeyUp == VK_UP && kKeyRight == VK_RIGHT && kKeyDown == VK_DOWN &&
                  kKeyDelete == VK_DELETE && kKeyNumpadZero == VK_NUMPAD0 && kKeyAdd == VK_ADD &&
                  kKeySubtract == VK_SUBTRACT && kKeyOemPlus == VK_OEM_PLUS &&
                  kKeyOemMinus == VK_OEM_MINUS && kKeyOpenBracket == VK_OEM_4 &&
                  kKeyCloseBracket == VK_OEM_6,
              "virtual keys");
#endif

}  // namespace annotation_editing

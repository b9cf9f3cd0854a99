// The annotations of one picture: frames, arrows, texts, numbered marks,
// highlights, masks, a crop and the capture's stamp, kept apart from the picture, which is never
// written. Coordinates are the picture's pixels, (0, 0) its top-left
// corner, x to the right, y down. Platform-free; the editor window is
// view/annotation_editor_win.*.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace annotation {

// A stamp is written at the capture, not drawn by the user: when, by whom
// and for which test case the picture was taken. The editor moves and
// deletes it but never retypes it.
enum class Kind { rectangle, arrow, text, mark, highlight, mask, crop, stamp };

struct Point {
    int32_t x = 0, y = 0;
    bool operator==(const Point& o) const { return x == o.x && y == o.y; }
};

// right and bottom exclusive; empty when right <= left or bottom <= top.
struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool empty() const { return right <= left || bottom <= top; }
    bool operator==(const Rect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// Colours are 0xRRGGBB.
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kYellow = 0xFFFF00;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;

// The ranges an object's numbers keep; the sidecar refuses others.
constexpr int32_t kMaxCoordinate = 1 << 20;  // |x|, |y| at most this
constexpr int32_t kMinWidth = 1, kMaxWidth = 64;
constexpr int32_t kMinMarkRadius = 6, kMaxMarkRadius = 200;
constexpr int32_t kMinFontHeight = 6, kMaxFontHeight = 400;
constexpr std::size_t kMaxTextBytes = 4096, kMaxFaceBytes = 31;
constexpr std::size_t kMaxObjects = 10000;

struct Object {
    Kind kind = Kind::rectangle;
    // rectangle, highlight, mask, crop: two opposite corners, in any order
    //   (the box is normalized(a, b), b's row and column included);
    // arrow: a is the tail, b the head (the point);
    // text: a..b its box, top-left and bottom-right, as the editor measured
    //   it with the font (b included);
    // mark: a is the centre; b is not used (kept 0, 0);
    // stamp: a..b its box, as text's.
    Point a, b;
    uint32_t colour = kRed;
    // rectangle, arrow: the line width; mark: the circle's radius; others 0.
    int32_t width = 3;
    // text and stamp: the font's cell height in pixels, its face (CP932,
    // empty for the editor's default face) and the text (CP932; lines end in
    // CR LF); text only: the white balloon behind it.
    int32_t fontHeight = 0;
    std::string face;
    bool balloon = false;
    std::string text;
    // stamp only: the colour its box is filled with (colour is the text's).
    uint32_t background = 0;

    bool operator==(const Object& o) const;
};

// The box that an object covers on the picture, lines and arrow head
// included (for a mark: its circle; for text: its box, balloon border
// included). Used for hit testing and for the part to repaint.
Rect bounds(const Object& object);

// The box of two corners, both included.
Rect normalized(Point a, Point b);

// Where the pointer is on an object, for the select tool.
enum class Handle {
    none,
    move,  // anywhere on the object but a grip
    topLeft,
    top,
    topRight,
    right,
    bottomRight,
    bottom,
    bottomLeft,
    left,
    tail,  // an arrow's ends
    head,
};

// The grips of an object, to draw and to hit: the eight of a box
// (rectangle, highlight, mask, crop, text), an arrow's two ends, none for a
// mark or a stamp (they are only moved). Handles and points pair up in order.
std::vector<std::pair<Handle, Point>> grips(const Object& object);

// The object after the pointer went from `from` to `to` holding `handle`:
// moved, one side or corner resized, or one end of an arrow moved. A text
// or a stamp is only moved. A box never turns inside out: a side dragged past the
// other stops one pixel short of it.
Object dragged(const Object& object, Handle handle, Point from, Point to);

// One picture's objects, in z-order (the last drawn on top), with undo.
class Document {
  public:
    const std::vector<Object>& objects() const { return objects_; }
    std::size_t size() const { return objects_.size(); }

    // Each edit is one step of undo and clears redo. False (nothing done)
    // when the index is out of range or the document holds kMaxObjects.
    bool add(const Object& object);  // on top of all
    bool replace(std::size_t index, const Object& object);
    bool remove(std::size_t index);
    bool bringToFront(std::size_t index);
    bool sendToBack(std::size_t index);
    // A crop replaces any earlier crop (one step).
    bool setCrop(const Rect& box);

    bool undo();
    bool redo();
    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }

    // Takes objects read from a sidecar: no undo, not modified.
    void load(std::vector<Object> objects);
    // Changed since load or the last markSaved (an undo back to the saved
    // state counts as unchanged).
    bool modified() const;
    void markSaved();

    // The topmost object under the point, -1 when none. A rectangle or an
    // arrow is hit within `tolerance` pixels of its lines (not inside a
    // frame), the filled kinds (highlight, mask, text, mark, stamp) anywhere
    // inside too, a crop on its border only.
    int hitTest(Point point, int32_t tolerance) const;
    // The grip or body of object `index` under the point; Handle::none
    // when the object is not there.
    Handle handleAt(std::size_t index, Point point, int32_t tolerance) const;

    // The number drawn in mark `index`: 1 + the marks below it.
    int markNumber(std::size_t index) const;

  private:
    std::vector<Object> objects_;
    std::vector<std::vector<Object>> undo_, redo_;
    // Steps of undo since the saved state: 0 when the objects are the saved
    // ones; negative after undoing past it; no way back after an edit there.
    long savedAt_ = 0;
    bool savedReachable_ = true;
    void push();
};

// The indices of objects in the order they are painted: all but the masks,
// the stamps and the crop in z-order, then every stamp, so that no drawing
// hides when and for which case the picture was taken, then every mask, so
// that nothing is ever painted over a mask.
std::vector<std::size_t> paintOrder(const std::vector<Object>& objects);

// The part of a width x height picture that a flattened picture keeps: the
// last crop's box cut to the picture, or the whole picture when there is
// no crop or the cut leaves nothing.
Rect keptArea(const std::vector<Object>& objects, int32_t width, int32_t height);

bool hasMask(const std::vector<Object>& objects);

}  // namespace annotation

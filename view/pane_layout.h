// Placement of the main window's panes: the tab control, the page containers,
// and on the history page the list pane above the image frame with the image
// view inside it. Platform-free: the window side reads sizes and system
// metrics, asks these functions, and moves the windows where they say.
//
// Widths and heights that come out negative (a window shrunk below its
// borders) are given as 0, which is what the platform makes of them anyway.
#pragma once

// WM_NCHITTEST results, the platform's values.
constexpr int kHtLeft = 10;
constexpr int kHtRight = 11;
constexpr int kHtTop = 12;
constexpr int kHtTopLeft = 13;
constexpr int kHtTopRight = 14;
constexpr int kHtBottom = 15;
constexpr int kHtBottomLeft = 16;
constexpr int kHtBottomRight = 17;
constexpr int kHtBorder = 18;

// A window's place in its parent's client area.
struct PaneRect {
    int x, y, width, height;
};

// The tab control in the main window's client area (clientWidth x
// clientHeight), below the toolbar and above the status bar, whose client
// heights are given; cyFrame is SM_CYFRAME, cyEdge SM_CYEDGE.
PaneRect tabControlRect(int clientWidth, int clientHeight, int toolbarHeight, int statusHeight,
                        int cyFrame, int cyEdge);

// Both page containers inside a tab control whose window size is tabWidth x
// tabHeight, under a header of 3 x cyFrame + fontHeight (the tab font's
// tmHeight).
PaneRect pageContainerRect(int tabWidth, int tabHeight, int cyFrame, int fontHeight);

// The history page's split for a container of containerWidth x
// containerHeight. The first layout (layoutDone false) halves the page, the
// list taking the odd pixel. Later layouts keep the frame's current height
// (frameHeight) against the bottom, and split in half again when the page has
// become too low for it, or when the frame would lie wholly below the page (a
// frame left shorter than its border by an earlier tiny page could otherwise
// never be seen or dragged again). The frame reaches 4 x cyFrame past both sides and
// cyFrame past the bottom, so that only its top edge shows.
struct ImagePageLayout {
    PaneRect frame;
    // Only the first layout places the list pane itself; later it follows the
    // view's re-layout (listPaneRectAboveFrame).
    bool placeListPane;
    PaneRect listPane;
};
ImagePageLayout layoutImagePage(int containerWidth, int containerHeight, int cyFrame,
                                int frameHeight, bool layoutDone);

// The image view inside a frame whose window size is frameWidth x frameHeight
// (cxFrame is SM_CXFRAME): at (3 x cxFrame, 0), 8 x cxFrame narrower and
// 2 x cxFrame lower than the frame.
PaneRect viewRectInFrame(int frameWidth, int frameHeight, int cxFrame);

// The list pane at the container's top-left, taking what the frame (of window
// height frameHeight, cxFrame of it below the container) leaves.
PaneRect listPaneRectAboveFrame(int containerWidth, int containerHeight, int frameHeight,
                                int cxFrame);

// WM_GETMINMAXINFO answers, for a page container of containerWidth x
// containerHeight. A maximum below the minimum (a tiny page) is raised to it.
struct TrackLimits {
    int minWidth, minHeight, maxWidth, maxHeight;
};
// The image frame: at least 10 frame widths each way, at most the container
// plus its hidden sides wide and 10 frame heights short of the container high.
TrackLimits frameTrackLimits(int containerWidth, int containerHeight, int cxFrame, int cyFrame);
// The list pane: as the frame's minimum plus a horizontal scroll bar's height
// (hScrollHeight, SM_CYHSCROLL); at most the container's width.
TrackLimits listPaneTrackLimits(int containerWidth, int containerHeight, int cxFrame, int cyFrame,
                                int hScrollHeight);
// The image view: the frame's minimum; at most the container's width.
TrackLimits viewTrackLimits(int containerWidth, int containerHeight, int cxFrame, int cyFrame);

// The frame's and the view's WM_NCHITTEST answer for the default one: the top
// edge and its corners size vertically, every other edge is a plain border;
// any other result passes unchanged.
int mapEdgeHitTest(int hit);

// Checked only where the platform's headers are already in.
#if defined(HTLEFT) && defined(HTBORDER)
static_assert(kHtLeft == HTLEFT && kHtRight == HTRIGHT && kHtTop == HTTOP &&
                  kHtTopLeft == HTTOPLEFT && kHtTopRight == HTTOPRIGHT && kHtBottom == HTBOTTOM &&
                  kHtBottomLeft == HTBOTTOMLEFT && kHtBottomRight == HTBOTTOMRIGHT &&
                  kHtBorder == HTBORDER,
              "hit-test codes");
#endif

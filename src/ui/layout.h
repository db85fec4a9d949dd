// Layout of the main dialog: anchored controls that follow the dialog's size,
// a minimum size for sizing drags and snapping to the screen edges.
// This is the pure arithmetic; layout_win32.h reads and moves the windows.
#ifndef QUORVEL_LAYOUT_H
#define QUORVEL_LAYOUT_H

#include <stdint.h>

// Anchor bits of LayoutEntry::flags; each acts by itself.
enum : uint32_t {
    ANCHOR_GROW_WIDTH = 1,  // width grows by the horizontal delta
    ANCHOR_GROW_HEIGHT = 2, // height grows by the vertical delta
    ANCHOR_MOVE_X = 4,      // left edge moves by the horizontal delta
    ANCHOR_MOVE_Y = 8,      // top edge moves by the vertical delta
};

// A dialog closer than this to a snapping line is pulled onto it.
enum { SNAP_DISTANCE = 20 };

// Edge codes of a sizing drag; the same values as the platform's WMSZ_* codes.
enum : uint32_t {
    SIZING_LEFT = 1,
    SIZING_RIGHT = 2,
    SIZING_TOP = 3,
    SIZING_TOPLEFT = 4,
    SIZING_TOPRIGHT = 5,
    SIZING_BOTTOM = 6,
    SIZING_BOTTOMLEFT = 7,
    SIZING_BOTTOMRIGHT = 8,
};

// Sort workspace: one slot per control entry of the layout table. A table with
// more control entries is clipped: only its first LAYOUT_WORKSPACE control
// entries are laid out, the rest are never moved.
enum { LAYOUT_WORKSPACE = 7 };
// A relayout moves each control at most twice (width pass, height pass).
enum { LAYOUT_MAX_MOVES = 2 * LAYOUT_WORKSPACE };

// Pixels; right and bottom exclusive. Same layout as the platform's RECT.
struct LayoutRect {
    int32_t left, top, right, bottom;
};

// One row of the layout table. Entry 0 is the dialog itself (control id 0):
// its window rectangle in screen coordinates at capture. Entries 1 and up are
// controls: their window rectangles in the dialog's client coordinates.
struct LayoutEntry {
    int32_t controlId;
    int32_t left, top, right, bottom;
    uint32_t flags;
};

// The main dialog's table: the dialog, the status bar, the three long edits
// and the Info, Start and Exit buttons. All rectangles are 0 until capture.
extern LayoutEntry LayoutTable[];
extern const uint16_t LayoutCount; // 8, entry 0 included

// Geometry that is not in the table. Widths and heights are unsigned.
struct LayoutState {
    uint32_t minWidth, minHeight;   // dialog window size at capture; 0 before
    uint32_t lastWidth, lastHeight; // size after the previous relayout; 0 = the captured size
    bool captured;                  // set by LayoutSetReference
};

// The program's one instance, used by the Win32 layer.
extern LayoutState g_layout;

// One control move, in the dialog's client coordinates.
struct LayoutMove {
    int32_t controlId;
    int32_t x, y, width, height;
};

// The ordered moves of one relayout.
struct LayoutMoves {
    LayoutMove move[LAYOUT_MAX_MOVES];
    uint16_t count;
};

// Records the dialog's window rectangle as entry 0 of the table and its size as
// the minimum, and marks the state captured. The last width and height are
// left alone.
void LayoutSetReference(LayoutState* state, LayoutEntry* table, const LayoutRect* dialog);

// Where a control entry goes for a horizontal delta dx and a vertical delta dy.
// Nothing is clamped: width and height may come out zero or negative.
LayoutMove LayoutPlace(const LayoutEntry* entry, int32_t dx, int32_t dy);

// One relayout for the dialog's window size width x height: a width pass (if
// the width changed) ordered by captured left edge, then a height pass (if the
// height changed) ordered by captured top edge; each pass runs from the far
// side when growing and from the near side when shrinking. Fills moves in the
// order the controls are to be moved and updates state->lastWidth/lastHeight.
// A table of count 0 has no reference: nothing is done.
void LayoutRelayout(LayoutState* state, const LayoutEntry* table, uint16_t count, uint32_t width,
                    uint32_t height, LayoutMoves* moves);

// Keeps a proposed window rectangle of a sizing drag on the dragged edge(s) at
// or above the minimum size. Sizes are unsigned differences, so a rectangle
// turned inside out counts as large and is not corrected. Unknown edges
// change nothing.
void LayoutClampRect(uint32_t edge, LayoutRect* rect, uint32_t minWidth, uint32_t minHeight);

// Outcome of the snap rule: move == false leaves the dialog where it is.
struct LayoutSnapResult {
    bool move;
    int32_t x, y; // new top-left corner in screen coordinates when move
};

// Pulls a window rectangle onto the lines x = 0, y = 0, x = screenWidth and
// y = screenHeight when an edge lies within SNAP_DISTANCE - 1 pixels of them;
// the right and bottom lines win over the left and top ones.
LayoutSnapResult LayoutSnap(const LayoutRect* window, int32_t screenWidth, int32_t screenHeight);

#endif

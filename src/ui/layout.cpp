// Pure layout arithmetic: placement rule, ordered relayout passes, sizing clamp
// and edge snapping. No platform header; the Win32 layer feeds it rectangles.
#include "ui/layout.h"

#include <algorithm>

#include "resources/resource.h"

LayoutEntry LayoutTable[] = {
    {0, 0, 0, 0, 0, 0},
    {IDC_STATUS, 0, 0, 0, 0, ANCHOR_GROW_WIDTH | ANCHOR_GROW_HEIGHT | ANCHOR_MOVE_Y},
    {IDC_OUTPUT_FILE, 0, 0, 0, 0, ANCHOR_GROW_WIDTH},
    {IDC_URL, 0, 0, 0, 0, ANCHOR_GROW_WIDTH},
    {IDC_DOWNLOAD_TO, 0, 0, 0, 0, ANCHOR_GROW_WIDTH},
    {IDC_INFO, 0, 0, 0, 0, ANCHOR_MOVE_Y},
    {IDC_START, 0, 0, 0, 0, ANCHOR_MOVE_X | ANCHOR_MOVE_Y},
    {IDC_EXIT, 0, 0, 0, 0, ANCHOR_MOVE_X | ANCHOR_MOVE_Y},
};

const uint16_t LayoutCount = sizeof(LayoutTable) / sizeof(LayoutTable[0]);

static_assert(sizeof(LayoutTable) / sizeof(LayoutTable[0]) - 1 <= LAYOUT_WORKSPACE,
              "the sort workspace must hold every control entry of the layout table");

LayoutState g_layout;

// Window coordinates wrap like the platform's 32-bit arithmetic instead of
// overflowing, whatever rectangle comes in.
static int32_t wrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

static int32_t wrapSub(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

static uint32_t extent(int32_t low, int32_t high) {
    return static_cast<uint32_t>(high) - static_cast<uint32_t>(low);
}

// Signed distance between two lines, as an absolute value without overflow.
static int64_t distance(int32_t a, int32_t b) {
    int64_t d = static_cast<int64_t>(a) - static_cast<int64_t>(b);
    return d < 0 ? -d : d;
}

void LayoutSetReference(LayoutState* state, LayoutEntry* table, const LayoutRect* dialog) {
    table[0].left = dialog->left;
    table[0].top = dialog->top;
    table[0].right = dialog->right;
    table[0].bottom = dialog->bottom;
    state->minWidth = extent(dialog->left, dialog->right);
    state->minHeight = extent(dialog->top, dialog->bottom);
    state->captured = true;
}

LayoutMove LayoutPlace(const LayoutEntry* entry, int32_t dx, int32_t dy) {
    LayoutMove m;
    m.controlId = entry->controlId;
    m.x = entry->left;
    m.y = entry->top;
    m.width = wrapSub(entry->right, entry->left);
    m.height = wrapSub(entry->bottom, entry->top);
    if (entry->flags & ANCHOR_MOVE_X)
        m.x = wrapAdd(m.x, dx);
    if (entry->flags & ANCHOR_MOVE_Y)
        m.y = wrapAdd(m.y, dy);
    if (entry->flags & ANCHOR_GROW_WIDTH)
        m.width = wrapAdd(m.width, dx);
    if (entry->flags & ANCHOR_GROW_HEIGHT)
        m.height = wrapAdd(m.height, dy);
    return m;
}

// One pass: the control entries sorted by their captured left (or top) edge,
// far side first when growing so that a control moves away before the one
// behind it follows, near side first when shrinking.
static void runPass(const LayoutEntry* table, uint16_t controls, bool byTop, bool ascending,
                    int32_t dx, int32_t dy, LayoutMoves* moves) {
    const LayoutEntry* slot[LAYOUT_WORKSPACE];
    for (uint16_t i = 0; i < controls; i++)
        slot[i] = &table[i + 1];
    std::sort(slot, slot + controls,
              [byTop, ascending](const LayoutEntry* a, const LayoutEntry* b) {
                  int32_t ka = byTop ? a->top : a->left;
                  int32_t kb = byTop ? b->top : b->left;
                  return ascending ? ka < kb : ka > kb;
              });
    for (uint16_t i = 0; i < controls && moves->count < LAYOUT_MAX_MOVES; i++)
        moves->move[moves->count++] = LayoutPlace(slot[i], dx, dy);
}

void LayoutRelayout(LayoutState* state, const LayoutEntry* table, uint16_t count, uint32_t width,
                    uint32_t height, LayoutMoves* moves) {
    moves->count = 0;
    if (count == 0)
        return;
    uint16_t controls = count - 1;
    if (controls > LAYOUT_WORKSPACE)
        controls = LAYOUT_WORKSPACE;

    uint32_t w0 = extent(table[0].left, table[0].right);
    uint32_t h0 = extent(table[0].top, table[0].bottom);
    if (state->lastWidth == 0)
        state->lastWidth = w0;
    if (state->lastHeight == 0)
        state->lastHeight = h0;

    // The width pass keeps the previous vertical delta; the height pass then
    // uses both new deltas, so every control ends where the rule puts it.
    if (width != state->lastWidth)
        runPass(table, controls, false, width < state->lastWidth, static_cast<int32_t>(width - w0),
                static_cast<int32_t>(state->lastHeight - h0), moves);
    state->lastWidth = width;
    if (height != state->lastHeight)
        runPass(table, controls, true, height < state->lastHeight,
                static_cast<int32_t>(state->lastWidth - w0), static_cast<int32_t>(height - h0),
                moves);
    state->lastHeight = height;
}

void LayoutClampRect(uint32_t edge, LayoutRect* rect, uint32_t minWidth, uint32_t minHeight) {
    bool right = edge == SIZING_RIGHT || edge == SIZING_TOPRIGHT || edge == SIZING_BOTTOMRIGHT;
    bool left = edge == SIZING_LEFT || edge == SIZING_TOPLEFT || edge == SIZING_BOTTOMLEFT;
    bool bottom = edge == SIZING_BOTTOM || edge == SIZING_BOTTOMLEFT || edge == SIZING_BOTTOMRIGHT;
    bool top = edge == SIZING_TOP || edge == SIZING_TOPLEFT || edge == SIZING_TOPRIGHT;

    // The dragged edge stops at the minimum; the opposite edge stays.
    if (right && extent(rect->left, rect->right) < minWidth)
        rect->right = wrapAdd(rect->left, static_cast<int32_t>(minWidth));
    if (left && extent(rect->left, rect->right) < minWidth)
        rect->left = wrapSub(rect->right, static_cast<int32_t>(minWidth));
    if (bottom && extent(rect->top, rect->bottom) < minHeight)
        rect->bottom = wrapAdd(rect->top, static_cast<int32_t>(minHeight));
    if (top && extent(rect->top, rect->bottom) < minHeight)
        rect->top = wrapSub(rect->bottom, static_cast<int32_t>(minHeight));
}

LayoutSnapResult LayoutSnap(const LayoutRect* window, int32_t screenWidth, int32_t screenHeight) {
    int32_t width = wrapSub(window->right, window->left);
    int32_t height = wrapSub(window->bottom, window->top);
    LayoutSnapResult r = {false, window->left, window->top};
    if (distance(window->left, 0) < SNAP_DISTANCE) {
        r.x = 0;
        r.move = true;
    }
    if (distance(window->top, 0) < SNAP_DISTANCE) {
        r.y = 0;
        r.move = true;
    }
    // Checked after the left and top lines so that these win.
    if (distance(screenWidth, window->right) < SNAP_DISTANCE) {
        r.x = wrapSub(screenWidth, width);
        r.move = true;
    }
    if (distance(screenHeight, window->bottom) < SNAP_DISTANCE) {
        r.y = wrapSub(screenHeight, height);
        r.move = true;
    }
    return r;
}

// Thin Win32 layer of the dialog layout: reads window rectangles and metrics,
// lets the pure rules decide, and issues the moves.
#include "ui/layout_win32.h"

#include <stddef.h>

HWND g_layoutDialog = NULL;

static_assert(SIZING_LEFT == WMSZ_LEFT && SIZING_RIGHT == WMSZ_RIGHT && SIZING_TOP == WMSZ_TOP &&
                  SIZING_TOPLEFT == WMSZ_TOPLEFT && SIZING_TOPRIGHT == WMSZ_TOPRIGHT &&
                  SIZING_BOTTOM == WMSZ_BOTTOM && SIZING_BOTTOMLEFT == WMSZ_BOTTOMLEFT &&
                  SIZING_BOTTOMRIGHT == WMSZ_BOTTOMRIGHT,
              "sizing edge codes must match WMSZ_*");

static_assert(sizeof(LayoutRect) == sizeof(RECT) &&
                  offsetof(LayoutRect, left) == offsetof(RECT, left) &&
                  offsetof(LayoutRect, top) == offsetof(RECT, top) &&
                  offsetof(LayoutRect, right) == offsetof(RECT, right) &&
                  offsetof(LayoutRect, bottom) == offsetof(RECT, bottom),
              "LayoutRect must have the layout of RECT");

static LayoutRect fromRect(const RECT& r) {
    LayoutRect lr = {r.left, r.top, r.right, r.bottom};
    return lr;
}

// Messages arrive before WM_INITDIALOG too (the size and move messages of the
// window's creation); nothing is read or moved until the geometry is captured.
static bool readDialogRect(LayoutRect* out) {
    RECT r;
    if (!g_layout.captured || g_layoutDialog == NULL || !GetWindowRect(g_layoutDialog, &r))
        return false;
    *out = fromRect(r);
    return true;
}

void LayoutCapture() {
    RECT r;
    if (g_layoutDialog == NULL || !GetWindowRect(g_layoutDialog, &r))
        return;
    LayoutRect dialog = fromRect(r);
    LayoutSetReference(&g_layout, LayoutTable, &dialog);
    LayoutCaptureControls(LayoutTable, LayoutCount);
}

void LayoutCaptureControls(LayoutEntry* table, uint16_t count) {
    for (uint16_t i = 1; i < count; i++) {
        HWND control = GetDlgItem(g_layoutDialog, table[i].controlId);
        RECT r;
        if (control == NULL || !GetWindowRect(control, &r))
            continue;
        POINT topLeft = {r.left, r.top};
        POINT bottomRight = {r.right, r.bottom};
        ScreenToClient(g_layoutDialog, &topLeft);
        ScreenToClient(g_layoutDialog, &bottomRight);
        table[i].left = topLeft.x;
        table[i].top = topLeft.y;
        table[i].right = bottomRight.x;
        table[i].bottom = bottomRight.y;
    }
}

void LayoutApply(LayoutEntry* table, uint16_t count) {
    LayoutRect dialog;
    if (!readDialogRect(&dialog))
        return;
    uint32_t width = static_cast<uint32_t>(dialog.right) - static_cast<uint32_t>(dialog.left);
    uint32_t height = static_cast<uint32_t>(dialog.bottom) - static_cast<uint32_t>(dialog.top);
    LayoutMoves moves;
    LayoutRelayout(&g_layout, table, count, width, height, &moves);
    for (uint16_t i = 0; i < moves.count; i++) {
        const LayoutMove& m = moves.move[i];
        HWND control = GetDlgItem(g_layoutDialog, m.controlId);
        if (control != NULL)
            MoveWindow(control, m.x, m.y, m.width, m.height, TRUE);
    }
    // The dialog has no WS_CLIPCHILDREN, so erasing its grown background can
    // paint over controls that were already drawn at their new places during a
    // sizing drag; one repaint of the whole dialog after the moves puts them back.
    if (moves.count > 0)
        RedrawWindow(g_layoutDialog, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void ClampSizing(WPARAM edge, RECT* rect) {
    if (rect == NULL)
        return;
    // Edge codes are small; anything beyond 32 bits is no edge at all.
    uint32_t code = static_cast<uint32_t>(edge) == edge ? static_cast<uint32_t>(edge) : 0;
    LayoutRect r = fromRect(*rect);
    LayoutClampRect(code, &r, g_layout.minWidth, g_layout.minHeight);
    rect->left = r.left;
    rect->top = r.top;
    rect->right = r.right;
    rect->bottom = r.bottom;
}

void SnapToScreenEdges() {
    LayoutRect dialog;
    if (!readDialogRect(&dialog))
        return;
    LayoutSnapResult snap =
        LayoutSnap(&dialog, GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN));
    // A dialog already flush with its line is not moved again: the same
    // placement, and no further WM_MOVE from a move to the same place.
    if (!snap.move || (snap.x == dialog.left && snap.y == dialog.top))
        return;
    int width = static_cast<int>(static_cast<uint32_t>(dialog.right) - dialog.left);
    int height = static_cast<int>(static_cast<uint32_t>(dialog.bottom) - dialog.top);
    MoveWindow(g_layoutDialog, snap.x, snap.y, width, height, TRUE);
}

BOOL LayoutMessageProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZING:
        ClampSizing(wParam, reinterpret_cast<RECT*>(lParam));
        return TRUE;
    case WM_SIZE:
        LayoutApply(LayoutTable, LayoutCount);
        return FALSE;
    case WM_MOVE:
        SnapToScreenEdges();
        return TRUE;
    default:
        return FALSE;
    }
}

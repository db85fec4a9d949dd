// Win32 side of the dialog layout: captures the main dialog's geometry and
// moves its windows as the pure rules in layout.h say.
#ifndef QUORVEL_LAYOUT_WIN32_H
#define QUORVEL_LAYOUT_WIN32_H

#include <windows.h>

#include "ui/layout.h"

// The main dialog; its code sets this before calling LayoutCapture.
extern HWND g_layoutDialog;

// Records the dialog's window rectangle as the reference and minimum size and
// captures the controls of LayoutTable. Called once, at WM_INITDIALOG, before
// the saved window rectangle is applied.
void LayoutCapture();

// Fills the rectangles of entries 1 to count - 1 from the live controls, in the
// dialog's client coordinates. An id that names no control keeps its entry.
void LayoutCaptureControls(LayoutEntry* table, uint16_t count);

// Places the anchored controls for the dialog's current window size.
void LayoutApply(LayoutEntry* table, uint16_t count);

// WM_SIZING: keeps the proposed window rectangle at or above the captured size
// on the dragged edge(s).
void ClampSizing(WPARAM edge, RECT* rect);

// WM_MOVE: pulls the dialog onto a nearby edge of the primary screen.
void SnapToScreenEdges();

// Handler for every message that the main dialog procedure leaves alone:
// WM_SIZING (TRUE), WM_SIZE (FALSE), WM_MOVE (TRUE); anything else FALSE.
BOOL LayoutMessageProc(UINT message, WPARAM wParam, LPARAM lParam);

#endif

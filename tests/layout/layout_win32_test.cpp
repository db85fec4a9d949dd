// The Win32 layout layer on a real resizable dialog: capture, relayout on
// resizing, the sizing clamp and snapping on moves, checked against the pure rules.
#include "ui/layout_win32.h"

#include <gtest/gtest.h>

#include <vector>

#include "resources/resource.h"

namespace {

// In-memory dialog template: the main dialog's anchored controls at their
// template rectangles (dialog units), one control that is not anchored, and a
// plain static standing in for the status bar.
class DialogTemplate {
  public:
    DialogTemplate() {
        dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX |
              WS_VISIBLE);
        dword(0);
        countAt_ = words_.size();
        word(0);
        rect(135, 86, 249, 180);
        word(0); // no menu
        word(0); // standard dialog class
        text(L"Layout");
    }

    void item(WORD id, WORD classAtom, DWORD style, short x, short y, short cx, short cy) {
        if (words_.size() % 2)
            word(0); // each item starts on a DWORD boundary
        dword(style | WS_CHILD | WS_VISIBLE);
        dword(0);
        rect(x, y, cx, cy);
        word(id);
        word(0xFFFF);
        word(classAtom);
        word(0); // no text
        word(0); // no creation data
        words_[countAt_]++;
    }

    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

  private:
    void word(WORD w) { words_.push_back(w); }
    void dword(DWORD d) {
        word(LOWORD(d));
        word(HIWORD(d));
    }
    void rect(short x, short y, short cx, short cy) {
        word(static_cast<WORD>(x));
        word(static_cast<WORD>(y));
        word(static_cast<WORD>(cx));
        word(static_cast<WORD>(cy));
    }
    void text(const wchar_t* s) {
        do
            word(static_cast<WORD>(*s));
        while (*s++);
    }

    std::vector<WORD> words_;
    size_t countAt_;
};

enum : WORD { BUTTON_ATOM = 0x80, EDIT_ATOM = 0x81, STATIC_ATOM = 0x82 };

// The dialog procedure of the main dialog, reduced to its layout duties.
INT_PTR CALLBACK testDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        g_layoutDialog = dialog;
        LayoutCapture();
        return TRUE;
    }
    return LayoutMessageProc(message, wParam, lParam);
}

void pumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Polls, pumping messages, until done() holds or five seconds have passed;
// then pumps once more so that a late window-manager event cannot hide behind it.
template <typename Done> bool waitFor(Done done) {
    DWORD start = GetTickCount();
    for (;;) {
        pumpMessages();
        if (done()) {
            pumpMessages();
            return done();
        }
        if (GetTickCount() - start > 5000)
            return false;
        MsgWaitForMultipleObjects(0, NULL, FALSE, 20, QS_ALLINPUT);
    }
}

RECT windowRect(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

// A control's window rectangle in the dialog's client coordinates.
RECT controlRect(HWND dialog, int id) {
    RECT r = windowRect(GetDlgItem(dialog, id));
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool sameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

testing::AssertionResult rectIs(const RECT& actual, const RECT& expected) {
    if (sameRect(actual, expected))
        return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << "rect " << actual.left << "," << actual.top << "," << actual.right << ","
           << actual.bottom << " expected " << expected.left << "," << expected.top << ","
           << expected.right << "," << expected.bottom;
}

// One dialog for all cases: under Xvfb without a window manager, Wine waits
// two seconds for every destroyed top-level window to be withdrawn. Each case
// starts from the captured rectangle, where every control is back on its
// captured place.
class LayoutDialog : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        // The dialog starts from the program's uncaptured state.
        g_layout = LayoutState();
        for (uint16_t i = 0; i < LayoutCount; i++)
            LayoutTable[i].left = LayoutTable[i].top = LayoutTable[i].right =
                LayoutTable[i].bottom = 0;
        g_layoutDialog = NULL;

        DialogTemplate tmpl;
        const DWORD edit = ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
        const DWORD button = BS_PUSHBUTTON | WS_TABSTOP;
        tmpl.item(IDC_URL, EDIT_ATOM, edit, 55, 8, 187, 12);
        tmpl.item(IDC_DOWNLOAD_TO, EDIT_ATOM, edit, 55, 26, 187, 12);
        tmpl.item(IDC_OUTPUT_FILE, EDIT_ATOM, edit, 55, 44, 187, 12);
        tmpl.item(IDC_BROWSE, BUTTON_ATOM, button, 10, 43, 37, 15);
        tmpl.item(IDC_INFO, BUTTON_ATOM, button, 11, 144, 45, 15);
        tmpl.item(IDC_START, BUTTON_ATOM, button, 141, 144, 45, 15);
        tmpl.item(IDC_EXIT, BUTTON_ATOM, button, 196, 144, 45, 15);
        tmpl.item(IDC_STATUS, STATIC_ATOM, SS_LEFT, 0, 166, 249, 14);

        dialog_ =
            CreateDialogIndirectParamA(GetModuleHandleA(NULL), tmpl.get(), NULL, testDialogProc, 0);
        if (dialog_ == NULL)
            return;
        waitFor([] { return IsWindowVisible(dialog_) != FALSE; });
        captured_ = windowRect(dialog_);
        browse_ = controlRect(dialog_, IDC_BROWSE);
    }

    static void TearDownTestSuite() {
        if (dialog_ != NULL)
            DestroyWindow(dialog_);
        pumpMessages();
        dialog_ = NULL;
        g_layoutDialog = NULL;
    }

    void SetUp() override {
        ASSERT_NE(dialog_, (HWND)NULL);
        MoveWindow(dialog_, captured_.left, captured_.top, capturedWidth(), capturedHeight(), TRUE);
        ASSERT_TRUE(waitFor([] { return sameRect(windowRect(dialog_), captured_); }));
    }

    static int capturedWidth() { return captured_.right - captured_.left; }
    static int capturedHeight() { return captured_.bottom - captured_.top; }

    // Resizes the dialog in place and waits until the platform reports the size.
    bool resize(int width, int height) {
        RECT now = windowRect(dialog_);
        MoveWindow(dialog_, now.left, now.top, width, height, TRUE);
        return waitFor([&] {
            RECT r = windowRect(dialog_);
            return r.right - r.left == width && r.bottom - r.top == height;
        });
    }

    // Every anchored control stands where the rule puts it for the dialog's
    // current size; the control outside the table has not moved.
    void expectControlsFollowTheRule() {
        RECT r = windowRect(dialog_);
        int32_t dx = (r.right - r.left) - capturedWidth();
        int32_t dy = (r.bottom - r.top) - capturedHeight();
        for (uint16_t i = 1; i < LayoutCount; i++) {
            LayoutMove m = LayoutPlace(&LayoutTable[i], dx, dy);
            RECT expected = {m.x, m.y, m.x + m.width, m.y + m.height};
            EXPECT_TRUE(rectIs(controlRect(dialog_, m.controlId), expected))
                << "control " << m.controlId << " dx " << dx << " dy " << dy;
        }
        EXPECT_TRUE(rectIs(controlRect(dialog_, IDC_BROWSE), browse_));
    }

    static HWND dialog_;
    static RECT captured_; // the dialog's window rectangle at capture
    static RECT browse_;   // a control outside the table, in client coordinates
};

HWND LayoutDialog::dialog_ = NULL;
RECT LayoutDialog::captured_ = {};
RECT LayoutDialog::browse_ = {};

TEST_F(LayoutDialog, CaptureRecordsTheDialogAndItsControls) {
    EXPECT_EQ(g_layoutDialog, dialog_);
    EXPECT_TRUE(g_layout.captured);
    EXPECT_EQ(g_layout.minWidth, static_cast<uint32_t>(capturedWidth()));
    EXPECT_EQ(g_layout.minHeight, static_cast<uint32_t>(capturedHeight()));
    RECT dialogEntry = {LayoutTable[0].left, LayoutTable[0].top, LayoutTable[0].right,
                        LayoutTable[0].bottom};
    EXPECT_TRUE(rectIs(dialogEntry, captured_));
    for (uint16_t i = 1; i < LayoutCount; i++) {
        const LayoutEntry& e = LayoutTable[i];
        RECT entry = {e.left, e.top, e.right, e.bottom};
        EXPECT_TRUE(rectIs(entry, controlRect(dialog_, e.controlId))) << "control " << e.controlId;
        EXPECT_GT(e.right - e.left, 0) << "control " << e.controlId;
    }
}

TEST_F(LayoutDialog, ResizingPlacesTheAnchoredControls) {
    const int w0 = capturedWidth(), h0 = capturedHeight();

    ASSERT_TRUE(resize(w0 + 100, h0 + 40));
    expectControlsFollowTheRule();
    // Spelled out for this size: edits wider, buttons and status bar lower.
    const LayoutEntry& url = LayoutTable[3];
    ASSERT_EQ(url.controlId, IDC_URL);
    RECT r = controlRect(dialog_, IDC_URL);
    EXPECT_EQ(r.right - r.left, url.right - url.left + 100);
    const LayoutEntry& exitEntry = LayoutTable[7];
    ASSERT_EQ(exitEntry.controlId, IDC_EXIT);
    r = controlRect(dialog_, IDC_EXIT);
    EXPECT_EQ(r.left, exitEntry.left + 100);
    EXPECT_EQ(r.top, exitEntry.top + 40);

    // Width only, height only, both at once, smaller than captured.
    const int sizes[][2] = {
        {w0 + 30, h0 + 40}, {w0 + 30, h0 + 90}, {w0 - 40, h0 - 25}, {w0 + 150, h0 + 10}};
    for (const auto& s : sizes) {
        SCOPED_TRACE(testing::Message() << "size " << s[0] << "x" << s[1]);
        ASSERT_TRUE(resize(s[0], s[1]));
        expectControlsFollowTheRule();
    }

    // Back at the captured size every control is exactly where the template put it.
    ASSERT_TRUE(resize(w0, h0));
    for (uint16_t i = 1; i < LayoutCount; i++) {
        const LayoutEntry& e = LayoutTable[i];
        RECT captured = {e.left, e.top, e.right, e.bottom};
        EXPECT_TRUE(rectIs(controlRect(dialog_, e.controlId), captured))
            << "control " << e.controlId;
    }
}

TEST_F(LayoutDialog, SizingDragIsHeldAtTheCapturedSize) {
    struct Case {
        WPARAM edge;
        bool widthClamped, heightClamped;
    };
    const Case cases[] = {
        {WMSZ_RIGHT, true, false}, {WMSZ_LEFT, true, false},       {WMSZ_BOTTOM, false, true},
        {WMSZ_TOP, false, true},   {WMSZ_BOTTOMRIGHT, true, true}, {WMSZ_TOPLEFT, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "edge " << c.edge);
        RECT proposed = {300, 200, 400, 260};
        LayoutRect expected = {proposed.left, proposed.top, proposed.right, proposed.bottom};
        LayoutClampRect(static_cast<uint32_t>(c.edge), &expected, capturedWidth(),
                        capturedHeight());
        SendMessageA(dialog_, WM_SIZING, c.edge, reinterpret_cast<LPARAM>(&proposed));
        RECT expectedRect = {expected.left, expected.top, expected.right, expected.bottom};
        EXPECT_TRUE(rectIs(proposed, expectedRect));
        EXPECT_EQ(proposed.right - proposed.left == capturedWidth(), c.widthClamped);
        EXPECT_EQ(proposed.bottom - proposed.top == capturedHeight(), c.heightClamped);
    }
}

TEST_F(LayoutDialog, MessageProcResults) {
    RECT proposed = {0, 0, 10, 10};
    EXPECT_EQ(LayoutMessageProc(WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&proposed)),
              TRUE);
    EXPECT_EQ(proposed.right, capturedWidth());
    EXPECT_EQ(LayoutMessageProc(WM_SIZE, 0, 0), FALSE);
    EXPECT_EQ(LayoutMessageProc(WM_MOVE, 0, 0), TRUE);
    EXPECT_EQ(LayoutMessageProc(WM_PAINT, 0, 0), FALSE);
    EXPECT_EQ(LayoutMessageProc(WM_NULL, 0, 0), FALSE);
    // Nothing was snapped or laid out away from the template.
    EXPECT_TRUE(rectIs(windowRect(dialog_), captured_));
}

TEST_F(LayoutDialog, MovesNearScreenEdgesSnap) {
    const int cx = GetSystemMetrics(SM_CXFULLSCREEN), cy = GetSystemMetrics(SM_CYFULLSCREEN);
    const int w = capturedWidth(), h = capturedHeight();
    struct Case {
        const char* name;
        int x, y;
        bool snaps;
    };
    const Case cases[] = {
        {"near left", 10, 300, true},
        {"past left", -15, 300, true},
        {"near top", 300, 12, true},
        {"near right", cx - w + 7, 300, true},
        {"near bottom", 300, cy - h - 9, true},
        {"near corner", cx - w - 3, -6, true},
        {"free", 300, 300, false},
        {"just outside the distance", 20, 300, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LayoutRect requested = {c.x, c.y, c.x + w, c.y + h};
        LayoutSnapResult snap = LayoutSnap(&requested, cx, cy);
        ASSERT_EQ(snap.move, c.snaps);
        RECT expected = {c.x, c.y, c.x + w, c.y + h};
        if (snap.move)
            expected = {snap.x, snap.y, snap.x + w, snap.y + h};
        MoveWindow(dialog_, c.x, c.y, w, h, TRUE);
        EXPECT_TRUE(waitFor([&] { return sameRect(windowRect(dialog_), expected); }))
            << rectIs(windowRect(dialog_), expected).message();
    }
    // Moves never resize, so the controls stay where the captured size puts them.
    expectControlsFollowTheRule();
}

} // namespace

// Pure layout rules: placement, relayout passes, sizing clamp and snapping.
#include "ui/layout.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "resources/resource.h"

namespace {

// The main dialog as captured at a typical 96-dpi template size: window
// 390 x 330 at 202,140; controls in client coordinates.
const LayoutRect kDialog = {202, 140, 592, 470};
const uint32_t W0 = 390, H0 = 330;

struct Captured {
    int32_t id;
    LayoutRect rect;
};
const Captured kControls[] = {
    {IDC_STATUS, {0, 271, 374, 291}}, {IDC_OUTPUT_FILE, {82, 71, 362, 91}},
    {IDC_URL, {82, 13, 362, 33}},     {IDC_DOWNLOAD_TO, {82, 42, 362, 62}},
    {IDC_INFO, {16, 234, 84, 258}},   {IDC_START, {211, 234, 279, 258}},
    {IDC_EXIT, {294, 234, 362, 258}},
};

// A copy of the program's table, captured as above; the program's own table
// stays untouched.
struct Fixture {
    std::vector<LayoutEntry> table;
    LayoutState state = {};
};

Fixture captured() {
    Fixture f;
    f.table.assign(LayoutTable, LayoutTable + LayoutCount);
    LayoutSetReference(&f.state, f.table.data(), &kDialog);
    for (LayoutEntry& e : f.table)
        for (const Captured& c : kControls)
            if (e.controlId == c.id) {
                e.left = c.rect.left;
                e.top = c.rect.top;
                e.right = c.rect.right;
                e.bottom = c.rect.bottom;
            }
    return f;
}

const LayoutEntry& entryOf(const Fixture& f, int32_t id) {
    for (const LayoutEntry& e : f.table)
        if (e.controlId == id)
            return e;
    ADD_FAILURE() << "no entry for control " << id;
    return f.table[0];
}

LayoutMoves relayout(Fixture& f, uint32_t width, uint32_t height) {
    LayoutMoves moves;
    LayoutRelayout(&f.state, f.table.data(), static_cast<uint16_t>(f.table.size()), width, height,
                   &moves);
    return moves;
}

// The last move of a control within one relayout; count receives how often it moved.
LayoutMove lastMoveOf(const LayoutMoves& moves, int32_t id, int* count) {
    LayoutMove last = {};
    *count = 0;
    for (uint16_t i = 0; i < moves.count; i++)
        if (moves.move[i].controlId == id) {
            last = moves.move[i];
            ++*count;
        }
    return last;
}

void expectMove(const LayoutMove& m, int32_t x, int32_t y, int32_t width, int32_t height) {
    EXPECT_EQ(m.x, x) << "control " << m.controlId;
    EXPECT_EQ(m.y, y) << "control " << m.controlId;
    EXPECT_EQ(m.width, width) << "control " << m.controlId;
    EXPECT_EQ(m.height, height) << "control " << m.controlId;
}

bool sameMove(const LayoutMove& a, const LayoutMove& b) {
    return a.controlId == b.controlId && a.x == b.x && a.y == b.y && a.width == b.width &&
           a.height == b.height;
}

TEST(LayoutTable, HoldsTheDialogAndSevenAnchoredControlsUncaptured) {
    struct Row {
        int32_t id;
        uint32_t flags;
    };
    const Row rows[] = {
        {0, 0},
        {IDC_STATUS, ANCHOR_GROW_WIDTH | ANCHOR_GROW_HEIGHT | ANCHOR_MOVE_Y},
        {IDC_OUTPUT_FILE, ANCHOR_GROW_WIDTH},
        {IDC_URL, ANCHOR_GROW_WIDTH},
        {IDC_DOWNLOAD_TO, ANCHOR_GROW_WIDTH},
        {IDC_INFO, ANCHOR_MOVE_Y},
        {IDC_START, ANCHOR_MOVE_X | ANCHOR_MOVE_Y},
        {IDC_EXIT, ANCHOR_MOVE_X | ANCHOR_MOVE_Y},
    };
    ASSERT_EQ(LayoutCount, sizeof(rows) / sizeof(rows[0]));
    for (uint16_t i = 0; i < LayoutCount; i++) {
        SCOPED_TRACE(i);
        EXPECT_EQ(LayoutTable[i].controlId, rows[i].id);
        EXPECT_EQ(LayoutTable[i].flags, rows[i].flags);
        EXPECT_EQ(LayoutTable[i].left | LayoutTable[i].top | LayoutTable[i].right |
                      LayoutTable[i].bottom,
                  0);
    }
    EXPECT_FALSE(g_layout.captured);
    EXPECT_EQ(g_layout.minWidth | g_layout.minHeight | g_layout.lastWidth | g_layout.lastHeight,
              0u);
}

TEST(LayoutCapture, RecordsReferenceAndMinimumButNotLastSize) {
    std::vector<LayoutEntry> table(LayoutTable, LayoutTable + LayoutCount);
    LayoutState state = {};
    state.lastWidth = 500;
    state.lastHeight = 400;
    LayoutSetReference(&state, table.data(), &kDialog);
    EXPECT_TRUE(state.captured);
    EXPECT_EQ(state.minWidth, W0);
    EXPECT_EQ(state.minHeight, H0);
    EXPECT_EQ(state.lastWidth, 500u);
    EXPECT_EQ(state.lastHeight, 400u);
    EXPECT_EQ(table[0].left, kDialog.left);
    EXPECT_EQ(table[0].top, kDialog.top);
    EXPECT_EQ(table[0].right, kDialog.right);
    EXPECT_EQ(table[0].bottom, kDialog.bottom);
    EXPECT_EQ(table[1].right, 0); // controls are captured from the windows, not here
}

TEST(LayoutPlace, EachAnchorBitActsByItself) {
    struct Case {
        uint32_t flags;
        int32_t dx, dy;
        LayoutMove expected; // id, x, y, width, height
    };
    // Entry at 10,20 sized 100 x 30.
    const Case cases[] = {
        {0, 50, 40, {7, 10, 20, 100, 30}},
        {ANCHOR_GROW_WIDTH, 50, 40, {7, 10, 20, 150, 30}},
        {ANCHOR_GROW_HEIGHT, 50, 40, {7, 10, 20, 100, 70}},
        {ANCHOR_MOVE_X, 50, 40, {7, 60, 20, 100, 30}},
        {ANCHOR_MOVE_Y, 50, 40, {7, 10, 60, 100, 30}},
        {ANCHOR_GROW_WIDTH | ANCHOR_GROW_HEIGHT | ANCHOR_MOVE_Y, 50, 40, {7, 10, 60, 150, 70}},
        {ANCHOR_MOVE_X | ANCHOR_MOVE_Y, 50, 40, {7, 60, 60, 100, 30}},
        {15, -5, -8, {7, 5, 12, 95, 22}},
        // Not clamped: sizes go to zero and below as computed.
        {ANCHOR_GROW_WIDTH | ANCHOR_GROW_HEIGHT, -100, -45, {7, 10, 20, 0, -15}},
        {ANCHOR_MOVE_X | ANCHOR_MOVE_Y, -30, -50, {7, -20, -30, 100, 30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "flags " << c.flags << " dx " << c.dx << " dy " << c.dy);
        LayoutEntry e = {7, 10, 20, 110, 50, c.flags};
        LayoutMove m = LayoutPlace(&e, c.dx, c.dy);
        EXPECT_EQ(m.controlId, 7);
        expectMove(m, c.expected.x, c.expected.y, c.expected.width, c.expected.height);
    }
}

TEST(LayoutRelayout, FirstRelayoutAtCapturedSizeMovesNothing) {
    Fixture f = captured();
    LayoutMoves moves = relayout(f, W0, H0);
    EXPECT_EQ(moves.count, 0);
    EXPECT_EQ(f.state.lastWidth, W0);
    EXPECT_EQ(f.state.lastHeight, H0);
}

TEST(LayoutRelayout, WiderAndTallerMovesEachControlTwiceToItsAnchoredPlace) {
    Fixture f = captured();
    LayoutMoves moves = relayout(f, W0 + 100, H0 + 40);
    EXPECT_EQ(moves.count, 14);
    EXPECT_EQ(f.state.lastWidth, W0 + 100);
    EXPECT_EQ(f.state.lastHeight, H0 + 40);

    struct Expect {
        int32_t id;
        int32_t x, y, width, height;
    };
    const Expect expected[] = {
        {IDC_STATUS, 0, 311, 474, 60}, {IDC_OUTPUT_FILE, 82, 71, 380, 20},
        {IDC_URL, 82, 13, 380, 20},    {IDC_DOWNLOAD_TO, 82, 42, 380, 20},
        {IDC_INFO, 16, 274, 68, 24},   {IDC_START, 311, 274, 68, 24},
        {IDC_EXIT, 394, 274, 68, 24},
    };
    for (const Expect& e : expected) {
        int count;
        LayoutMove m = lastMoveOf(moves, e.id, &count);
        EXPECT_EQ(count, 2) << "control " << e.id;
        expectMove(m, e.x, e.y, e.width, e.height);
    }
}

// Each pass runs from the far side when the dialog grows and from the near side
// when it shrinks, so the captured key is monotonic along the moves.
TEST(LayoutRelayout, PassOrderFollowsTheCapturedEdges) {
    struct Case {
        const char* name;
        int32_t dw, dh;
        bool byTop, ascending;
        int32_t first, last; // a control that must come first / last
    };
    const Case cases[] = {
        {"wider", 60, 0, false, false, IDC_EXIT, IDC_STATUS},
        {"narrower", -60, 0, false, true, IDC_STATUS, IDC_EXIT},
        {"taller", 0, 60, true, false, IDC_STATUS, IDC_URL},
        {"shorter", 0, -60, true, true, IDC_URL, IDC_STATUS},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f = captured();
        LayoutMoves moves = relayout(f, W0 + c.dw, H0 + c.dh);
        ASSERT_EQ(moves.count, 7);
        EXPECT_EQ(moves.move[0].controlId, c.first);
        EXPECT_EQ(moves.move[6].controlId, c.last);
        for (uint16_t i = 1; i < moves.count; i++) {
            const LayoutEntry& a = entryOf(f, moves.move[i - 1].controlId);
            const LayoutEntry& b = entryOf(f, moves.move[i].controlId);
            int32_t ka = c.byTop ? a.top : a.left, kb = c.byTop ? b.top : b.left;
            EXPECT_TRUE(c.ascending ? ka <= kb : ka >= kb) << "move " << i;
        }
    }
}

TEST(LayoutRelayout, WideningMovesExitBeforeStartBeforeTheEdits) {
    Fixture f = captured();
    LayoutMoves moves = relayout(f, W0 + 60, H0);
    auto position = [&](int32_t id) {
        for (uint16_t i = 0; i < moves.count; i++)
            if (moves.move[i].controlId == id)
                return static_cast<int>(i);
        return -1;
    };
    EXPECT_LT(position(IDC_EXIT), position(IDC_START));
    for (int32_t edit : {IDC_URL, IDC_DOWNLOAD_TO, IDC_OUTPUT_FILE})
        EXPECT_LT(position(IDC_START), position(edit));
}

TEST(LayoutRelayout, BothDimensionsWidthPassKeepsPreviousVerticalDelta) {
    Fixture f = captured();
    relayout(f, W0 + 30, H0 + 10);
    LayoutMoves moves = relayout(f, W0 - 20, H0 + 50);
    ASSERT_EQ(moves.count, 14);
    for (uint16_t i = 0; i < 7; i++) {
        const LayoutEntry& e = entryOf(f, moves.move[i].controlId);
        EXPECT_TRUE(sameMove(moves.move[i], LayoutPlace(&e, -20, 10))) << "width move " << i;
    }
    for (uint16_t i = 7; i < 14; i++) {
        const LayoutEntry& e = entryOf(f, moves.move[i].controlId);
        EXPECT_TRUE(sameMove(moves.move[i], LayoutPlace(&e, -20, 50))) << "height move " << i;
    }
}

TEST(LayoutRelayout, SmallerThanCapturedUsesNegativeDeltasUnclamped) {
    Fixture f = captured();
    const int32_t sizes[][2] = {{-50, -30}, {-400, -300}, {-100, 20}};
    for (const auto& s : sizes) {
        SCOPED_TRACE(testing::Message() << s[0] << "," << s[1]);
        LayoutMoves moves = relayout(f, W0 + s[0], H0 + s[1]);
        for (size_t i = 1; i < f.table.size(); i++) {
            int count;
            LayoutMove m = lastMoveOf(moves, f.table[i].controlId, &count);
            EXPECT_GE(count, 1);
            EXPECT_TRUE(sameMove(m, LayoutPlace(&f.table[i], s[0], s[1])));
        }
    }
    // Far below the captured size the status bar's size comes out negative and
    // is passed on as it is.
    LayoutMoves far = relayout(f, W0 - 400, H0 - 300);
    int count;
    LayoutMove status = lastMoveOf(far, IDC_STATUS, &count);
    EXPECT_EQ(count, 2);
    expectMove(status, 0, -29, -26, -280);
}

// Replays the moves of many relayouts onto a model of the controls: after each
// one every control stands where the rule puts it for the current size, and
// back at the captured size every control is exactly on its captured rectangle.
TEST(LayoutRelayout, RandomWalkOfSizesLeavesNoDrift) {
    Fixture f = captured();
    std::vector<LayoutMove> shown;
    for (size_t i = 1; i < f.table.size(); i++)
        shown.push_back(LayoutPlace(&f.table[i], 0, 0));

    std::mt19937 random(12345);
    std::uniform_int_distribution<int32_t> delta(-300, 300);
    for (int step = 0; step <= 2000; step++) {
        // Some steps change only one dimension, some return to the captured size.
        int32_t dw = step % 5 == 1 ? static_cast<int32_t>(f.state.lastWidth - W0) : delta(random);
        int32_t dh = step % 5 == 2 ? static_cast<int32_t>(f.state.lastHeight - H0) : delta(random);
        if (step % 7 == 0 || step == 2000)
            dw = dh = 0;
        LayoutMoves moves = relayout(f, W0 + dw, H0 + dh);
        for (uint16_t m = 0; m < moves.count; m++)
            for (LayoutMove& s : shown)
                if (s.controlId == moves.move[m].controlId)
                    s = moves.move[m];
        for (size_t i = 1; i < f.table.size(); i++)
            ASSERT_TRUE(sameMove(shown[i - 1], LayoutPlace(&f.table[i], dw, dh)))
                << "step " << step << " control " << f.table[i].controlId;
    }
    for (size_t i = 1; i < f.table.size(); i++) {
        const LayoutEntry& e = f.table[i];
        expectMove(shown[i - 1], e.left, e.top, e.right - e.left, e.bottom - e.top);
    }
}

TEST(LayoutRelayout, TablesOfOtherSizesStayWithinTheWorkspace) {
    // More control entries than workspace slots: only the first ones are laid out.
    std::vector<LayoutEntry> big(1 + LAYOUT_WORKSPACE + 5);
    big[0] = {0, 0, 0, 400, 300, 0};
    for (size_t i = 1; i < big.size(); i++)
        big[i] = {static_cast<int32_t>(1000 + i),
                  static_cast<int32_t>(i * 10),
                  0,
                  static_cast<int32_t>(i * 10 + 5),
                  5,
                  ANCHOR_MOVE_X};
    LayoutState state = {};
    LayoutMoves moves;
    LayoutRelayout(&state, big.data(), static_cast<uint16_t>(big.size()), 450, 350, &moves);
    EXPECT_EQ(moves.count, 2 * LAYOUT_WORKSPACE);
    for (uint16_t i = 0; i < moves.count; i++)
        EXPECT_LE(moves.move[i].controlId, 1000 + LAYOUT_WORKSPACE);

    // Only the dialog: nothing to move, but the size is remembered.
    state = {};
    LayoutRelayout(&state, big.data(), 1, 450, 350, &moves);
    EXPECT_EQ(moves.count, 0);
    EXPECT_EQ(state.lastWidth, 450u);
    EXPECT_EQ(state.lastHeight, 350u);

    // No entry at all: no reference, nothing changes.
    state = {};
    LayoutRelayout(&state, big.data(), 0, 450, 350, &moves);
    EXPECT_EQ(moves.count, 0);
    EXPECT_EQ(state.lastWidth, 0u);
    EXPECT_EQ(state.lastHeight, 0u);
}

TEST(LayoutClampRect, DraggedEdgeStopsAtTheMinimum) {
    // Minimum 390 x 330; the proposed rectangle is 200 x 150.
    struct Case {
        uint32_t edge;
        LayoutRect in, out;
    };
    const LayoutRect small = {100, 100, 300, 250};
    const Case cases[] = {
        {SIZING_RIGHT, small, {100, 100, 490, 250}},
        {SIZING_LEFT, small, {-90, 100, 300, 250}},
        {SIZING_BOTTOM, small, {100, 100, 300, 430}},
        {SIZING_TOP, small, {100, -80, 300, 250}},
        {SIZING_TOPRIGHT, small, {100, -80, 490, 250}},
        {SIZING_BOTTOMRIGHT, small, {100, 100, 490, 430}},
        {SIZING_TOPLEFT, small, {-90, -80, 300, 250}},
        {SIZING_BOTTOMLEFT, small, {-90, 100, 300, 430}},
        // Unknown edge codes change nothing.
        {0, small, small},
        {9, small, small},
        {0x10001, small, small},
        // At or above the minimum nothing changes.
        {SIZING_BOTTOMRIGHT, {0, 0, 390, 330}, {0, 0, 390, 330}},
        {SIZING_TOPLEFT, {-50, -50, 500, 500}, {-50, -50, 500, 500}},
        // Corner with only one dimension too small.
        {SIZING_BOTTOMLEFT, {0, 0, 500, 100}, {0, 0, 500, 330}},
        // Inside out: the unsigned size is huge, so nothing is corrected.
        {SIZING_RIGHT, {300, 100, 100, 250}, {300, 100, 100, 250}},
        {SIZING_LEFT, {300, 100, 100, 250}, {300, 100, 100, 250}},
        {SIZING_BOTTOM, {100, 250, 300, 100}, {100, 250, 300, 100}},
        {SIZING_TOP, {100, 250, 300, 100}, {100, 250, 300, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "edge " << c.edge << " rect " << c.in.left << ","
                                        << c.in.top << "," << c.in.right << "," << c.in.bottom);
        LayoutRect r = c.in;
        LayoutClampRect(c.edge, &r, W0, H0);
        EXPECT_EQ(r.left, c.out.left);
        EXPECT_EQ(r.top, c.out.top);
        EXPECT_EQ(r.right, c.out.right);
        EXPECT_EQ(r.bottom, c.out.bottom);
    }
}

TEST(LayoutSnap, EdgesWithinNineteenPixelsOfALineSnap) {
    // Full-screen area 1280 x 994; window 300 x 200 unless stated.
    struct Case {
        const char* name;
        LayoutRect window;
        bool move;
        int32_t x, y;
    };
    const Case cases[] = {
        {"left 19", {19, 400, 319, 600}, true, 0, 400},
        {"left -19", {-19, 400, 281, 600}, true, 0, 400},
        {"left 20", {20, 400, 320, 600}, false, 20, 400},
        {"left -20", {-20, 400, 280, 600}, false, -20, 400},
        {"top 19", {400, 19, 700, 219}, true, 400, 0},
        {"top -19", {400, -19, 700, 181}, true, 400, 0},
        {"top 20", {400, 20, 700, 220}, false, 400, 20},
        {"top -20", {400, -20, 700, 180}, false, 400, -20},
        {"right 19 inside", {961, 400, 1261, 600}, true, 980, 400},
        {"right 19 outside", {999, 400, 1299, 600}, true, 980, 400},
        {"right 20 inside", {960, 400, 1260, 600}, false, 960, 400},
        {"right 20 outside", {1000, 400, 1300, 600}, false, 1000, 400},
        {"bottom 19 inside", {400, 775, 700, 975}, true, 400, 794},
        {"bottom 19 outside", {400, 813, 700, 1013}, true, 400, 794},
        {"bottom 20 inside", {400, 774, 700, 974}, false, 400, 774},
        {"bottom 20 outside", {400, 814, 700, 1014}, false, 400, 814},
        {"corner top-left", {-5, 7, 295, 207}, true, 0, 0},
        {"corner bottom-right", {985, 800, 1285, 1000}, true, 980, 794},
        {"right wins over left", {5, 400, 1275, 600}, true, 10, 400},
        {"bottom wins over top", {400, -3, 700, 987}, true, 400, 4},
        {"already flush", {0, 0, 300, 200}, true, 0, 0},
        {"nowhere near", {400, 400, 700, 600}, false, 400, 400},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LayoutSnapResult r = LayoutSnap(&c.window, 1280, 994);
        EXPECT_EQ(r.move, c.move);
        if (r.move) {
            EXPECT_EQ(r.x, c.x);
            EXPECT_EQ(r.y, c.y);
        }
    }
}

// A snap's own move brings a further move message: repeating the rule on its
// result changes the position at most twice and then holds it.
TEST(LayoutSnap, RepeatedSnappingSettlesAfterAtMostTwoChanges) {
    const int32_t cx = 1280, cy = 994;
    int twice = 0;
    for (int32_t width : {300, 1250, 1262, 1275, 1300})
        for (int32_t left = -60; left <= cx + 60; left += 3) {
            LayoutRect w = {left, 400, left + width, 600};
            int changes = 0;
            for (int round = 0; round < 5; round++) {
                LayoutSnapResult r = LayoutSnap(&w, cx, cy);
                if (!r.move || (r.x == w.left && r.y == w.top))
                    continue;
                ++changes;
                w = {r.x, r.y, r.x + width, r.y + 200};
            }
            EXPECT_LE(changes, 2) << "width " << width << " left " << left;
            if (changes == 2)
                ++twice;
        }
    EXPECT_GT(twice, 0); // the walk does reach the two-step case
}

} // namespace

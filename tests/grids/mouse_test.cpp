// Mouse input: grab zones and sizing, presses, dragging columns, automatic
// scrolling while selecting, hot fixed cells.
#include <gtest/gtest.h>

#include <algorithm>

#include "grids/grid_timer.h"
#include "test_grid.h"

using namespace grids;
using grids::test::TTestGrid;

namespace {
constexpr TGridShift None{};

TGridOptions WithSizing(const TTestGrid& g) { return g.Options() + TGridOptions{goColSizing, goRowSizing}; }
} // namespace

// Column 1 ends at x = 129 (its line); the zone runs from 3 pixels before
// the edge to 4 after it: 126..132.
TEST(GridMouse, GrabZones)
{
    struct Case {
        int x, y;
        TGridState state;
        int32_t index;
        int pos;
    } cases[] = {
        {125, 10, gsNormal, -1, 0},    {126, 10, gsColSizing, 1, 129}, {129, 10, gsColSizing, 1, 129},
        {132, 10, gsColSizing, 1, 129}, {133, 10, gsNormal, -1, 0},    {191, 10, gsColSizing, 2, 194},
        {62, 10, gsNormal, -1, 0},     // the fixed column's own edge is not a grab zone
        {129, 40, gsNormal, -1, 0},    // below the fixed rows: no column sizing
        {10, 46, gsRowSizing, 1, 49},  {10, 52, gsRowSizing, 1, 49},  {10, 53, gsNormal, -1, 0},
        {10, 45, gsNormal, -1, 0},     {317, 10, gsColSizing, 4, 320}, // the zone before the client edge
    };
    TTestGrid g;
    g.SetOptions(WithSizing(g));
    for (const Case& c : cases) {
        const TGridModel::TSizingHit h = g.CalcSizingState(c.x, c.y);
        EXPECT_EQ(h.State, c.state) << c.x << "," << c.y;
        EXPECT_EQ(h.Index, c.index) << c.x << "," << c.y;
        if (c.state != gsNormal) {
            EXPECT_EQ(h.Pos, c.pos) << c.x << "," << c.y;
            EXPECT_EQ(h.Ofs, c.pos - (c.state == gsColSizing ? c.x : c.y));
        }
        EXPECT_EQ(g.Sizing(c.x, c.y), c.state != gsNormal);
    }
    TTestGrid plain; // without the sizing options nothing is a grab zone
    EXPECT_EQ(plain.CalcSizingState(129, 10).State, gsNormal);
}

TEST(GridMouse, WidthNeverBelowTwoPixels)
{
    struct Case {
        int releaseX;
        int32_t width;
    } cases[] = {{67, 2}, {66, 64}, {65, 64}, {30, 64}, {-500, 64}, {200, 135}, {129, 64}};
    for (const Case& c : cases) {
        TTestGrid g;
        g.SetOptions(WithSizing(g));
        g.MouseDown(mbLeft, None, 129, 10);
        ASSERT_EQ(g.GridState(), gsColSizing);
        g.MouseMove(None, c.releaseX, 10);
        g.MouseUp(mbLeft, None, c.releaseX, 10);
        EXPECT_EQ(g.ColWidths(1), c.width) << c.releaseX;
        EXPECT_EQ(g.GridState(), gsNormal);
        EXPECT_EQ(g.SizingLineDraws % 2, 0) << "the exclusive-or line is erased";
    }
}

TEST(GridMouse, RowSizingKeepsTheGrabOffset)
{
    TTestGrid g;
    g.SetOptions(WithSizing(g));
    g.MouseDown(mbLeft, None, 10, 47); // 2 pixels above the edge at 49
    ASSERT_EQ(g.GridState(), gsRowSizing);
    g.MouseMove(None, 10, 67);
    g.MouseUp(mbLeft, None, 10, 67);
    EXPECT_EQ(g.RowHeights(1), 44);
}

TEST(GridMouse, PressInAGrabZoneNeverMovesTheCurrentCell)
{
    TTestGrid g;
    g.SetOptions(WithSizing(g) + TGridOptions{goColMoving, goRowMoving});
    g.MoveCurrent(2, 2, true, true);
    for (auto [x, y] : {std::pair{129, 10}, std::pair{10, 49}, std::pair{318, 5}}) {
        g.MouseDown(mbLeft, {true, false, false}, x, y);
        EXPECT_TRUE(g.GridState() == gsColSizing || g.GridState() == gsRowSizing) << x << "," << y;
        EXPECT_EQ(g.Current(), (TGridCoord{2, 2}));
        EXPECT_EQ(g.Selection(), (TGridRect{2, 2, 2, 2}));
        g.MouseUp(mbLeft, None, x, y);
        EXPECT_EQ(g.Current(), (TGridCoord{2, 2}));
    }
    EXPECT_TRUE(g.MovedColumns.empty());
}

TEST(GridMouse, DraggingColumns)
{
    TTestGrid g;
    g.SetOptions(g.Options() + TGridOptions{goColMoving});
    g.MouseDown(mbLeft, None, 100, 10, false, 1000);
    ASSERT_EQ(g.GridState(), gsColMoving);
    EXPECT_EQ(g.MoveIndex(), 1);
    EXPECT_TRUE(g.TimerRunning());
    g.MouseUp(mbLeft, None, 100, 10); // dropped on itself
    EXPECT_TRUE(g.MovedColumns.empty());
    EXPECT_EQ(g.GridState(), gsNormal);
    EXPECT_FALSE(g.TimerRunning());
    EXPECT_EQ(g.MarkerDraws % 2, 0);

    g.MouseDown(mbLeft, None, 100, 10);
    g.MouseMove(None, 210, 40); // over column 3
    EXPECT_EQ(g.MovePos(), 3);
    g.MouseUp(mbLeft, None, 210, 40);
    ASSERT_EQ(g.MovedColumns.size(), 1u);
    EXPECT_EQ(g.MovedColumns[0], std::make_pair(1, 3));
    EXPECT_EQ(g.MarkerDraws % 2, 0);
}

TEST(GridMouse, PressesOnScrollingCells)
{
    TTestGrid g;
    g.MouseDown(mbLeft, None, 140, 60); // cell (2, 2)
    EXPECT_EQ(g.GridState(), gsSelecting);
    EXPECT_EQ(g.Current(), (TGridCoord{2, 2}));
    g.MouseMove(None, 210, 80); // drag to (3, 3)
    EXPECT_EQ(g.Selection(), (TGridRect{2, 2, 3, 3}));
    EXPECT_EQ(g.Current(), (TGridCoord{2, 2}));
    g.MouseUp(mbLeft, None, 210, 80);
    EXPECT_EQ(g.GridState(), gsNormal);
    g.MouseDown(mbLeft, {true, false, false}, 80, 30); // Shift: extends to (1, 1)
    EXPECT_EQ(g.Selection(), (TGridRect{1, 1, 2, 2}));
    g.MouseUp(mbLeft, None, 80, 30);

    TTestGrid e; // with editing a click moves the current cell and collapses the selection
    e.SetOptions(e.Options() + TGridOptions{goEditing});
    e.KeyDown(keys::VK_DOWN, {true, false, false});
    e.MouseDown(mbLeft, {true, false, false}, 140, 60);
    EXPECT_EQ(e.Selection(), (TGridRect{2, 2, 2, 2}));
    EXPECT_EQ(e.GridState(), gsNormal);
    e.MouseDown(mbLeft, None, 140, 60); // the current cell again: the editor opens
    EXPECT_TRUE(e.EditorMode());
}

TEST(GridMouse, AutoScrollSteps)
{
    struct Case {
        int64_t start, now, done, due;
    } cases[] = {{0, 0, 0, 0}, {0, 59, 0, 0}, {0, 60, 0, 1}, {0, 119, 1, 0}, {0, 600, 3, 7},
                 {100, 50, 0, 0}, {1000, 1180, 0, 3}};
    for (const Case& c : cases)
        EXPECT_EQ(AutoScrollStepsDue(c.start, c.now, c.done), c.due) << c.now;
}

// Holding the button below the last fully visible row extends the selection
// by one row every 60 ms, scrolling as needed.
TEST(GridMouse, AutoScrollWhileSelecting)
{
    struct Case {
        int64_t at;
        int32_t anchorRow, topRow;
    } cases[] = {{5030, 1, 1}, {5060, 2, 1}, {5119, 2, 1}, {5120, 3, 1}, {5240, 5, 3}, {5600, 11, 9}};
    TTestGrid g;
    g.SetRowCount(20);
    g.MouseDown(mbLeft, None, 100, 30, false, 5000);
    ASSERT_EQ(g.GridState(), gsSelecting);
    for (const Case& c : cases) {
        g.TimerElapsed(c.at, 100, 118);
        EXPECT_EQ(g.Anchor().Y, c.anchorRow) << c.at;
        EXPECT_EQ(g.TopRow(), c.topRow) << c.at;
        EXPECT_EQ(g.Current(), (TGridCoord{1, 1}));
    }
    g.TimerElapsed(5660, 100, 60); // back inside: no step
    EXPECT_EQ(g.Anchor().Y, 11);
    g.MouseUp(mbLeft, None, 100, 118);
    EXPECT_FALSE(g.TimerRunning());
    EXPECT_EQ(g.GridState(), gsNormal);
    g.TimerElapsed(9000, 100, 118);
    EXPECT_EQ(g.Anchor().Y, 12); // the release's own move, then nothing more
}

TEST(GridMouse, CancelModeReturnsToRest)
{
    TTestGrid g;
    g.SetOptions(WithSizing(g));
    g.MouseDown(mbLeft, None, 129, 10);
    g.CancelMode();
    EXPECT_EQ(g.GridState(), gsNormal);
    EXPECT_EQ(g.SizingLineDraws, 2);
    EXPECT_EQ(g.ColWidths(1), 64);
}

TEST(GridMouse, FixedCellClicks)
{
    TTestGrid g;
    g.SetOptions(g.Options() + TGridOptions{goFixedRowClick});
    g.MouseMove(None, 100, 10);
    EXPECT_EQ(g.HotTrackCell().Rect, (TGridRect{1, 0, 1, 0}));
    g.MouseDown(mbLeft, None, 100, 10);
    EXPECT_TRUE(g.HotTrackCell().Pressed);
    g.MouseUp(mbLeft, None, 100, 10);
    EXPECT_FALSE(g.HotTrackCell().Pressed);
    ASSERT_EQ(g.FixedClicks.size(), 1u);
    EXPECT_EQ(g.FixedClicks[0], (TGridCoord{1, 0}));
    g.MouseMove(None, 100, 60);
    EXPECT_EQ(g.HotTrackCell().Rect, (TGridRect{-1, -1, -1, -1}));
}

TEST(GridMouse, RightToLeftColumnSizing)
{
    TTestGrid g;
    g.SetOptions(WithSizing(g));
    g.SetRightToLeft(true);
    g.MouseDown(mbLeft, None, 191, 10); // the mirrored edge of column 1
    ASSERT_EQ(g.GridState(), gsColSizing);
    EXPECT_EQ(g.SizingIndex(), 1);
    EXPECT_EQ(g.SizingPos(), 191);
    g.MouseMove(None, 171, 10); // 20 pixels further left: wider
    g.MouseUp(mbLeft, None, 171, 10);
    EXPECT_EQ(g.ColWidths(1), 84);
}

// Holding a dragged column past the last fully visible one scrolls a column
// every 60 ms and carries the drop position along.
TEST(GridMouse, DraggingPastTheEdgeScrolls)
{
    TTestGrid g;
    g.SetColCount(10);
    g.SetOptions(g.Options() + TGridOptions{goColMoving});
    g.MouseDown(mbLeft, None, 100, 10, false, 0);
    g.MouseMove(None, 300, 40);
    EXPECT_EQ(g.MovePos(), 3);
    EXPECT_EQ(g.LeftCol(), 1);
    g.TimerElapsed(120, 300, 40);
    EXPECT_EQ(g.LeftCol(), 3);
    EXPECT_EQ(g.MovePos(), 5);
    g.MouseUp(mbLeft, None, 300, 40);
    ASSERT_EQ(g.MovedColumns.size(), 1u);
    EXPECT_EQ(g.MovedColumns[0], std::make_pair(1, 5));
    EXPECT_EQ(g.MarkerDraws % 2, 0);
}

TEST(GridMouse, SelectionRepaintCoversTheDifference)
{
    TTestGrid g;
    g.ResetLog();
    g.KeyDown(keys::VK_DOWN, {true, false, false});
    const TRect added{65, 50, 130, 75};
    EXPECT_NE(std::find(g.Invalidated.begin(), g.Invalidated.end(), added), g.Invalidated.end());
    for (const TRect& r : g.Invalidated) // nothing outside the old and new selections is repainted
        EXPECT_TRUE(r.Left >= 65 && r.Right <= 130 && r.Top >= 25 && r.Bottom <= 75);
}

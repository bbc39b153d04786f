// Geometry of the grid: the new grid, counts and their errors, cell
// rectangles, hit testing, hidden cells and very large grids.
#include <gtest/gtest.h>

#include <climits>

#include "grids/grid_bidi.h"
#include "test_grid.h"

using namespace grids;
using grids::test::GridError;
using grids::test::TTestGrid;

TEST(GridGeometry, NewGridDefaults)
{
    TTestGrid g;
    EXPECT_EQ(g.ColCount(), 5);
    EXPECT_EQ(g.RowCount(), 5);
    EXPECT_EQ(g.FixedCols(), 1);
    EXPECT_EQ(g.FixedRows(), 1);
    EXPECT_EQ(g.Current(), (TGridCoord{1, 1}));
    EXPECT_EQ(g.Anchor(), (TGridCoord{1, 1}));
    EXPECT_EQ(g.TopLeft(), (TGridCoord{1, 1}));
    EXPECT_EQ(g.Selection(), (TGridRect{1, 1, 1, 1}));
    EXPECT_EQ(g.ColCount() * g.DefaultColWidth(), 320);
    EXPECT_EQ(g.RowCount() * g.DefaultRowHeight(), 120);
    EXPECT_EQ(g.ClientWidth(), 320);
    EXPECT_EQ(g.ClientHeight(), 120);
    EXPECT_EQ(g.GridLineWidth(), 1);
    EXPECT_EQ(g.Options(), (TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect,
                                         goFixedRowDefAlign}));
    EXPECT_FALSE(g.EditorMode());
    EXPECT_EQ(g.VisibleColCount(), 3);
    EXPECT_EQ(g.VisibleRowCount(), 3);
    EXPECT_FALSE(g.HasColWidths());
    EXPECT_TRUE(g.TabStops(3));
    EXPECT_EQ(g.ScrollRange(sbVertical), 127);
    EXPECT_EQ(g.ScrollRange(sbHorizontal), 127);
    EXPECT_EQ(g.ScrollPos(sbVertical), 0);
    g.SetScrollBars(ssNone);
    EXPECT_EQ(g.ScrollRange(sbVertical), 0);
}

TEST(GridGeometry, DrawInfoOfTheNewGrid)
{
    TTestGrid g;
    const TGridDrawInfo d = g.CalcDrawInfo();
    EXPECT_EQ(d.Horz.EffectiveLineWidth, 1);
    EXPECT_EQ(d.Horz.FixedBoundary, 65);
    EXPECT_EQ(d.Horz.LastFullVisibleCell, 3);
    EXPECT_EQ(d.Horz.FullVisBoundary, 260);
    EXPECT_EQ(d.Horz.GridBoundary, 320);
    EXPECT_EQ(d.Vert.FixedBoundary, 25);
    EXPECT_EQ(d.Vert.LastFullVisibleCell, 3);
    EXPECT_EQ(d.Vert.FullVisBoundary, 100);
    EXPECT_EQ(d.Vert.GridBoundary, 120);

    g.SetOptions({goRangeSelect}); // no lines at all
    const TGridDrawInfo n = g.CalcDrawInfo();
    EXPECT_EQ(n.Horz.EffectiveLineWidth, 0);
    EXPECT_EQ(n.Horz.FixedBoundary, 64);
    EXPECT_EQ(n.Horz.LastFullVisibleCell, 4);
}

TEST(GridGeometry, CountSetters)
{
    struct Case {
        bool cols;
        int32_t value, count, fixed;
    } cases[] = {
        {true, 0, 1, 0},  {true, -7, 1, 0},  {true, 1, 1, 0},  {true, 2, 2, 1},  {true, 9, 9, 1},
        {false, 0, 1, 0}, {false, -1, 1, 0}, {false, 3, 3, 1}, {false, 1, 1, 0},
    };
    for (const Case& c : cases) {
        TTestGrid g;
        if (c.cols) {
            g.SetColCount(c.value);
            EXPECT_EQ(g.ColCount(), c.count) << c.value;
            EXPECT_EQ(g.FixedCols(), c.fixed) << c.value;
        } else {
            g.SetRowCount(c.value);
            EXPECT_EQ(g.RowCount(), c.count) << c.value;
            EXPECT_EQ(g.FixedRows(), c.fixed) << c.value;
        }
        EXPECT_LT(g.Col(), g.ColCount());
        EXPECT_LT(g.Row(), g.RowCount());
        EXPECT_LT(g.Anchor().X, g.ColCount());
        EXPECT_LT(g.LeftCol(), g.ColCount());
    }
}

TEST(GridGeometry, ShrinkingPullsTheCurrentCellBack)
{
    TTestGrid g;
    g.SetColCount(10);
    g.SetRowCount(10);
    g.MoveCurrent(8, 9, true, true);
    g.SetRowCount(4);
    g.SetColCount(3);
    EXPECT_EQ(g.Current(), (TGridCoord{2, 3}));
    EXPECT_EQ(g.Anchor(), (TGridCoord{2, 3}));
}

// Every refused operation names its reason and leaves the grid as it was.
TEST(GridGeometry, RefusedOperations)
{
    struct Case {
        const char* what;
        std::function<void(TGridModel&)> op;
        const char* message;
    } cases[] = {
        {"FixedRows := RowCount", [](TGridModel& g) { g.SetFixedRows(5); }, SFixedRowTooBig},
        {"FixedRows := -1", [](TGridModel& g) { g.SetFixedRows(-1); }, SIndexOutOfRange},
        {"FixedCols := ColCount", [](TGridModel& g) { g.SetFixedCols(5); }, SFixedColTooBig},
        {"FixedCols := 99", [](TGridModel& g) { g.SetFixedCols(99); }, SFixedColTooBig},
        {"FixedCols := -1", [](TGridModel& g) { g.SetFixedCols(-1); }, SIndexOutOfRange},
        {"ColWidths[-1]", [](TGridModel& g) { g.SetColWidths(-1, 10); }, SIndexOutOfRange},
        {"ColWidths[5]", [](TGridModel& g) { g.SetColWidths(5, 10); }, SIndexOutOfRange},
        {"RowHeights[-2]", [](TGridModel& g) { g.SetRowHeights(-2, 10); }, SIndexOutOfRange},
        {"TabStops[-1]", [](TGridModel& g) { g.SetTabStops(-1, false); }, SIndexOutOfRange},
        {"ColAlignments[5]", [](TGridModel& g) { g.SetColAlignments(5, taCenter); }, SIndexOutOfRange},
        {"MoveColumn(-1, 2)", [](TGridModel& g) { g.MoveColumn(-1, 2); }, SIndexOutOfRange},
        {"MoveColumn(1, 5)", [](TGridModel& g) { g.MoveColumn(1, 5); }, SIndexOutOfRange},
        {"MoveRow(5, 1)", [](TGridModel& g) { g.MoveRow(5, 1); }, SIndexOutOfRange},
        {"DeleteRow(5)", [](TGridModel& g) { g.DeleteRow(5); }, SIndexOutOfRange},
        {"DeleteRow(-1)", [](TGridModel& g) { g.DeleteRow(-1); }, SIndexOutOfRange},
        {"DeleteColumn(7)", [](TGridModel& g) { g.DeleteColumn(7); }, SIndexOutOfRange},
        {"TopRow := 0 (fixed)", [](TGridModel& g) { g.SetTopRow(0); }, SIndexOutOfRange},
        {"TopRow := RowCount", [](TGridModel& g) { g.SetTopRow(5); }, SIndexOutOfRange},
        {"LeftCol := -3", [](TGridModel& g) { g.SetLeftCol(-3); }, SIndexOutOfRange},
        {"Col := ColCount", [](TGridModel& g) { g.SetCol(5); }, SIndexOutOfRange},
        {"Row := -1", [](TGridModel& g) { g.SetRow(-1); }, SIndexOutOfRange},
        {"MoveColRow(0, 9)", [](TGridModel& g) { g.MoveColRow(0, 9, true, true); }, SIndexOutOfRange},
    };
    for (const Case& c : cases) {
        TTestGrid g;
        g.SetColWidths(2, 30);
        EXPECT_EQ(GridError([&] { c.op(g); }), c.message) << c.what;
        EXPECT_EQ(g.ColCount(), 5) << c.what;
        EXPECT_EQ(g.RowCount(), 5) << c.what;
        EXPECT_EQ(g.FixedCols(), 1) << c.what;
        EXPECT_EQ(g.FixedRows(), 1) << c.what;
        EXPECT_EQ(g.Current(), (TGridCoord{1, 1})) << c.what;
        EXPECT_EQ(g.Anchor(), (TGridCoord{1, 1})) << c.what;
        EXPECT_EQ(g.TopLeft(), (TGridCoord{1, 1})) << c.what;
        EXPECT_EQ(g.ColWidths(2), 30) << c.what;
        EXPECT_EQ(g.ColWidths(4), 64) << c.what;
    }
}

TEST(GridGeometry, TooLargeArraysAreRefused)
{
    TTestGrid huge;
    huge.SetRowCount(2000000000);
    EXPECT_EQ(GridError([&] { huge.SetRowHeights(3, 10); }), SGridTooLarge);
    EXPECT_FALSE(huge.HasRowHeights());
    EXPECT_EQ(huge.RowHeights(3), 24);
    // Column widths of a huge grid are independent of its rows.
    huge.SetColWidths(1, 100);
    EXPECT_EQ(huge.ColWidths(1), 100);

    TTestGrid sized;
    sized.SetRowCount(100);
    sized.SetRowHeights(50, 7);
    EXPECT_EQ(GridError([&] { sized.SetRowCount(TRunArray::MaxCount); }), SGridTooLarge);
    EXPECT_EQ(sized.RowCount(), 100);
    EXPECT_EQ(sized.RowHeights(50), 7);
    sized.SetRowCount(static_cast<int32_t>(TRunArray::MaxCount - 1));
    EXPECT_EQ(sized.RowHeights(50), 7);
    EXPECT_EQ(sized.RowHeights(static_cast<int32_t>(TRunArray::MaxCount - 2)), 24);
}

TEST(GridGeometry, ExtentArraysFollowTheCounts)
{
    TTestGrid g;
    g.SetColWidths(3, 10);
    g.SetDefaultColWidth(50);
    EXPECT_EQ(g.ColWidths(4), 64); // stored when the array was created
    g.SetColCount(8);
    EXPECT_EQ(g.ColWidths(7), 50); // new cells take the default of the moment
    EXPECT_EQ(g.ColWidths(3), 10);
    EXPECT_EQ(g.ColWidths(100), 50); // beyond the count: the default
    EXPECT_EQ(g.ColWidths(-1), 50);
    g.SetRowHeights(2, 40);
    g.SetDefaultRowHeight(30);
    EXPECT_FALSE(g.HasRowHeights());
    EXPECT_EQ(g.RowHeights(2), 30);
}

TEST(GridGeometry, CellRects)
{
    struct Case {
        int clientWidth;
        int32_t leftCol, col, row;
        TRect expected;
    } cases[] = {
        {320, 1, 0, 0, {0, 0, 64, 24}},
        {320, 1, 1, 1, {65, 25, 129, 49}},
        {320, 1, 3, 2, {195, 50, 259, 74}},
        {320, 1, 4, 1, {260, 25, 320, 49}}, // partly visible: clipped at the client edge
        {260, 1, 4, 1, {}},                 // just off-screen: empty, not at x = 0
        {200, 1, 4, 1, {}},
        {320, 2, 1, 1, {}},                 // scrolled off before the first shown column
        {320, 2, 2, 1, {65, 25, 129, 49}},
        {320, 2, 0, 1, {0, 25, 64, 49}},    // fixed cells stay
        {320, 1, 5, 1, {}},                 // no such column
        {320, 1, -1, 1, {}},
    };
    for (const Case& c : cases) {
        TTestGrid g;
        g.SetClientSize(c.clientWidth, 120);
        if (c.leftCol != 1)
            g.SetLeftCol(c.leftCol);
        EXPECT_EQ(g.CellRect(c.col, c.row), c.expected) << c.clientWidth << " " << c.col << "," << c.row;
    }
    TTestGrid g;
    EXPECT_EQ(g.BoxRect(0, 0, 2, 1), (TRect{0, 0, 194, 49}));
    EXPECT_EQ(g.BoxRect(2, 1, 0, 0), (TRect{0, 0, 194, 49}));
    EXPECT_EQ(g.GridRectToScreenRect({1, 1, 1, 1}, true), (TRect{65, 25, 130, 50}));
}

TEST(GridGeometry, MouseCoord)
{
    struct Case {
        int x, y;
        TGridCoord expected;
    } cases[] = {
        {10, 10, {0, 0}},   {64, 10, {0, 0}},   // a point on a line belongs to the cell before it
        {65, 30, {1, 1}},   {129, 49, {1, 1}},  {130, 50, {2, 2}},  {324, 30, {4, 1}},
        {330, 30, {-1, -1}},                    // right of the last column, on a valid row
        {399, 10, {-1, -1}}, {30, 125, {-1, -1}}, // below the last row
        {-1, 10, {-1, -1}}, {10, -1, {-1, -1}}, {INT_MIN, INT_MIN, {-1, -1}}, {INT_MAX, 10, {-1, -1}},
    };
    TTestGrid g;
    g.SetClientSize(400, 300);
    for (const Case& c : cases) {
        EXPECT_EQ(g.MouseCoord(c.x, c.y), c.expected) << c.x << "," << c.y;
        int32_t col = 7, row = 7;
        g.MouseToCell(c.x, c.y, col, row);
        EXPECT_EQ((TGridCoord{col, row}), c.expected);
    }
}

// A hidden cell takes only its line, in layout, hit testing and painting alike.
TEST(GridGeometry, HiddenColumns)
{
    TTestGrid g;
    g.SetColCount(10);
    g.SetColWidths(2, 0);
    g.SetColWidths(3, -1);
    EXPECT_EQ(g.CellRect(2, 1), TRect{});
    EXPECT_EQ(g.CellRect(3, 1), TRect{});
    EXPECT_EQ(g.CellRect(4, 1), (TRect{132, 25, 196, 49}));
    EXPECT_EQ(g.MouseCoord(130, 30), (TGridCoord{1, 1})); // on the hidden columns' lines
    EXPECT_EQ(g.MouseCoord(131, 30), (TGridCoord{1, 1}));
    EXPECT_EQ(g.MouseCoord(132, 30), (TGridCoord{4, 1}));
    EXPECT_EQ(g.BoxRect(1, 1, 4, 1), (TRect{65, 25, 196, 49}));
    const TGridDrawInfo d = g.CalcDrawInfo();
    EXPECT_EQ(d.Horz.LastFullVisibleCell, 5);
    EXPECT_EQ(d.Horz.FullVisBoundary, 262);
}

TEST(GridGeometry, RightToLeftMirrors)
{
    EXPECT_EQ(MirrorX(20, 320), 300);
    EXPECT_EQ(MirrorRect({0, 0, 64, 24}, 320), (TRect{256, 0, 320, 24}));
    EXPECT_EQ(MirrorRect({}, 320), TRect{});
    EXPECT_EQ(MirrorThumb(0, 127), 127);
    TTestGrid g;
    g.SetRightToLeft(true);
    EXPECT_EQ(g.CellRect(0, 0), (TRect{256, 0, 320, 24}));
    EXPECT_EQ(g.CellRect(1, 1), (TRect{191, 25, 255, 49}));
    EXPECT_EQ(g.MouseCoord(300, 10), (TGridCoord{0, 0}));
    EXPECT_EQ(g.MouseCoord(200, 30), (TGridCoord{1, 1}));
}

TEST(GridGeometry, HugeGridCostsNothingUntilSized)
{
    TTestGrid g;
    g.SetColCount(100);
    g.SetRowCount(2000000000);
    EXPECT_EQ(g.MaxTopLeft(), (TGridCoord{97, 1999999997}));
    g.SetTopRow(1999999990);
    EXPECT_EQ(g.CellRect(1, 1999999990), (TRect{65, 25, 129, 49}));
    EXPECT_EQ(g.MouseCoord(70, 60), (TGridCoord{1, 1999999991}));
    EXPECT_EQ(g.MouseCoord(70, INT_MAX), (TGridCoord{-1, -1}));
    g.SetRowCount(2147483647);
    EXPECT_EQ(g.CellRect(1, 2147483646), TRect{});
}

// Painting, cell rectangles and hit testing agree on every visible cell,
// hidden cells included, in both reading orders.
TEST(GridGeometry, PaintingRangesAgreeWithRectsAndHitTesting)
{
    TTestGrid plain;
    const std::vector<TGridCellSpan> cols = plain.AxisCells(plain.CalcDrawInfo(), true);
    const std::vector<TGridCellSpan> expected{{0, 0, 64}, {1, 65, 129}, {2, 130, 194}, {3, 195, 259}, {4, 260, 320}};
    EXPECT_EQ(cols, expected);

    for (bool rtl : {false, true}) {
        for (int line : {0, 1, 3}) {
            TTestGrid g;
            g.SetColCount(30);
            g.SetRowCount(40);
            g.SetGridLineWidth(line);
            g.SetColWidths(2, 0);
            g.SetColWidths(3, 0);
            g.SetColWidths(6, 17);
            g.SetRowHeights(4, -1);
            g.SetRowHeights(5, 40);
            g.SetRightToLeft(rtl);
            g.MoveTopLeft(2, 3);
            const TGridDrawInfo info = g.CalcDrawInfo();
            const auto hs = g.AxisCells(info, true);
            const auto vs = g.AxisCells(info, false);
            for (const TGridCellSpan& h : hs)
                EXPECT_NE(h.Index, 2);
            for (const TGridCellSpan& v : vs) {
                EXPECT_NE(v.Index, 4);
                for (const TGridCellSpan& h : hs) {
                    const std::string where = std::to_string(h.Index) + "," + std::to_string(v.Index) +
                                              (rtl ? " rtl" : "") + " line " + std::to_string(line);
                    EXPECT_EQ(g.CellRect(h.Index, v.Index), (TRect{h.Start, v.Start, h.End, v.End})) << where;
                    EXPECT_EQ(g.MouseCoord(rtl ? h.End : h.Start, v.Start), (TGridCoord{h.Index, v.Index})) << where;
                    EXPECT_EQ(g.MouseCoord(rtl ? h.Start + 1 : h.End - 1, v.End - 1), (TGridCoord{h.Index, v.Index}))
                        << where;
                }
            }
        }
    }
}

TEST(GridGeometry, ShrinkingPastARefusingSelectCell)
{
    TTestGrid g;
    g.MoveCurrent(4, 4, true, true);
    g.OnSelectCell = [](int32_t, int32_t) { return false; };
    g.SetRowCount(3);
    EXPECT_EQ(g.Current(), (TGridCoord{4, 2}));
    EXPECT_EQ(g.Anchor(), (TGridCoord{4, 2}));
    g.SetCol(2); // refused: nothing changes
    EXPECT_EQ(g.Current(), (TGridCoord{4, 2}));
}

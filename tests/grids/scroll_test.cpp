// Scrolling: the 0..127 scroll bars, scroll requests, hidden cells, pixel
// scrolling of the window content, moving columns and updating.
#include <gtest/gtest.h>

#include "test_grid.h"

using namespace grids;
using grids::test::GridError;
using grids::test::TTestGrid;

TEST(GridScroll, ThumbPositions)
{
    struct Case {
        int32_t rows;
        int thumb;
        int32_t topRow;
    } cases[] = {
        {20, 127, 17},         {20, 0, 1},          {20, 64, 9},
        {100000, 127, 99997},  {100000, 0, 1},      {100000, 64, 50393}, // more than 32767 rows
        {2000000000, 127, 1999999997},
        {20, 500, 17},         {20, -40, 1},        // out-of-range thumbs are clamped
    };
    for (const Case& c : cases) {
        TTestGrid g;
        g.SetRowCount(c.rows);
        EXPECT_EQ(g.ScrollRange(sbVertical), 127);
        g.ModifyScrollBar(sbVertical, scPosition, c.thumb);
        EXPECT_EQ(g.TopRow(), c.topRow) << c.rows << " @" << c.thumb;
        EXPECT_EQ(g.TopRow(), c.thumb >= 127 ? g.MaxTopLeft().Y : g.TopRow());
        const int expectedThumb = c.thumb < 0 ? 0 : c.thumb > 127 ? 127 : c.thumb;
        EXPECT_EQ(g.ScrollPos(sbVertical), expectedThumb) << c.rows << " @" << c.thumb;
    }
}

TEST(GridScroll, AnAxisThatCannotScroll)
{
    TTestGrid g;
    g.SetClientSize(800, 600);
    EXPECT_EQ(g.ScrollRange(sbVertical), 0);
    EXPECT_EQ(g.ScrollRange(sbHorizontal), 0);
    for (TScrollCode code : {scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTop, scBottom}) {
        g.ModifyScrollBar(sbVertical, code, 64);
        g.ModifyScrollBar(sbHorizontal, code, 64);
        EXPECT_EQ(g.TopLeft(), (TGridCoord{1, 1}));
        EXPECT_EQ(g.ScrollPos(sbVertical), 0);
        EXPECT_EQ(g.ScrollPos(sbHorizontal), 0);
    }
}

TEST(GridScroll, ScrollCodes)
{
    struct Case {
        TScrollCode code;
        int32_t startTop, expected;
    } cases[] = {
        {scLineDown, 1, 2},  {scLineUp, 1, 1},    {scLineUp, 5, 4},     {scPageDown, 1, 3},
        {scPageDown, 16, 17}, {scPageUp, 10, 8},  {scPageUp, 2, 1},     {scTop, 9, 1},
        {scBottom, 1, 17},   {scTrack, 1, 1},     {scEndScroll, 5, 5},
    };
    for (const Case& c : cases) {
        TTestGrid g;
        g.SetRowCount(20);
        g.SetTopRow(c.startTop);
        g.ModifyScrollBar(sbVertical, c.code, 127);
        EXPECT_EQ(g.TopRow(), c.expected) << static_cast<int>(c.code) << " from " << c.startTop;
    }
    TTestGrid tracking;
    tracking.SetRowCount(20);
    tracking.SetOptions(tracking.Options() + TGridOptions{goThumbTracking});
    tracking.ModifyScrollBar(sbVertical, scTrack, 127);
    EXPECT_EQ(tracking.TopRow(), 17);
}

TEST(GridScroll, LineRightSkipsHiddenColumns)
{
    TTestGrid g;
    g.SetColCount(12);
    g.SetColWidths(2, 0);
    g.SetColWidths(3, 0);
    ASSERT_EQ(g.LeftCol(), 1);
    g.ModifyScrollBar(sbHorizontal, scLineDown, 0);
    EXPECT_EQ(g.LeftCol(), 4);
    g.ModifyScrollBar(sbHorizontal, scLineUp, 0);
    EXPECT_EQ(g.LeftCol(), 1);
    // Right to left, line "down" moves back.
    g.SetLeftCol(4);
    g.SetRightToLeft(true);
    g.ModifyScrollBar(sbHorizontal, scLineDown, 0);
    EXPECT_EQ(g.LeftCol(), 1);
}

// Small moves scroll the window content; moves beyond the scrolling area
// (however far, with 64-bit distances) repaint it.
TEST(GridScroll, TopLeftMovesScrollPixelsOrRepaint)
{
    TTestGrid g;
    g.SetColCount(10);
    g.SetRowCount(2000000000);
    g.ResetLog();
    g.SetTopRow(2);
    ASSERT_EQ(g.Scrolls.size(), 1u);
    EXPECT_EQ(g.Scrolls[0].Band, (TRect{0, 25, 320, 120}));
    EXPECT_EQ(g.Scrolls[0].DY, -25);
    EXPECT_EQ(g.Scrolls[0].DX, 0);
    EXPECT_EQ(g.WindowInvalidations, 0);

    g.ResetLog();
    g.SetLeftCol(2);
    ASSERT_EQ(g.Scrolls.size(), 1u);
    EXPECT_EQ(g.Scrolls[0].Band, (TRect{65, 0, 320, 120}));
    EXPECT_EQ(g.Scrolls[0].DX, -65);

    g.ResetLog();
    g.MoveTopLeft(1, 1);
    ASSERT_EQ(g.Scrolls.size(), 3u); // fixed-row band, fixed-column band, scrolling area
    EXPECT_EQ(g.Scrolls[2].Band, (TRect{65, 25, 320, 120}));
    EXPECT_EQ(g.Scrolls[2].DX, 65);
    EXPECT_EQ(g.Scrolls[2].DY, 25);

    g.ResetLog();
    g.ModifyScrollBar(sbVertical, scPosition, 127); // ~2e9 rows at once: 5e10 pixels
    EXPECT_EQ(g.TopRow(), 1999999997);
    EXPECT_TRUE(g.Scrolls.empty());
    EXPECT_EQ(g.WindowInvalidations, 1);
    EXPECT_EQ(g.ScrollPos(sbVertical), 127);
}

TEST(GridScroll, CurrentCellIsScrolledIntoView)
{
    TTestGrid g;
    g.SetColCount(10);
    g.SetRowCount(30);
    g.SetRow(20);
    EXPECT_EQ(g.TopRow(), 18);
    g.SetRow(2);
    EXPECT_EQ(g.TopRow(), 2);
    g.SetCol(9);
    EXPECT_EQ(g.LeftCol(), 7);
    g.SetCol(0); // a fixed column never scrolls the view into the fixed area
    EXPECT_EQ(g.LeftCol(), 7);
    EXPECT_EQ(g.Col(), 0);
}

TEST(GridScroll, ShrinkingKeepsTheViewInside)
{
    TTestGrid g;
    g.SetRowCount(100);
    g.SetTopRow(90);
    g.SetRowCount(10);
    EXPECT_EQ(g.TopRow(), 7);
    EXPECT_EQ(g.ScrollPos(sbVertical), 127);
}

TEST(GridScroll, MovingColumns)
{
    struct Case {
        int32_t current, from, to, expected;
    } cases[] = {
        {3, 2, 4, 2}, {2, 2, 4, 4}, {4, 2, 4, 3}, {1, 2, 4, 1},
        {3, 4, 2, 4}, {4, 4, 2, 2}, {2, 4, 2, 3}, {3, 3, 3, 3},
    };
    for (const Case& c : cases) {
        TTestGrid g;
        g.SetColWidths(c.from, 11);
        g.SetTabStops(c.from, false);
        g.SetCol(c.current);
        g.MoveColumn(c.from, c.to);
        EXPECT_EQ(g.Col(), c.expected) << c.from << "->" << c.to << " current " << c.current;
        EXPECT_EQ(g.ColWidths(c.to), 11);
        EXPECT_FALSE(g.TabStops(c.to));
        if (c.from != c.to) {
            ASSERT_EQ(g.MovedColumns.size(), 1u);
            EXPECT_EQ(g.MovedColumns[0], std::make_pair(c.from, c.to));
        } else {
            EXPECT_TRUE(g.MovedColumns.empty());
        }
    }
}

TEST(GridScroll, DeletingRowsAndColumns)
{
    TTestGrid g;
    g.SetRowHeights(2, 40);
    g.SetRowHeights(3, 50);
    g.DeleteRow(2);
    EXPECT_EQ(g.RowCount(), 4);
    EXPECT_EQ(g.RowHeights(2), 50);
    g.SetColWidths(1, 10);
    g.DeleteColumn(1);
    EXPECT_EQ(g.ColCount(), 4);
    EXPECT_EQ(g.ColWidths(1), 64);
}

TEST(GridScroll, UnmatchedEndUpdate)
{
    TTestGrid g;
    g.ResetLog();
    g.EndUpdate();
    EXPECT_FALSE(g.IsUpdating());
    EXPECT_EQ(g.WindowInvalidations, 0);
    g.BeginUpdate();
    g.BeginUpdate();
    g.SetColWidths(1, 30);
    EXPECT_EQ(g.WindowInvalidations, 0); // nothing repaints while updating
    g.EndUpdate();
    EXPECT_TRUE(g.IsUpdating());
    g.EndUpdate();
    EXPECT_FALSE(g.IsUpdating());
    EXPECT_EQ(g.WindowInvalidations, 1);
    g.EndUpdate();
    g.BeginUpdate();
    EXPECT_TRUE(g.IsUpdating()); // the extra EndUpdate did not drive the counter below zero
}

TEST(GridScroll, SingleColumnScrollsByPixels)
{
    TTestGrid g;
    g.SetColCount(1);
    g.SetColWidths(0, 500);
    EXPECT_EQ(g.ScrollRange(sbHorizontal), 180);
    g.ModifyScrollBar(sbHorizontal, scLineDown, 0);
    EXPECT_EQ(g.ColOffset(), 8);
    g.ModifyScrollBar(sbHorizontal, scBottom, 0);
    EXPECT_EQ(g.ColOffset(), 180);
    EXPECT_EQ(g.ScrollPos(sbHorizontal), 180);
    g.ModifyScrollBar(sbHorizontal, scPageDown, 0);
    EXPECT_EQ(g.ColOffset(), 180);
}

TEST(GridScroll, InvalidateColCoversTheScrolledColumn)
{
    TTestGrid g;
    g.SetRowCount(50);
    g.SetTopRow(30);
    g.ResetLog();
    g.InvalidateCol(2);
    ASSERT_EQ(g.Invalidated.size(), 1u);
    EXPECT_EQ(g.Invalidated[0], (TRect{130, 0, 195, 120}));
    g.ResetLog();
    g.InvalidateRow(31);
    ASSERT_EQ(g.Invalidated.size(), 1u);
    EXPECT_EQ(g.Invalidated[0], (TRect{0, 50, 320, 75}));
}

TEST(GridScroll, ScalingSizes)
{
    TTestGrid g;
    g.SetColWidths(2, 100);
    g.SetRowHeights(1, 0);
    g.ChangeScale(3, 2);
    EXPECT_EQ(g.DefaultColWidth(), 96);
    EXPECT_EQ(g.DefaultRowHeight(), 36);
    EXPECT_EQ(g.ColWidths(2), 150);
    EXPECT_EQ(g.ColWidths(3), 96);
    EXPECT_EQ(g.RowHeights(1), 0);
}

// Panning measures the travel in cells of the first shown row; a hidden
// first row lends the height of the next shown one (no division by zero).
TEST(GridScroll, TouchPanning)
{
    struct Case {
        int travel;
        bool hiddenFirst;
        int32_t topRow;
    } cases[] = {{-1, false, 10}, {-24, false, 11}, {-30, false, 11}, {-50, false, 12},
                 {48, false, 8},  {-24, true, 11},  {10, true, 10}};
    for (const Case& c : cases) {
        TTestGrid g;
        g.SetRowCount(100);
        g.SetTopRow(10);
        if (c.hiddenFirst)
            g.SetRowHeights(10, 0);
        g.PanBegin(50, 60);
        g.PanUpdate(50, 60 + c.travel);
        EXPECT_EQ(g.TopRow(), c.topRow) << c.travel;
    }
    TTestGrid g; // travel shorter than a row counts towards the next update
    g.SetRowCount(100);
    g.SetTopRow(10);
    g.PanBegin(0, 100);
    g.PanUpdate(0, 88);
    EXPECT_EQ(g.TopRow(), 10);
    g.PanUpdate(0, 76);
    EXPECT_EQ(g.TopRow(), 11);
}

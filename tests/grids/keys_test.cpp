// The key table, Tab stepping, range selection with Shift, row selection,
// Enter and typed characters, the wheel and the dialog codes.
#include <gtest/gtest.h>

#include "grids/grid_keys.h"
#include "test_grid.h"

using namespace grids;
using namespace grids::keys;
using grids::test::TTestGrid;

namespace {
constexpr TGridShift None{}, Shift{true, false, false}, Ctrl{false, true, false};
}

// A 10 x 30 grid showing 3 x 3 scrolling cells (largest first cell (7, 27)).
TEST(GridKeys, KeyTable)
{
    struct Case {
        const char* what;
        TGridCoord start;
        int key;
        TGridShift shift;
        TGridCoord current, topLeft;
    } cases[] = {
        {"Down", {1, 1}, VK_DOWN, None, {1, 2}, {1, 1}},
        {"Up at the top", {1, 1}, VK_UP, None, {1, 1}, {1, 1}},
        {"Right", {1, 1}, VK_RIGHT, None, {2, 1}, {1, 1}},
        {"Left at the fixed column", {1, 1}, VK_LEFT, None, {1, 1}, {1, 1}},
        {"Down out of view", {1, 3}, VK_DOWN, None, {1, 4}, {1, 2}},
        {"End", {2, 2}, VK_END, None, {9, 2}, {7, 1}},
        {"Home", {9, 2}, VK_HOME, None, {1, 2}, {1, 1}},
        {"Page Down", {1, 1}, VK_NEXT, None, {1, 3}, {1, 3}},
        {"Page Down on the last page", {1, 28}, VK_NEXT, None, {1, 29}, {1, 27}},
        {"Page Up", {1, 5}, VK_PRIOR, None, {1, 3}, {1, 3}},
        {"Ctrl+Down scrolls only", {1, 1}, VK_DOWN, Ctrl, {1, 1}, {1, 2}},
        {"Ctrl+Up at the top", {1, 1}, VK_UP, Ctrl, {1, 1}, {1, 1}},
        {"Ctrl+Right", {1, 1}, VK_RIGHT, Ctrl, {3, 1}, {3, 1}},
        {"Ctrl+Page Down", {1, 1}, VK_NEXT, Ctrl, {1, 3}, {1, 1}},
        {"Ctrl+Page Up", {1, 3}, VK_PRIOR, Ctrl, {1, 1}, {1, 1}},
        {"Ctrl+End", {1, 1}, VK_END, Ctrl, {9, 29}, {7, 27}},
        {"Ctrl+Home", {9, 29}, VK_HOME, Ctrl, {1, 1}, {1, 1}},
        {"an unknown key", {2, 2}, 'A', None, {2, 2}, {1, 1}},
    };
    for (const Case& c : cases) {
        TTestGrid g;
        g.SetColCount(10);
        g.SetRowCount(30);
        g.MoveCurrent(c.start.X, c.start.Y, true, true);
        if (c.start.Y > 3)
            g.MoveTopLeft(g.LeftCol(), c.start.Y - 1 > 27 ? 27 : c.start.Y - 1);
        const TGridKeyOutcome o = CalcGridKey(g, c.key, c.shift);
        g.KeyDown(c.key, c.shift);
        EXPECT_EQ(g.Current(), c.current) << c.what;
        if (c.start.Y <= 3) {
            EXPECT_EQ(g.TopLeft(), c.topLeft) << c.what;
        }
        EXPECT_EQ(o.Handled, c.key != 'A') << c.what;
        EXPECT_EQ(g.Anchor(), g.Current()) << c.what;
    }
}

TEST(GridKeys, PageDownOnTheLastPage)
{
    TTestGrid g;
    g.SetRowCount(20);
    for (int i = 0; i < 12; ++i)
        g.KeyDown(VK_NEXT, None);
    EXPECT_EQ(g.Row(), 19);
    EXPECT_EQ(g.TopRow(), g.MaxTopLeft().Y);
    EXPECT_EQ(g.TopRow(), 17);
}

TEST(GridKeys, CtrlDownLeavesTheCurrentCellOutOfView)
{
    TTestGrid g;
    g.SetRowCount(10);
    g.KeyDown(VK_DOWN, Ctrl);
    g.KeyDown(VK_DOWN, Ctrl);
    EXPECT_EQ(g.TopRow(), 3);
    EXPECT_EQ(g.Current(), (TGridCoord{1, 1}));
    EXPECT_EQ(g.CellRect(1, 1), TRect{});
}

TEST(GridKeys, ShiftDownExtendsTheSelectionAndUpCollapsesIt)
{
    for (bool editing : {false, true}) {
        TTestGrid g;
        if (editing)
            g.SetOptions(g.Options() + TGridOptions{goEditing});
        for (int i = 0; i < 3; ++i)
            g.KeyDown(VK_DOWN, Shift);
        EXPECT_EQ(g.Current(), (TGridCoord{1, 4}));
        EXPECT_EQ(g.Anchor(), (TGridCoord{1, 1}));
        EXPECT_EQ(g.Selection(), (TGridRect{1, 1, 1, 4}));
        g.KeyDown(VK_UP, None);
        EXPECT_EQ(g.Current(), (TGridCoord{1, 3}));
        EXPECT_EQ(g.Selection(), (TGridRect{1, 3, 1, 3}));
    }
    TTestGrid single; // without goRangeSelect Shift does not extend
    single.SetOptions(single.Options() - TGridOptions{goRangeSelect});
    single.KeyDown(VK_DOWN, Shift);
    EXPECT_EQ(single.Selection(), (TGridRect{1, 2, 1, 2}));
}

TEST(GridKeys, TabWrapsAndHonoursTabStops)
{
    struct Case {
        TGridCoord start;
        bool backward;
        bool skipColumn2;
        TGridCoord expected;
    } cases[] = {
        {{4, 4}, false, false, {1, 1}}, // last cell of the last row wraps to (FixedCols, FixedRows)
        {{4, 2}, false, false, {1, 3}},
        {{2, 2}, false, false, {3, 2}},
        {{1, 1}, true, false, {4, 4}},
        {{1, 3}, true, false, {4, 2}},
        {{1, 1}, false, true, {3, 1}},  // column 2 has no tab stop
        {{3, 1}, true, true, {1, 1}},
    };
    for (const Case& c : cases) {
        TTestGrid g;
        g.SetOptions(g.Options() + TGridOptions{goTabs});
        if (c.skipColumn2)
            g.SetTabStops(2, false);
        g.MoveCurrent(c.start.X, c.start.Y, true, true);
        g.KeyDown(VK_TAB, {c.backward, false, false});
        EXPECT_EQ(g.Current(), c.expected) << c.start.X << "," << c.start.Y << (c.backward ? " back" : "");
        EXPECT_EQ(g.Anchor(), c.expected); // Shift+Tab moves the anchor with the current cell
    }
    TTestGrid none; // no column has a tab stop: Tab comes back to the same column
    for (int i = 0; i < 5; ++i)
        none.SetTabStops(i, false);
    none.KeyDown(VK_TAB, None);
    EXPECT_EQ(none.Current(), (TGridCoord{1, 2}));
    TTestGrid alt;
    alt.KeyDown(VK_TAB, {false, false, true});
    EXPECT_EQ(alt.Current(), (TGridCoord{1, 1}));
}

TEST(GridKeys, RowSelectKeepsTheColumnAtFixedCols)
{
    TTestGrid g;
    g.SetOptions(g.Options() + TGridOptions{goRowSelect});
    EXPECT_EQ(g.Selection(), (TGridRect{1, 1, 4, 1}));
    g.SetCol(3);
    EXPECT_EQ(g.Col(), 1);
    EXPECT_EQ(g.Selection(), (TGridRect{1, 1, 4, 1}));
    g.KeyDown(VK_RIGHT, None);
    EXPECT_EQ(g.Current(), (TGridCoord{1, 2}));
    g.KeyDown(VK_LEFT, None);
    EXPECT_EQ(g.Current(), (TGridCoord{1, 1}));
    g.KeyDown(VK_END, None);
    EXPECT_EQ(g.Current(), (TGridCoord{1, 4}));
    EXPECT_EQ(g.Selection(), (TGridRect{1, 4, 4, 4}));
    g.SetColCount(7);
    EXPECT_EQ(g.Selection(), (TGridRect{1, 4, 6, 4}));
}

TEST(GridKeys, RightToLeftArrows)
{
    TTestGrid g;
    g.SetRightToLeft(true);
    g.KeyDown(VK_LEFT, None);
    EXPECT_EQ(g.Col(), 2);
    g.KeyDown(VK_RIGHT, None);
    EXPECT_EQ(g.Col(), 1);
}

TEST(GridKeys, EnterF2AndCharacters)
{
    TTestGrid g;
    g.SetOptions(g.Options() + TGridOptions{goEditing});
    EXPECT_TRUE(g.KeyPress(u'\r'));
    EXPECT_TRUE(g.EditorMode());
    EXPECT_TRUE(g.KeyPress(u'\r'));
    EXPECT_FALSE(g.EditorMode());
    g.KeyDown(VK_F2, None);
    EXPECT_TRUE(g.EditorMode());
    g.HideEditor();
    EXPECT_TRUE(g.CharMessage(u'x'));
    EXPECT_TRUE(g.EditorMode());
    EXPECT_FALSE(g.CharMessage(u'\x1b'));

    TTestGrid plain;
    EXPECT_FALSE(plain.CharMessage(u'x'));
    EXPECT_FALSE(plain.EditorMode());
    TTestGrid always;
    always.SetOptions(always.Options() + TGridOptions{goEditing, goAlwaysShowEditor});
    EXPECT_TRUE(always.EditorMode());
    EXPECT_FALSE(always.KeyPress(u'\r'));
    EXPECT_TRUE(always.EditorMode());
}

TEST(GridKeys, DialogCodes)
{
    struct Case {
        TGridOptions extra;
        TGridDlgCode expected;
    } cases[] = {
        {{}, {true, false, false, false}},
        {{goTabs}, {true, true, false, false}},
        {{goEditing}, {true, false, true, true}},
        {{goTabs, goEditing, goRowSelect}, {true, false, false, true}},
    };
    for (const Case& c : cases) {
        TTestGrid g;
        g.SetOptions(g.Options() + c.extra);
        EXPECT_EQ(g.DlgCode(), c.expected);
    }
}

TEST(GridKeys, WheelMovesTheCurrentRow)
{
    TTestGrid g;
    EXPECT_TRUE(g.MouseWheel(true));
    EXPECT_EQ(g.Row(), 2);
    g.MouseWheel(false);
    g.MouseWheel(false);
    EXPECT_EQ(g.Row(), 1);
    for (int i = 0; i < 9; ++i)
        g.MouseWheel(true);
    EXPECT_EQ(g.Row(), 4);
}

// A value the editor cannot hand back keeps the cell it belongs to current.
TEST(GridKeys, FailedHandBackKeepsTheCurrentCell)
{
    TTestGrid g;
    g.OnHideEdit = [] { throw core::Exception(std::string_view("'x' is not a valid integer value")); };
    EXPECT_THROW(g.KeyDown(VK_DOWN, None), core::Exception);
    EXPECT_EQ(g.Current(), (TGridCoord{1, 1}));
    EXPECT_EQ(g.Anchor(), (TGridCoord{1, 1}));
    g.OnHideEdit = nullptr;
    g.KeyDown(VK_DOWN, None);
    EXPECT_EQ(g.Current(), (TGridCoord{1, 2}));
}

TEST(GridKeys, EditorShowsOnlyWhenWanted)
{
    struct Case {
        TGridOptions extra;
        bool editorMode, active, expected;
    } cases[] = {
        {{goEditing}, true, true, true},
        {{goEditing}, true, false, false},
        {{goEditing, goAlwaysShowEditor}, true, false, true},
        {{goEditing}, false, true, false},
        {{}, true, true, false},
        {{goEditing, goRowSelect}, true, true, false},
    };
    for (const Case& c : cases) {
        TTestGrid g;
        g.SetOptions(g.Options() + c.extra);
        g.SetEditorMode(c.editorMode);
        EXPECT_EQ(g.CanEditShow(c.active), c.expected);
    }
}

TEST(GridKeys, TextWidthToColWidth)
{
    EXPECT_EQ(TextWidthToColWidth(10, 7, 0), 74);
    EXPECT_EQ(TextWidthToColWidth(10, 7, 1), 65);
    EXPECT_EQ(TextWidthToColWidth(2, 7, 0, 60), 64);
    EXPECT_EQ(TextWidthToColWidth(50, 7, 0, 60), 354);
    EXPECT_EQ(TextWidthToColWidth(2147483647, 100, 0), 2147483647);
}

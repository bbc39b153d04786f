// Keys reaching the grid control through the message loop: dialog codes, Tab
// stepping, navigation and the mouse wheel.
#include "grid_fixture.h"

namespace gridctl_test {
namespace {

using namespace platform;

TEST_F(GridFixture, DialogCodesFollowTheOptions)
{
    struct Case {
        TGridOptions Options;
        LRESULT Expected;
    };
    const Case cases[] = {
        {{}, DLGC_WANTARROWS},
        {{goTabs}, DLGC_WANTARROWS | DLGC_WANTTAB},
        {{goEditing}, DLGC_WANTARROWS | DLGC_WANTCHARS},
        {{goEditing, goTabs}, DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS},
        {{goRowSelect, goTabs, goEditing}, DLGC_WANTARROWS},
    };
    for (const Case& c : cases) {
        Grid->SetOptions(c.Options);
        EXPECT_EQ(SendMessage(H(), WM_GETDLGCODE), c.Expected) << c.Options.Bits();
    }
}

TEST_F(GridFixture, TabWrapsAndSkipsColumnsWithoutTabStops)
{
    Grid->SetOptions(Grid->Options() + TGridOptions{goTabs});
    Grid->SetTabStops(2, false);
    struct Step {
        unsigned Mods;
        TGridCoord Expected;
    };
    Grid->FocusCell(1, 1, true);
    const Step steps[] = {
        {hl::None, {3, 1}},      // column 2 has no tab stop
        {hl::Shift, {1, 1}},
        {hl::Shift, {19, 999}},  // backwards past the first cell: last cell of the last row
        {hl::None, {1, 1}},      // and forwards again from there
    };
    for (const Step& s : steps) {
        Press(VK_TAB, s.Mods);
        EXPECT_EQ(Grid->Current(), s.Expected);
        EXPECT_EQ(Grid->Anchor(), s.Expected);
    }
    EXPECT_EQ(FindControlFocus(), Grid);
}

TEST_F(GridFixture, WithoutGoTabsTabDoesNotMoveTheCurrentCell)
{
    Press(VK_TAB);
    EXPECT_EQ(Grid->Current(), (TGridCoord{1, 1}));
}

TEST_F(GridFixture, ArrowAndPageKeysMoveThroughTheControl)
{
    struct Step {
        int Vk;
        unsigned Mods;
        TGridCoord Current, Anchor;
        int32_t TopRow;
    };
    const int32_t page = Grid->VisibleRowCount() - 1;  // last fully visible - first shown
    const int32_t maxTop = Grid->MaxTopLeft().Y;
    const Step steps[] = {
        {VK_DOWN, hl::None, {1, 2}, {1, 2}, 1},
        {VK_DOWN, hl::Shift, {1, 3}, {1, 2}, 1},
        {VK_UP, hl::None, {1, 2}, {1, 2}, 1},
        {VK_DOWN, hl::Ctrl, {1, 2}, {1, 2}, 2},  // view only
        {VK_NEXT, hl::None, {1, 2 + page}, {1, 2 + page}, 2 + page},
        {VK_END, hl::Ctrl, {19, 999}, {19, 999}, maxTop},
        {VK_HOME, hl::Ctrl, {1, 1}, {1, 1}, 1},
    };
    for (const Step& s : steps) {
        Press(s.Vk, s.Mods);
        EXPECT_EQ(Grid->Current(), s.Current) << s.Vk;
        EXPECT_EQ(Grid->Anchor(), s.Anchor) << s.Vk;
        EXPECT_EQ(Grid->TopRow(), s.TopRow) << s.Vk;
    }
}

TEST_F(GridFixture, WheelMovesTheCurrentRow)
{
    const TPoint p = CellCentre(2, 2);
    hl::Wheel(H(), p, -120);
    Pump();
    EXPECT_EQ(Grid->Row(), 2);
    hl::Wheel(H(), p, 120);
    hl::Wheel(H(), p, 120);
    Pump();
    EXPECT_EQ(Grid->Row(), 1);  // never above the fixed rows
}

TEST_F(GridFixture, ScrollBarsUseTheFixedScaleAndFollowTheView)
{
    SCROLLINFO si;
    ASSERT_TRUE(GetScrollInfo(H(), SB_VERT, si));
    EXPECT_EQ(si.nMax, 127);
    EXPECT_EQ(si.nPos, 0);
    const int32_t maxTop = Grid->MaxTopLeft().Y;
    SendMessage(H(), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 127));
    EXPECT_EQ(Grid->TopRow(), maxTop);
    EXPECT_EQ(GetScrollPos(H(), SB_VERT), 127);
    SendMessage(H(), WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 0));
    EXPECT_EQ(Grid->TopRow(), maxTop);  // tracking only with goThumbTracking
    Grid->SetOptions(Grid->Options() + TGridOptions{goThumbTracking});
    SendMessage(H(), WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 0));
    EXPECT_EQ(Grid->TopRow(), 1);
    SendMessage(H(), WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0));
    EXPECT_EQ(Grid->TopRow(), 2);
    SendMessage(H(), WM_HSCROLL, MAKEWPARAM(SB_BOTTOM, 0));
    EXPECT_EQ(Grid->LeftCol(), Grid->MaxTopLeft().X);
    EXPECT_EQ(GetScrollPos(H(), SB_HORZ), 127);
}

TEST_F(GridFixture, AnAxisThatCannotScrollHidesItsBar)
{
    Grid->SetColCount(3);
    Pump();
    EXPECT_EQ(GetWindowLongPtr(H(), GWL_STYLE) & WS_HSCROLL, 0);
    EXPECT_NE(GetWindowLongPtr(H(), GWL_STYLE) & WS_VSCROLL, 0);
    EXPECT_EQ(Grid->ClientWidth(), Grid->TGridModel::ClientWidth());
    EXPECT_EQ(Grid->ClientHeight(), Grid->TGridModel::ClientHeight());
}

} // namespace
} // namespace gridctl_test

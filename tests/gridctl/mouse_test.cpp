// The mouse on the grid control: selecting, sizing by the grab zones,
// dragging columns and automatic scrolling on the platform timer.
#include <filesystem>

#include "grid_fixture.h"
#include "platform/syscolors.h"

namespace gridctl_test {
namespace {

using namespace platform;

TEST_F(GridFixture, DraggingOverCellsSelectsARange)
{
    hl::MouseDown(H(), CellCentre(2, 2));
    hl::MouseMove(H(), CellCentre(4, 5));
    hl::MouseUp(H(), CellCentre(4, 5));
    Pump();
    EXPECT_EQ(Grid->Selection(), (TGridRect{2, 2, 4, 5}));
    EXPECT_EQ(Grid->Current(), (TGridCoord{2, 2}));
    EXPECT_EQ(Grid->GridState(), gsNormal);
    EXPECT_EQ(Grid->Clicks, 1);
}

TEST_F(GridFixture, AColumnIsNeverSizedBelowTwoPixels)
{
    Grid->SetOptions(Grid->Options() + TGridOptions{goColSizing});
    struct Case {
        int ReleaseFromLeftEdge;
        int32_t Expected;
    };
    const Case cases[] = {{-10, 64}, {0, 64}, {1, 64}, {2, 2}, {30, 30}, {100, 100}};
    for (const Case& c : cases) {
        hl::Advance(1000);  // each press a single click
        Grid->SetColWidths(3, 64);
        Pump();
        const grids::TRect cell = Grid->CellRect(3, 0);
        const int y = (cell.Top + cell.Bottom) / 2;
        hl::MouseDown(H(), {cell.Right, y});
        Pump();
        ASSERT_EQ(Grid->GridState(), gsColSizing);
        hl::MouseMove(H(), {cell.Left + c.ReleaseFromLeftEdge, y});
        hl::MouseUp(H(), {cell.Left + c.ReleaseFromLeftEdge, y});
        Pump();
        EXPECT_EQ(Grid->ColWidths(3), c.Expected) << c.ReleaseFromLeftEdge;
        EXPECT_EQ(Grid->GridState(), gsNormal);
    }
}

TEST_F(GridFixture, APressInAGrabZoneNeverMovesTheCurrentCell)
{
    Grid->SetOptions(Grid->Options() + TGridOptions{goColSizing, goRowSizing});
    Grid->FocusCell(5, 5, true);
    const grids::TRect colEdge = Grid->CellRect(2, 0);
    const grids::TRect rowEdge = Grid->CellRect(0, 3);
    struct Case {
        TPoint At;
        TGridState State;
    };
    std::vector<Case> cases;
    for (int d = -3; d <= 3; ++d) {  // 3 px before the line to 3 px after (the line itself is the 4th)
        cases.push_back({{colEdge.Right + d, colEdge.Top + 5}, gsColSizing});
        cases.push_back({{rowEdge.Left + 5, rowEdge.Bottom + d}, gsRowSizing});
    }
    for (const Case& c : cases) {
        hl::MouseDown(H(), c.At);
        Pump();
        EXPECT_EQ(Grid->GridState(), c.State) << c.At.X << "," << c.At.Y;
        hl::MouseUp(H(), c.At);
        Pump();
        EXPECT_EQ(Grid->Current(), (TGridCoord{5, 5}));
        EXPECT_EQ(Grid->Selection(), (TGridRect{5, 5, 5, 5}));
        hl::Advance(1000);  // no double clicks between the cases
    }
    hl::MouseDown(H(), {colEdge.Right + 4, colEdge.Top + 5});  // outside the zone
    Pump();
    EXPECT_EQ(Grid->GridState(), gsNormal);
    hl::MouseUp(H(), {colEdge.Right + 4, colEdge.Top + 5});
    Pump();
}

TEST_F(GridFixture, AColumnDroppedOnItselfIsNotMoved)
{
    Grid->SetOptions(Grid->Options() + TGridOptions{goColMoving});
    const grids::TRect title = Grid->CellRect(3, 0);
    const int y = (title.Top + title.Bottom) / 2;
    hl::MouseDown(H(), {title.Left + 10, y});
    Pump();
    ASSERT_EQ(Grid->GridState(), gsColMoving);
    hl::MouseMove(H(), {title.Left + 30, y});
    hl::MouseUp(H(), {title.Left + 30, y});
    Pump();
    EXPECT_TRUE(Grid->Moves.empty());
    EXPECT_EQ(Grid->Cells(3, 0), u"C3");

    hl::Advance(1000);
    hl::MouseDown(H(), {title.Left + 10, y});
    Pump();
    const TPoint target = CellCentre(5, 0);
    hl::MouseMove(H(), target);
    Pump();
    hl::Advance(60);  // over the fixed row the drop position follows on the timer
    Pump();
    hl::MouseUp(H(), target);
    Pump();
    EXPECT_EQ(Grid->Moves, (std::vector<std::pair<int32_t, int32_t>>{{3, 5}}));
    EXPECT_EQ(Grid->Cells(5, 0), u"C3");
    EXPECT_EQ(Grid->Cells(3, 0), u"C4");
}

TEST_F(GridFixture, HoldingTheButtonBelowTheLastRowExtendsTheSelectionEvery60Ms)
{
    hl::MouseDown(H(), CellCentre(2, 3));
    Pump();
    const TGridDrawInfo info = Grid->CalcDrawInfo();
    const int32_t last = info.Vert.LastFullVisibleCell;
    const TPoint below{CellCentre(2, 3).X, Grid->TGridModel::ClientHeight() - 1};
    hl::MouseMove(H(), below);
    Pump();
    const int32_t start = Grid->Anchor().Y;  // the move reached the partly visible row
    EXPECT_EQ(start, last + 1);
    struct Step {
        uint32_t Ms;
        int32_t Rows;
    };
    const Step steps[] = {{59, 0}, {1, 1}, {60, 1}, {120, 2}};
    int32_t total = 0;
    for (const Step& s : steps) {
        hl::Advance(s.Ms);
        Pump();
        total += s.Rows;
        EXPECT_EQ(Grid->Anchor().Y, start + total) << s.Ms;
        EXPECT_EQ(Grid->Current(), (TGridCoord{2, 3}));
    }
    EXPECT_GT(Grid->TopRow(), 1);  // scrolled to keep the anchor in view
    hl::MouseUp(H(), below);
    Pump();
    const TGridRect released = Grid->Selection();
    EXPECT_GE(released.Bottom, start + total);
    hl::Advance(600);
    Pump();
    EXPECT_EQ(Grid->Selection(), released);  // the timer stopped with the release
}

} // namespace
} // namespace gridctl_test

namespace gridctl_test {
namespace {

TEST_F(GridFixture, RightToLeftGridsMirrorClicksAndPainting)
{
    Grid->SetBiDiMode(controls::TBiDiMode::bdRightToLeft);
    Grid->RecreateWnd();
    Pump();
    ASSERT_TRUE(Grid->RightToLeft());
    const grids::TRect cell = Grid->CellRect(1, 1);
    EXPECT_GT(cell.Left, Grid->TGridModel::ClientWidth() / 2);  // the first columns are on the right
    ClickCell(3, 4);
    EXPECT_EQ(Grid->Current(), (TGridCoord{3, 4}));
    const platform::Bitmap shot = hl::Screenshot(Form->Handle());
    shot.SavePng((std::filesystem::temp_directory_path() / "gridctl_rtl.png").string());
    const platform::TPoint origin = Grid->ClientOrigin();
    // The fixed column is painted at the right edge, in the fixed colour.
    const grids::TRect fixed = Grid->CellRect(0, 5);
    EXPECT_EQ(shot.Pixel(origin.X + fixed.Left + 5, origin.Y + fixed.Top + 5),
              platform::ColorToRGB(core::clBtnFace));
}

} // namespace
} // namespace gridctl_test

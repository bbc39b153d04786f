// Pictures of the 20 x 1,000 grid at a few positions, compared with the
// reference images kept with the tests.
#include "grid_fixture.h"
#include "support/reference_image.h"

namespace gridctl_test {
namespace {

using namespace platform;

class ScreenshotFixture : public GridFixture {
protected:
    void Check(const std::string& name)
    {
        Pump();
        const Bitmap shot = hl::Screenshot(Form->Handle());
        EXPECT_TRUE(test_support::MatchesReference(shot, name, 16, 40));
    }
};

TEST_F(ScreenshotFixture, Top) { Check("grid_top"); }

TEST_F(ScreenshotFixture, Scrolled)
{
    Grid->SetTopRow(500);
    Grid->SetLeftCol(5);
    Grid->FocusCell(6, 502, true);
    Check("grid_scrolled");
}

TEST_F(ScreenshotFixture, ScrolledByLines)
{
    // Pixel scrolling must give the same picture as painting afresh.
    for (int i = 0; i < 3; ++i)
        SendMessage(H(), WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0));
    SendMessage(H(), WM_HSCROLL, MAKEWPARAM(SB_LINEDOWN, 0));
    Pump();
    const Bitmap scrolled = hl::Screenshot(Form->Handle());
    platform::InvalidateRect(H(), nullptr, false);
    Pump();
    const Bitmap fresh = hl::Screenshot(Form->Handle());
    EXPECT_EQ(scrolled.CountDifferences(fresh, 0), 0u);
    if (scrolled.CountDifferences(fresh, 0) != 0) {
        scrolled.SavePng("/tmp/gridctl_scrolled_by_lines.png");
        fresh.SavePng("/tmp/gridctl_fresh.png");
    }
}

TEST_F(ScreenshotFixture, ColumnSized)
{
    Grid->SetOptions(Grid->Options() + TGridOptions{goColSizing});
    const grids::TRect cell = Grid->CellRect(2, 0);
    hl::MouseDown(H(), {cell.Right, cell.Top + 5});
    hl::MouseMove(H(), {cell.Right + 50, cell.Top + 5});
    hl::MouseUp(H(), {cell.Right + 50, cell.Top + 5});
    Pump();
    ASSERT_EQ(Grid->ColWidths(2), 114);
    Check("grid_col_sized");
}

TEST_F(ScreenshotFixture, Selection)
{
    hl::MouseDown(H(), CellCentre(2, 2));
    hl::MouseMove(H(), CellCentre(4, 6));
    hl::MouseUp(H(), CellCentre(4, 6));
    Check("grid_selection");
}

TEST_F(ScreenshotFixture, Editing)
{
    Grid->SetOptions(Grid->Options() + TGridOptions{goEditing});
    Grid->FocusCell(2, 3, true);
    Type(u"typed");
    Check("grid_editing");
}

} // namespace
} // namespace gridctl_test

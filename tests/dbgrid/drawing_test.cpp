// Cell painting: text offsets from the aligned edge, the disabled text colour,
// and DefaultDrawing switched off.
#include "dbgrid_fixture.h"

#include "platform/syscolors.h"

namespace dbgrid_test {
namespace {

class DrawingFixture : public DBGridFixture {
protected:
    void SetUp() override
    {
        DBGridFixture::SetUp();
        Fill(1);
        Other->SetFocus();  // no highlight on the current cell
        Pump();
    }
    platform::Bitmap Shot()
    {
        Pump();
        return hl::Screenshot(Grid->Handle());
    }
    // The window-relative rectangle of a cell (the client sits inside the 2-pixel border).
    platform::TRect Cell(int32_t col, int32_t row)
    {
        const int border = (Grid->Width() - Grid->ClientWidth()) / 2;
        const TRect r = Grid->CellRect(col, row);
        return {r.Left + border, r.Top + border, r.Right + border, r.Bottom + border};
    }
    // Extent of the pixels of `cell` that differ from its background (top-left pixel).
    static platform::TRect Ink(const platform::Bitmap& b, const platform::TRect& cell)
    {
        const platform::COLORREF bg = b.Pixel(cell.Left + 1, cell.Top + 1);
        platform::TRect ink{cell.Right, cell.Bottom, cell.Left, cell.Top};
        for (int y = cell.Top + 1; y < cell.Bottom - 1; ++y)
            for (int x = cell.Left + 1; x < cell.Right - 1; ++x)
                if (b.Pixel(x, y) != bg) {
                    ink.Left = std::min(ink.Left, x);
                    ink.Top = std::min(ink.Top, y);
                    ink.Right = std::max(ink.Right, x + 1);
                    ink.Bottom = std::max(ink.Bottom, y + 1);
                }
        return ink;
    }
};

TEST_F(DrawingFixture, TextSitsThreePixelsFromTheAlignedEdge)
{
    const platform::Bitmap b = Shot();
    const platform::TRect nome = Cell(2, 1), codigo = Cell(1, 1);
    const platform::TRect left = Ink(b, nome), right = Ink(b, codigo);
    // Glyphs carry a pixel or so of bearing inside their advance.
    EXPECT_GE(left.Left, nome.Left + 3);
    EXPECT_LE(left.Left, nome.Left + 5);
    EXPECT_GE(left.Top, nome.Top + 2);
    EXPECT_LE(right.Right, codigo.Right - 3);
    EXPECT_GE(right.Right, codigo.Right - 5);
}

TEST_F(DrawingFixture, DisabledGridDrawsGrayText)
{
    Grid->SetEnabled(false);
    const platform::Bitmap b = Shot();
    const platform::TRect cell = Cell(2, 1);
    const platform::COLORREF gray = platform::ColorToRGB(core::clGrayText);
    int grayPixels = 0, blackPixels = 0;
    for (int y = cell.Top; y < cell.Bottom; ++y)
        for (int x = cell.Left; x < cell.Right; ++x) {
            grayPixels += b.Pixel(x, y) == gray;
            blackPixels += b.Pixel(x, y) == 0;
        }
    EXPECT_GT(grayPixels, 0);
    EXPECT_EQ(blackPixels, 0);
}

TEST_F(DrawingFixture, WithoutDefaultDrawingOnlyTheEventsPaintDataCells)
{
    int calls = 0;
    Grid->OnDrawColumnCell = TDrawColumnCellEvent::Bind(
        Grid, [&calls](components::TObject*, const platform::TRect&, int32_t, TColumn*, TGridDrawState) { ++calls; });
    Grid->SetDefaultDrawingDB(false);
    const platform::Bitmap b = Shot();
    EXPECT_GT(calls, 0);
    const platform::TRect nome = Cell(2, 1);
    EXPECT_EQ(Ink(b, nome).Left, nome.Right);  // nothing drawn
    // Titles are still drawn.
    const platform::TRect title = Cell(2, 0);
    EXPECT_LT(Ink(b, title).Left, title.Right);
}

} // namespace
} // namespace dbgrid_test

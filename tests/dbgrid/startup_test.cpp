// The grid on the program's form right after start-up.
#include "dbgrid_fixture.h"

namespace dbgrid_test {
namespace {

TEST_F(DBGridFixture, StartsWithIndicatorTwoDynamicColumnsAndOneBlankRow)
{
    EXPECT_EQ(Grid->ColCount(), 3);
    EXPECT_EQ(Grid->RowCount(), 2);
    EXPECT_EQ(Grid->FixedCols(), 1);
    EXPECT_EQ(Grid->FixedRows(), 1);
    EXPECT_EQ(Grid->Columns()->State(), TDBGridColumnsState::csDefault);
    ASSERT_EQ(Grid->Columns()->Count(), 2);
    EXPECT_EQ(Grid->Columns()->Items(0)->Field(), Codigo);
    EXPECT_EQ(Grid->Columns()->Items(1)->Field(), Nome);
    EXPECT_EQ(Grid->Col(), 1);
    EXPECT_EQ(Grid->SelectedField(), Codigo);
    EXPECT_EQ(Indicator(1), 0);
    EXPECT_EQ(State(), data::TDataSetState::dsBrowse);
}

TEST_F(DBGridFixture, RowHeightsFollowTheFonts)
{
    const int wg = Form->Font()->Handle().TextExtent(u"Wg").cy;
    EXPECT_EQ(Grid->DefaultRowHeight(), wg + 4);
    EXPECT_EQ(Grid->RowHeights(0), Grid->TitleFont()->Handle().TextExtent(u"Wg").cy + 4);
}

} // namespace
} // namespace dbgrid_test

// Navigation and the record window: appending with Down, removing an
// untouched new row, Tab across rows, Page Down with the thumb, clicks.
#include "dbgrid_fixture.h"

namespace dbgrid_test {
namespace {

using data::TDataSetState;
using platform::VK_DOWN;
using platform::VK_ESCAPE;
using platform::VK_NEXT;
using platform::VK_TAB;
using platform::VK_UP;

TEST_F(DBGridFixture, DownOnTheEmptyTableAppendsARowWithTheStar)
{
    Press(VK_DOWN);
    EXPECT_EQ(State(), TDataSetState::dsInsert);
    EXPECT_EQ(Indicator(1), 2);
    EXPECT_EQ(Grid->RowCount(), 2);
    // Down again on the untouched new row does nothing.
    Press(VK_DOWN);
    EXPECT_EQ(State(), TDataSetState::dsInsert);
    EXPECT_EQ(DataSet->RecordCount(), 0);
}

TEST_F(DBGridFixture, UpOrEscapeRemovesAnUntouchedAppendedRow)
{
    for (int key : {VK_UP, VK_ESCAPE}) {
        SCOPED_TRACE(key);
        Press(VK_DOWN);
        ASSERT_EQ(State(), TDataSetState::dsInsert);
        Press(key);
        EXPECT_EQ(State(), TDataSetState::dsBrowse);
        EXPECT_EQ(DataSet->RecordCount(), 0);
        EXPECT_EQ(Indicator(1), 0);
    }
}

TEST_F(DBGridFixture, TypingAndDownPostsAndAppendsAgain)
{
    Press(VK_DOWN);
    Type(u"7");
    Press(VK_DOWN);
    EXPECT_EQ(DataSet->RecordCount(), 1);
    EXPECT_EQ(State(), TDataSetState::dsInsert);
    EXPECT_EQ(Grid->RowCount(), 3);
    EXPECT_EQ(Indicator(2), 2);
    Press(VK_ESCAPE);
    EXPECT_EQ(State(), TDataSetState::dsBrowse);
    EXPECT_EQ(Codigo->AsInteger(), 7);
}

TEST_F(DBGridFixture, LeavingTheGridRemovesAnUntouchedInsert)
{
    Fill(2);
    Press(VK_DOWN);
    Press(VK_DOWN);
    ASSERT_EQ(State(), TDataSetState::dsInsert);
    Other->SetFocus();
    Pump();
    EXPECT_EQ(State(), TDataSetState::dsBrowse);
    EXPECT_EQ(DataSet->RecordCount(), 2);
}

TEST_F(DBGridFixture, ShiftTabFromTheFirstColumnGoesToThePreviousRowsLastColumn)
{
    Fill(3);
    Press(VK_DOWN);
    ASSERT_EQ(DataSet->RecNo(), 2);
    ASSERT_EQ(Grid->Col(), 1);
    Press(VK_TAB, hl::Shift);
    EXPECT_EQ(DataSet->RecNo(), 1);
    EXPECT_EQ(Grid->Col(), 2);
    Press(VK_TAB);
    EXPECT_EQ(DataSet->RecNo(), 2);
    EXPECT_EQ(Grid->Col(), 1);
}

TEST_F(DBGridFixture, PageDownMovesByTheVisibleRowsAndTheThumbShowsRecNo)
{
    Fill(100);
    const int visible = Grid->VisibleRowCount();
    ASSERT_GT(visible, 1);
    for (int page = 1; page <= 3; ++page) {
        Press(VK_NEXT);
        EXPECT_EQ(DataSet->RecNo(), 1 + page * visible);
        platform::SCROLLINFO si;
        platform::GetScrollInfo(H(), platform::SB_VERT, si);
        EXPECT_EQ(si.nPos, DataSet->RecNo());
        EXPECT_EQ(si.nMin, 1);
        EXPECT_EQ(static_cast<int>(si.nPage), visible);
        EXPECT_EQ(si.nMax, 100 + visible - 1);
    }
}

TEST_F(DBGridFixture, TheThumbIsOnePageOfTheRecords)
{
    struct Case {
        int Records;
        bool Shown;
    };
    for (const Case c : {Case{1, false}, Case{2, true}, Case{40, true}, Case{1000, true}}) {
        SCOPED_TRACE(c.Records);
        DataSet->EmptyDataSet();
        Fill(c.Records);
        DataSet->Last();
        Pump();
        const int visible = Grid->VisibleRowCount();
        const bool shown = (platform::GetWindowLongPtr(H(), platform::GWL_STYLE) & platform::WS_VSCROLL) != 0;
        EXPECT_EQ(shown, c.Shown);
        if (!c.Shown)
            continue;
        platform::SCROLLINFO si;
        platform::GetScrollInfo(H(), platform::SB_VERT, si);
        EXPECT_EQ(si.nMin, 1);
        EXPECT_EQ(static_cast<int>(si.nPage), visible);
        EXPECT_EQ(si.nMax, c.Records + visible - 1);
        EXPECT_EQ(si.nPos, c.Records);
    }
}

TEST_F(DBGridFixture, TheThumbKeepsItsPageWhenTheHorizontalBarChanges)
{
    Fill(1000);
    DataSet->SetRecNoProp(500);
    Pump();
    for (const int width : {900, 40, 900}) {
        SCOPED_TRACE(width);
        Grid->SetColWidths(2, width);
        Pump();
        platform::SCROLLINFO si;
        platform::GetScrollInfo(H(), platform::SB_VERT, si);
        const int visible = Grid->VisibleRowCount();
        EXPECT_TRUE(platform::GetWindowLongPtr(H(), platform::GWL_STYLE) & platform::WS_VSCROLL);
        EXPECT_EQ(si.nMin, 1);
        EXPECT_EQ(static_cast<int>(si.nPage), visible);
        EXPECT_EQ(si.nMax, 1000 + visible - 1);
        EXPECT_EQ(si.nPos, 500);
    }
}

TEST_F(DBGridFixture, ThumbPositionMapsToRecords)
{
    Fill(100);
    struct Case {
        int Track, RecNo;
    };
    for (const Case c : {Case{50, 50}, Case{0, 1}, Case{1, 1}, Case{100, 100}, Case{500, 100}, Case{-3, 1}}) {
        SCOPED_TRACE(c.Track);
        platform::SCROLLINFO si;
        si.fMask = platform::SIF_TRACKPOS;
        si.nTrackPos = c.Track;
        platform::SetScrollInfo(H(), platform::SB_VERT, si, false);
        platform::SendMessage(H(), platform::WM_VSCROLL, platform::MAKEWPARAM(platform::SB_THUMBPOSITION, 0), 0);
        Pump();
        EXPECT_EQ(DataSet->RecNo(), c.RecNo);
    }
}

TEST_F(DBGridFixture, ClickBelowAnUntouchedInsertLandsOnTheClickedRecord)
{
    Fill(5);
    Press(VK_DOWN);
    Press(platform::VK_INSERT);  // new row before record 2
    ASSERT_EQ(State(), TDataSetState::dsInsert);
    const int32_t row = Grid->Row();
    const std::u16string shown = Grid->CellText(0, row + 2 - Grid->TitleOffset());
    ClickCell(1, row + 2);
    EXPECT_EQ(State(), TDataSetState::dsBrowse);
    EXPECT_EQ(Codigo->AsString(), shown);
}

TEST_F(DBGridFixture, KeysAreIgnoredWithoutAnActiveLink)
{
    DataSet->Close();
    Pump();
    EXPECT_EQ(Grid->RowCount(), 2);
    Press(VK_DOWN);
    Press(platform::VK_INSERT);
    EXPECT_EQ(State(), TDataSetState::dsInactive);
}

} // namespace
} // namespace dbgrid_test

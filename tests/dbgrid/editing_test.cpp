// Editing through the grid: the editor protocol, Insert, Ctrl+Delete with its
// prompt, multi-selection, and the indicator that follows the dataset state.
#include "dbgrid_fixture.h"
#include "grids/grid_errors.h"

namespace dbgrid_test {
namespace {

using data::TDataSetState;
using platform::VK_DELETE;
using platform::VK_DOWN;
using platform::VK_ESCAPE;
using platform::VK_INSERT;
using platform::VK_RETURN;
using platform::VK_TAB;

TEST_F(DBGridFixture, TypingTurnsTheTriangleIntoTheIBeam)
{
    Fill(2);
    EXPECT_EQ(Indicator(1), 0);
    Press(VK_TAB);
    Type(u"x");
    EXPECT_EQ(State(), TDataSetState::dsEdit);
    EXPECT_EQ(Indicator(1), 1);
    EXPECT_TRUE(EditorShown());
}

TEST_F(DBGridFixture, EnterOpensTheEditorAndEnterAgainWritesTheField)
{
    Fill(1);
    Press(VK_TAB);
    Press(VK_RETURN);
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ(EditorText(), u"name 1");
    platform::SendMessage(platform::GetFocus(), platform::EM_SETSEL, 0, -1);
    Type(u"Zé");
    Press(VK_RETURN);
    EXPECT_FALSE(EditorShown());
    EXPECT_EQ(Nome->AsString(), u"Zé");
    EXPECT_EQ(State(), TDataSetState::dsEdit);
}

TEST_F(DBGridFixture, EscapeRestoresTheTextThenCancelsTheEdit)
{
    Fill(1);
    Press(VK_TAB);
    Type(u"other");
    ASSERT_EQ(State(), TDataSetState::dsEdit);
    Press(VK_ESCAPE);
    EXPECT_EQ(State(), TDataSetState::dsEdit);
    EXPECT_EQ(Nome->AsString(), u"name 1");
    Press(VK_ESCAPE);
    EXPECT_EQ(State(), TDataSetState::dsBrowse);
    EXPECT_EQ(Nome->AsString(), u"name 1");
}

TEST_F(DBGridFixture, InsertNeedsEditingAndAWritableGrid)
{
    Fill(1);
    struct Case {
        const char* Name;
        bool ReadOnly, Editing;
        TDataSetState Expected;
    };
    for (const Case c : {Case{"read-only", true, true, TDataSetState::dsBrowse},
                         Case{"no editing", false, false, TDataSetState::dsBrowse},
                         Case{"editable", false, true, TDataSetState::dsInsert}}) {
        SCOPED_TRACE(c.Name);
        Grid->SetReadOnly(c.ReadOnly);
        TDBGridOptions o = Grid->DBOptions();
        o = c.Editing ? o + TDBGridOptions{dgEditing} : o - TDBGridOptions{dgEditing};
        Grid->SetDBOptions(o);
        Press(VK_INSERT);
        EXPECT_EQ(State(), c.Expected);
    }
}

TEST_F(DBGridFixture, CtrlDeleteAsksAndOnlyCancelKeepsTheRecord)
{
    Fill(2);
    struct Case {
        int Answer, Remaining;
    };
    for (const Case c : {Case{platform::IDCANCEL, 2}, Case{platform::IDOK, 1}}) {
        const size_t before = hl::MessageBoxes().size();
        hl::AnswerMessageBox(c.Answer);
        Press(VK_DELETE, hl::Ctrl);
        ASSERT_EQ(hl::MessageBoxes().size(), before + 1);
        EXPECT_EQ(hl::MessageBoxes().back().Text, u"Delete record?");
        EXPECT_EQ(DataSet->RecordCount(), c.Remaining);
    }
}

TEST_F(DBGridFixture, CtrlDeleteIsIgnoredOnAnEmptyTable)
{
    Press(VK_DELETE, hl::Ctrl);
    EXPECT_TRUE(hl::MessageBoxes().empty());
}

TEST_F(DBGridFixture, MultiSelectedRowsAreDeletedTogether)
{
    Fill(4);
    Grid->SetDBOptions(Grid->DBOptions() + TDBGridOptions{dgMultiSelect});
    Press(VK_DOWN, hl::Shift);
    ASSERT_EQ(Grid->SelectedRows().Count(), 2);
    EXPECT_EQ(Indicator(1), 3);
    EXPECT_EQ(Indicator(2), 4);
    hl::AnswerMessageBox(platform::IDOK);
    Press(VK_DELETE, hl::Ctrl);
    ASSERT_FALSE(hl::MessageBoxes().empty());
    EXPECT_EQ(hl::MessageBoxes().back().Text, u"Delete all selected records?");
    EXPECT_EQ(DataSet->RecordCount(), 2);
    DataSet->First();
    EXPECT_EQ(Codigo->AsInteger(), 3);
}

TEST_F(DBGridFixture, ClosedDatasetRefusesBookmarkQueries)
{
    DataSet->Close();
    EXPECT_THROW(Grid->SelectedRows().CurrentRow(), EInvalidGridOperation);
}

} // namespace
} // namespace dbgrid_test

// The editor's window and the grid's editor mode stay in step: whatever hides
// the editor also ends the editor mode, so that the next Enter opens it again;
// and a row the grid moves to (an append included) starts with the editor closed.
#include "dbgrid_fixture.h"

namespace dbgrid_test {
namespace {

using data::TDataSetState;
using platform::VK_DOWN;
using platform::VK_ESCAPE;
using platform::VK_HOME;
using platform::VK_RETURN;
using platform::VK_TAB;
using platform::VK_UP;

struct Step {
    enum Kind { Key, Text, HideWindow } What;
    int Vk;
    const char16_t* Chars;
};
Step K(int vk) { return {Step::Key, vk, nullptr}; }
Step T(const char16_t* s) { return {Step::Text, 0, s}; }
// The editor's window hidden by the platform, not through the grid.
Step HideWindow() { return {Step::HideWindow, 0, nullptr}; }

TEST_F(DBGridFixture, EnterTogglesTheEditorAsTheUserSeesIt)
{
    struct Case {
        const char* Name;
        std::vector<Step> Steps;
        int Records;
    };
    const Case cases[] = {
        {"typed, posted with Up", {K(VK_DOWN), T(u"7"), K(VK_UP)}, 1},
        {"typed in the second column, posted with Up", {K(VK_DOWN), T(u"7"), K(VK_TAB), T(u"Ana"), K(VK_UP)}, 1},
        {"untouched, removed with Up", {K(VK_DOWN), K(VK_UP)}, 0},
        {"untouched, removed with Escape", {K(VK_DOWN), K(VK_ESCAPE)}, 0},
        {"open editor hidden behind the grid's back", {K(VK_RETURN), HideWindow()}, 0},
        {"typed, posted with Up, then hidden", {K(VK_DOWN), T(u"7"), K(VK_UP), HideWindow()}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        DataSet->EmptyDataSet();
        Grid->HideEditor();
        Pump();
        for (const Step& s : c.Steps) {
            if (s.What == Step::Key)
                Press(s.Vk);
            else if (s.What == Step::Text)
                Type(s.Chars);
            else
                platform::ShowWindow(Grid->InplaceEditor()->Handle(), platform::SW_HIDE);
            Pump();
        }
        ASSERT_EQ(State(), TDataSetState::dsBrowse);
        ASSERT_EQ(DataSet->RecordCount(), c.Records);
        // Each Enter visibly opens or closes the editor, and the mode follows.
        for (int i = 0; i < 3; ++i) {
            const bool before = EditorShown();
            Press(VK_RETURN);
            EXPECT_NE(EditorShown(), before) << "Enter " << i + 1;
            EXPECT_EQ(Grid->EditorMode(), EditorShown()) << "Enter " << i + 1;
        }
    }
}

TEST_F(DBGridFixture, AnAppendThatScrollsAFullGridClosesTheEditor)
{
    Fill(40);
    DataSet->Last();
    Pump();
    ASSERT_GT(Grid->TopRow() + Grid->VisibleRowCount(), Grid->Row());
    Press(VK_TAB);
    Type(u"renamed");
    ASSERT_TRUE(EditorShown());
    const int32_t row = Grid->Row();
    Press(VK_DOWN);
    ASSERT_EQ(State(), TDataSetState::dsInsert);
    EXPECT_EQ(Grid->Row(), row);  // the full grid scrolled: the new row is where the last one was
    EXPECT_FALSE(Grid->EditorMode());
    EXPECT_FALSE(EditorShown());
    // Home goes to the first column instead of moving a caret.
    Press(VK_HOME);
    EXPECT_EQ(Grid->Col(), 1);
    Press(VK_UP);
    EXPECT_EQ(DataSet->RecordCount(), 40);
    EXPECT_EQ(Nome->AsString(), u"renamed");
}

TEST_F(DBGridFixture, ScrollingToAnotherRecordClosesTheEditor)
{
    Fill(40);
    struct Case {
        const char* Name;
        int Vk;
    };
    for (const Case c : {Case{"down", VK_DOWN}, Case{"page down", platform::VK_NEXT}, Case{"up", VK_UP}}) {
        SCOPED_TRACE(c.Name);
        DataSet->SetRecNoProp(20);
        Pump();
        Press(VK_RETURN);
        ASSERT_TRUE(EditorShown());
        Press(c.Vk);
        EXPECT_FALSE(Grid->EditorMode());
        EXPECT_FALSE(EditorShown());
    }
}

} // namespace
} // namespace dbgrid_test

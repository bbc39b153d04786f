// The in-place editor: opening and closing it from the keyboard, typing,
// the length limit, keys handed back to the grid, and the quick second click.
#include "grid_fixture.h"

namespace gridctl_test {
namespace {

using namespace platform;

class EditorFixture : public GridFixture {
protected:
    void SetUp() override
    {
        GridFixture::SetUp();
        Grid->SetOptions(Grid->Options() + TGridOptions{goEditing});
        Grid->FocusCell(2, 1, true);  // holds "r1"
        Pump();
    }
    std::pair<uint32_t, uint32_t> Sel()
    {
        uint32_t s = 0, e = 0;
        Grid->InplaceEditor()->GetSel(s, e);
        return {s, e};
    }
};

TEST_F(EditorFixture, EnterOpensTheEditorAndASecondEnterClosesItHandingTheTextBack)
{
    Press(VK_RETURN);
    ASSERT_TRUE(EditorShown());
    EXPECT_TRUE(Grid->EditorMode());
    EXPECT_EQ(EditorText(), u"r1");
    EXPECT_EQ(Sel(), (std::pair<uint32_t, uint32_t>{2, 2}));  // caret at the end
    EXPECT_EQ(platform::GetFocus(), Grid->InplaceEditor()->Handle());
    EXPECT_EQ(Form->ActiveControl(), Grid);
    Type(u"xy");
    EXPECT_EQ(EditorText(), u"r1xy");
    Press(VK_RETURN);
    EXPECT_FALSE(EditorShown());
    EXPECT_FALSE(Grid->EditorMode());
    EXPECT_EQ(Grid->Cells(2, 1), u"r1xy");
    EXPECT_EQ(platform::GetFocus(), H());
}

TEST_F(EditorFixture, ATypedLetterOpensTheEditorWithThatLetterOnce)
{
    Type(u"q");
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ(EditorText(), u"q");
    EXPECT_EQ(Grid->Cells(2, 1), u"q");
    Type(u"rs");
    EXPECT_EQ(EditorText(), u"qrs");
}

TEST_F(EditorFixture, AnEditorThatCannotShowDropsTheCharacter)
{
    Grid->SetOptions(Grid->Options() + TGridOptions{goRowSelect});
    Type(u"q");
    EXPECT_FALSE(EditorShown());
    EXPECT_EQ(Grid->Cells(2, 1), u"r1");
    EXPECT_EQ(QueuedMessageCount(), 0u);  // nothing re-posted in a loop
}

TEST_F(EditorFixture, F2PutsTheCaretAtTheEndWithoutSelection)
{
    Press(VK_F2);
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ(Sel(), (std::pair<uint32_t, uint32_t>{2, 2}));
    Press(VK_HOME);
    Press(VK_F2);  // in the editor: back to the end
    EXPECT_EQ(Sel(), (std::pair<uint32_t, uint32_t>{2, 2}));
    Type(u"!");
    EXPECT_EQ(EditorText(), u"r1!");
}

TEST_F(EditorFixture, TheEditLimitCapsTheText)
{
    Grid->SetEditLimit(3);
    Type(u"abcdef");
    EXPECT_EQ(EditorText(), u"abc");
    EXPECT_EQ(Grid->Cells(2, 1), u"abc");
}

TEST_F(EditorFixture, VerticalKeysLeaveTheCellAndCloseTheEditor)
{
    Press(VK_F2);  // caret at the end
    Type(u"z");
    Press(VK_LEFT);  // without goAlwaysShowEditor: the caret moves, the cell stays
    Press(VK_RIGHT);
    EXPECT_EQ(Grid->Current(), (TGridCoord{2, 1}));
    ASSERT_TRUE(EditorShown());
    Press(VK_DOWN);
    EXPECT_EQ(Grid->Current(), (TGridCoord{2, 2}));
    EXPECT_FALSE(EditorShown());
    EXPECT_EQ(Grid->Cells(2, 1), u"r1z");
}

TEST_F(EditorFixture, WithAlwaysShowEditorKeysAtTheTextEdgesMoveTheEditor)
{
    Grid->SetOptions(Grid->Options() + TGridOptions{goAlwaysShowEditor});
    Pump();
    ASSERT_TRUE(EditorShown());
    struct Step {
        int Vk;
        unsigned Mods;
        TGridCoord Current;
        const char16_t* Text;
    };
    const Step steps[] = {
        {VK_LEFT, hl::None, {1, 1}, u""},  // whole text selected: at the left edge
        {VK_RIGHT, hl::None, {2, 1}, u"r1"},
        {VK_DOWN, hl::None, {2, 2}, u""},
        {VK_UP, hl::None, {2, 1}, u"r1"},
    };
    for (const Step& s : steps) {
        Press(s.Vk, s.Mods);
        EXPECT_EQ(Grid->Current(), s.Current) << s.Vk;
        ASSERT_TRUE(EditorShown()) << s.Vk;
        EXPECT_EQ(EditorText(), s.Text) << s.Vk;
        const grids::TRect cell = Grid->CellRect(s.Current.X, s.Current.Y);
        EXPECT_EQ(Grid->InplaceEditor()->Left(), cell.Left) << s.Vk;
        EXPECT_EQ(Grid->InplaceEditor()->Width(), cell.Width()) << s.Vk;
    }
}

TEST_F(EditorFixture, EscapeReachesTheGridsKeyEvent)
{
    std::vector<uint16_t> keys;
    Grid->OnKeyDown = controls::TKeyEvent::Bind(Grid, [&](components::TObject*, uint16_t& key, controls::TShiftState) {
        keys.push_back(key);
    });
    Press(VK_F2);
    keys.clear();
    Press(VK_ESCAPE);
    EXPECT_EQ(keys, (std::vector<uint16_t>{VK_ESCAPE}));
}

TEST_F(EditorFixture, AQuickSecondClickIsADoubleClickInTheEditor)
{
    Grid->SetCells(2, 1, u"ab cd");
    hl::Advance(5000);
    ClickCell(2, 1);  // the current cell: the editor opens under the pointer
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ(Grid->DblClicks, 0);
    const TPoint p = CellCentre(2, 1);
    hl::Advance(100);
    hl::Click(H(), {Grid->CellRect(2, 1).Left + 6, p.Y});
    Pump();
    EXPECT_EQ(Grid->DblClicks, 1);
    EXPECT_EQ(Sel(), (std::pair<uint32_t, uint32_t>{0, 2}));  // the word under the pointer
    // A slow second click is a plain click.
    hl::Advance(5000);
    hl::Click(H(), {Grid->CellRect(2, 1).Left + 6, p.Y});
    Pump();
    EXPECT_EQ(Grid->DblClicks, 1);
}

TEST_F(EditorFixture, LeavingTheCellHandsTheTextBackAndLoadsTheNextOne)
{
    Type(u"new");
    ClickCell(3, 2);
    EXPECT_EQ(Grid->Cells(2, 1), u"new");
    EXPECT_FALSE(EditorShown());
    EXPECT_EQ(Grid->Current(), (TGridCoord{3, 2}));
    hl::Advance(1000);  // a second, separate click on the current cell opens the editor
    ClickCell(3, 2);
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ(EditorText(), u"r2");
}

} // namespace
} // namespace gridctl_test

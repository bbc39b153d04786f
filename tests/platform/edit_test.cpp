// The single-line edit control driven through messages and input.
#include "platform/edit.h"
#include "platform/services.h"
#include "platform/syscolors.h"
#include "recorder.h"

namespace platform::test {
namespace {

class EditTest : public RecorderTest {
protected:
    void SetUp() override
    {
        RecorderTest::SetUp();
        Top = TopLevel(300, 100);
        Edit = CreateWindowEx(0, EDIT_CLASS, u"", WS_CHILD | WS_VISIBLE, 10, 10, 120, 20, Top, 42);
        SetFocus(Edit);
        Interesting = {WM_COMMAND};
        headless::ProcessMessages();
    }
    std::pair<uint32_t, uint32_t> Sel()
    {
        uint32_t s = 0, e = 0;
        SendMessage(Edit, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
        return {s, e};
    }
    std::vector<int> Notifications()
    {
        std::vector<int> n;
        for (const auto& r : Log)
            if (HWND::FromParam(r.lParam) == Edit && LOWORD(r.wParam) == 42)
                n.push_back(HIWORD(r.wParam));
        return n;
    }
    HWND Top, Edit;
};

TEST_F(EditTest, TypingInsertsAtTheCaretAndNotifiesTheParent)
{
    headless::TypeText(u"hello");
    headless::PressKey(VK_HOME);
    headless::PressKey('X', headless::Shift);
    headless::ProcessMessages();
    EXPECT_EQ(GetWindowText(Edit), u"Xhello");
    EXPECT_EQ(Sel(), (std::pair<uint32_t, uint32_t>{1, 1}));
    const auto n = Notifications();
    EXPECT_EQ(std::count(n.begin(), n.end(), EN_CHANGE), 6);
    EXPECT_EQ(SendMessage(Edit, EM_GETMODIFY), 1);
}

TEST_F(EditTest, TheLengthLimitRefusesMoreCharactersWithABeep)
{
    SendMessage(Edit, EM_LIMITTEXT, 3);
    headless::TypeText(u"abcd");
    headless::ProcessMessages();
    EXPECT_EQ(GetWindowText(Edit), u"abc");
    EXPECT_EQ(headless::Get().Beeps, 1);
    EXPECT_EQ(SendMessage(Edit, EM_GETLIMITTEXT), 3);
    // Replacing a selection is allowed within the limit.
    SendMessage(Edit, EM_SETSEL, 0, -1);
    const std::u16string longer = u"wxyz";
    SendMessage(Edit, EM_REPLACESEL, 1, reinterpret_cast<LPARAM>(&longer));
    EXPECT_EQ(GetWindowText(Edit), u"wxy");
}

TEST_F(EditTest, SelectionMessagesAndKeys)
{
    SetWindowText(Edit, u"one two");
    struct Case {
        intptr_t start, end;
        std::pair<uint32_t, uint32_t> expected;
    };
    for (const Case& c : std::vector<Case>{{0, -1, {0, 7}}, {2, 4, {2, 4}}, {5, 1, {1, 5}}, {3, 100, {3, 7}}})
    {
        SendMessage(Edit, EM_SETSEL, static_cast<WPARAM>(c.start), c.end);
        EXPECT_EQ(Sel(), c.expected) << c.start << "," << c.end;
    }
    SendMessage(Edit, EM_SETSEL, static_cast<WPARAM>(-1), 0); // deselect, caret stays
    EXPECT_EQ(Sel().first, Sel().second);
    SendMessage(Edit, EM_SETSEL, 0, 0);
    headless::PressKey(VK_RIGHT, headless::Shift | headless::Ctrl);
    headless::ProcessMessages();
    EXPECT_EQ(Sel(), (std::pair<uint32_t, uint32_t>{0, 4}));
    headless::PressKey(VK_END, headless::Shift);
    headless::ProcessMessages();
    EXPECT_EQ(Sel(), (std::pair<uint32_t, uint32_t>{0, 7}));
    headless::PressKey(VK_DELETE);
    headless::ProcessMessages();
    EXPECT_EQ(GetWindowText(Edit), u"");
}

TEST_F(EditTest, UndoRevertsTheLastChangeAndRedoesOnASecondUndo)
{
    SetWindowText(Edit, u"abc");
    EXPECT_EQ(SendMessage(Edit, EM_CANUNDO), 0); // setting the text is not undoable
    SendMessage(Edit, EM_SETSEL, 3, 3);
    headless::TypeText(u"d");
    headless::ProcessMessages();
    EXPECT_EQ(GetWindowText(Edit), u"abcd");
    EXPECT_EQ(SendMessage(Edit, EM_CANUNDO), 1);
    SendMessage(Edit, EM_UNDO);
    EXPECT_EQ(GetWindowText(Edit), u"abc");
    SendMessage(Edit, EM_UNDO);
    EXPECT_EQ(GetWindowText(Edit), u"abcd");
    SendMessage(Edit, EM_EMPTYUNDOBUFFER);
    EXPECT_EQ(SendMessage(Edit, EM_UNDO), 0);
}

TEST_F(EditTest, ClipboardCutCopyPasteWithinTheProgram)
{
    SetWindowText(Edit, u"hello world");
    SendMessage(Edit, EM_SETSEL, 0, 5);
    SendMessage(Edit, WM_CUT);
    EXPECT_EQ(GetClipboardText(), std::optional<std::u16string>(u"hello"));
    EXPECT_EQ(GetWindowText(Edit), u" world");
    SendMessage(Edit, EM_SETSEL, 6, 6);
    headless::PressKey('V', headless::Ctrl);
    headless::ProcessMessages();
    EXPECT_EQ(GetWindowText(Edit), u" worldhello");
    SendMessage(Edit, EM_SETREADONLY, 1);
    SendMessage(Edit, WM_PASTE);
    headless::TypeText(u"zz");
    headless::ProcessMessages();
    EXPECT_EQ(GetWindowText(Edit), u" worldhello");
}

TEST_F(EditTest, MousePlacesTheCaretAndDoubleClickSelectsAWord)
{
    SetWindowText(Edit, u"alpha beta");
    const LRESULT endPos = SendMessage(Edit, EM_POSFROMCHAR, 10);
    const LRESULT startOfBeta = SendMessage(Edit, EM_POSFROMCHAR, 6);
    EXPECT_EQ(SendMessage(Edit, EM_CHARFROMPOS, 0, MAKELPARAM(GET_X_LPARAM(startOfBeta), 2)) & 0xFFFF, 6);
    EXPECT_EQ(SendMessage(Edit, EM_CHARFROMPOS, 0, MAKELPARAM(GET_X_LPARAM(endPos) + 30, 2)) & 0xFFFF, 10);
    headless::DoubleClick(Edit, {GET_X_LPARAM(startOfBeta) + 2, 5});
    headless::ProcessMessages();
    EXPECT_EQ(Sel(), (std::pair<uint32_t, uint32_t>{6, 10}));
    EXPECT_EQ(GetCapture(), HWND());
}

TEST_F(EditTest, TextRectangleAndCaret)
{
    const TRect r{2, 2, 118, 20};
    SendMessage(Edit, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
    TRect got;
    SendMessage(Edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&got));
    EXPECT_EQ(got, r);
    SetWindowText(Edit, u"abc");
    SendMessage(Edit, EM_SETSEL, 0, 0);
    EXPECT_EQ(GetCaretPos(), (TPoint{2, 2}));
    EXPECT_TRUE(IsCaretVisible());
    SetFocus(Top);
    EXPECT_FALSE(IsCaretVisible());
    const auto n = Notifications();
    EXPECT_NE(std::find(n.begin(), n.end(), EN_KILLFOCUS), n.end());
    EXPECT_EQ(SendMessage(Edit, WM_GETDLGCODE) & DLGC_WANTCHARS, DLGC_WANTCHARS);
}

TEST_F(EditTest, PaintsTextAndSelection)
{
    SetWindowText(Edit, u"WWWW");
    SendMessage(Edit, EM_SETSEL, 0, -1);
    headless::ProcessMessages();
    const Bitmap shot = headless::Screenshot(Top);
    // The selection band is in the highlight colour.
    EXPECT_EQ(shot.Pixel(12, 12), GetSysColor(COLOR_HIGHLIGHT));
}

} // namespace
} // namespace platform::test

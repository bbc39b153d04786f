// The drop-down window: where it opens, what it shows, the slide of a value
// change, and how each way of closing it commits or restores the date.
#include <functional>
#include <string>

#include "pickerctl_fixture.h"
#include "platform/syscolors.h"

using namespace platform;
using namespace pickerctl_test;
using core::EncodeDate;

namespace {

using TextList = std::vector<std::u16string>;

TEST_F(PickerCtlTest, PopupLiesWithItsBandExactlyOverTheClosedPicker)
{
    EXPECT_EQ(Picker->Width(), 150);
    EXPECT_EQ(Picker->Height(), 32);
    Open();
    const TRect popup = GetWindowRect(PopupHandle());
    const TPoint picker = Picker->ClientToScreen({0, 0});
    EXPECT_EQ(popup.Width(), 150);
    EXPECT_EQ(popup.Height(), 256); // 7 rows of 32 plus the OK/Cancel row
    EXPECT_EQ(PopupModel().SelectRect(), (pickers::TRect{0, 96, 150, 128}));
    EXPECT_EQ(popup.Left, picker.X);
    EXPECT_EQ(popup.Top + 96, picker.Y);
    EXPECT_TRUE(IsWindowVisible(PopupHandle()));
    // A tool window that never takes the activation; the picker keeps the focus.
    EXPECT_TRUE(GetWindowLongPtr(PopupHandle(), GWL_EXSTYLE) & WS_EX_NOACTIVATE);
    EXPECT_EQ(GetFocus(), Picker->Handle());
    EXPECT_EQ(GetActiveWindow(), Form->Handle());
    EXPECT_EQ(GetParent(PopupHandle()), Picker->Handle());
}

TEST_F(PickerCtlTest, OpeningShowsThreeValuesEitherSideOfTheDate)
{
    Open();
    EXPECT_EQ(Texts(0), (TextList{u"17", u"18", u"19", u"20", u"21", u"22", u"23"}));
    EXPECT_EQ(Texts(1), (TextList{u"01", u"02", u"03", u"04", u"05", u"06", u"07"}));
    EXPECT_EQ(Texts(2), (TextList{u"2019", u"2020", u"2021", u"2022", u"2023", u"2024", u"2025"}));
    // The band row of every column holds the current part.
    const auto cells = PopupModel().GetColumnCells(2);
    EXPECT_EQ(cells[3].Bounds.Top, 96);
    EXPECT_EQ(cells[3].Text, u"2022");
}

TEST_F(PickerCtlTest, ClickingTwoRowsBelowTheBandSlidesTheValueIn)
{
    Open();
    ClickPopup(RowPoint(0, 2));
    ASSERT_TRUE(PopupModel().IsAnimating());
    Run(120);
    // Half-way: the column is shifted up by about one row, the value not yet taken.
    const int offset = PopupModel().Columns()[0]->FDrawOffset;
    EXPECT_LT(offset, -20);
    EXPECT_GT(offset, -45);
    EXPECT_EQ(Value(0), 20);
    Run(130);
    EXPECT_FALSE(PopupModel().IsAnimating());
    EXPECT_EQ(PopupModel().Columns()[0]->FDrawOffset, 0);
    EXPECT_EQ(Value(0), 22);
    EXPECT_EQ(Texts(0)[3], u"22");
    // Only the working date moved.
    EXPECT_EQ(Picker->Date(), EncodeDate(2022, 4, 20));
    EXPECT_TRUE(ChangeSenders.empty());
}

struct TEnding {
    const char* Name;
    std::function<void(PickerCtlTest&)> Do;
    bool Accepts;
};

class PopupEndingTest : public PickerCtlTest, public ::testing::WithParamInterface<int> {
public:
    void ClickOk() { ClickPopup(Centre(PopupModel().OkCancelButtons().FOkButton.FBoundsRect)); }
    void ClickCancel() { ClickPopup(Centre(PopupModel().OkCancelButtons().FCancelButton.FBoundsRect)); }
    void ClickOther()
    {
        headless::Click(Other->Handle(), {10, 10});
        Pump();
    }
    void ClickForm()
    {
        headless::Click(Form->Handle(), {300, 220});
        Pump();
    }
    void Key(int vk, unsigned mods = headless::None) { Press(vk, mods); }
    void FocusElsewhere()
    {
        Other->SetFocus();
        Pump();
    }
    void ClickPicker()
    {
        // The closed control lies under the band: a press there is on the pop-up.
        // Moved aside, the pop-up leaves the control visible and a click on it accepts.
        SetWindowPos(PopupHandle(), HWND(), 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        headless::Click(Picker->Handle(), {100, 20});
        Pump();
    }
};

const TEnding kEndings[] = {
    {"OkButton", [](PickerCtlTest& t) { static_cast<PopupEndingTest&>(t).ClickOk(); }, true},
    {"Enter", [](PickerCtlTest& t) { static_cast<PopupEndingTest&>(t).Key(VK_RETURN); }, true},
    {"Space", [](PickerCtlTest& t) { static_cast<PopupEndingTest&>(t).Key(VK_SPACE); }, true},
    {"AltUp", [](PickerCtlTest& t) { static_cast<PopupEndingTest&>(t).Key(VK_UP, headless::Alt); }, true},
    {"ClickOnPicker", [](PickerCtlTest& t) { static_cast<PopupEndingTest&>(t).ClickPicker(); }, true},
    {"CancelButton", [](PickerCtlTest& t) { static_cast<PopupEndingTest&>(t).ClickCancel(); }, false},
    {"Escape", [](PickerCtlTest& t) { static_cast<PopupEndingTest&>(t).Key(VK_ESCAPE); }, false},
    {"Backspace", [](PickerCtlTest& t) { static_cast<PopupEndingTest&>(t).Key(VK_BACK); }, false},
    {"ClickOnAnotherControl", [](PickerCtlTest& t) { static_cast<PopupEndingTest&>(t).ClickOther(); }, false},
    {"ClickOnTheForm", [](PickerCtlTest& t) { static_cast<PopupEndingTest&>(t).ClickForm(); }, false},
    {"FocusLost", [](PickerCtlTest& t) { static_cast<PopupEndingTest&>(t).FocusElsewhere(); }, false},
};

TEST_P(PopupEndingTest, AcceptingCommitsTheDateOnceAndCancellingRestoresIt)
{
    const TEnding& e = kEndings[GetParam()];
    SCOPED_TRACE(e.Name);
    Open();
    ClickPopup(RowPoint(0, 2));
    Run(250);
    ASSERT_EQ(Value(0), 22);
    e.Do(*this);
    EXPECT_FALSE(Picker->DroppedDown());
    EXPECT_FALSE(IsWindowVisible(PopupHandle()));
    EXPECT_NE(GetCapture(), PopupHandle());
    EXPECT_EQ(CloseUpSenders, std::vector<components::TObject*>{Picker});
    if (e.Accepts) {
        EXPECT_EQ(Picker->Date(), EncodeDate(2022, 4, 22));
        EXPECT_EQ(ChangeSenders, std::vector<components::TObject*>{Picker});
        EXPECT_EQ(Value(0), 22);
    } else {
        EXPECT_EQ(Picker->Date(), EncodeDate(2022, 4, 20));
        EXPECT_TRUE(ChangeSenders.empty());
        EXPECT_EQ(Value(0), 20); // the closed control shows the committed date again
    }
}

INSTANTIATE_TEST_SUITE_P(Endings, PopupEndingTest, ::testing::Range(0, static_cast<int>(std::size(kEndings))),
                         [](const ::testing::TestParamInfo<int>& p) { return kEndings[p.param].Name; });

TEST_F(PickerCtlTest, AcceptingAnUnchangedPopupRaisesNoChange)
{
    Open();
    Press(VK_RETURN);
    EXPECT_FALSE(Picker->DroppedDown());
    EXPECT_TRUE(ChangeSenders.empty());
    EXPECT_EQ(CloseUpSenders.size(), 1u);
}

TEST_F(PickerCtlTest, ClickingAnotherControlPassesThePressOn)
{
    Open();
    headless::Click(Other->Handle(), {10, 10});
    Pump();
    EXPECT_FALSE(Picker->DroppedDown());
    EXPECT_EQ(Other->Presses, 1);
    EXPECT_EQ(GetFocus(), Other->Handle());
}

TEST_F(PickerCtlTest, WithoutOkCancelAClickElsewhereAccepts)
{
    Picker->SetShowOkCancel(false);
    Open();
    EXPECT_EQ(GetWindowRect(PopupHandle()).Height(), 224);
    EXPECT_EQ(GetWindowRect(PopupHandle()).Top + 96, Picker->ClientToScreen({0, 0}).Y);
    ClickPopup(RowPoint(0, 2));
    Run(250);
    headless::Click(Form->Handle(), {300, 220});
    Pump();
    EXPECT_FALSE(Picker->DroppedDown());
    EXPECT_EQ(Picker->Date(), EncodeDate(2022, 4, 22));
    EXPECT_EQ(ChangeSenders.size(), 1u);
}

TEST_F(PickerCtlTest, ClosingDuringASlideAcceptsTheChosenValueOrDropsIt)
{
    struct Case {
        int Key;
        core::TDate Expected;
    };
    for (const Case c : {Case{VK_RETURN, EncodeDate(2022, 4, 22)}, Case{VK_ESCAPE, EncodeDate(2022, 4, 20)}}) {
        Picker->SetDate(EncodeDate(2022, 4, 20));
        Open();
        ClickPopup(RowPoint(0, 2));
        Run(50);
        Press(c.Key);
        EXPECT_EQ(Picker->Date(), c.Expected);
        // No timer left behind changes the closed picker later.
        Run(300);
        EXPECT_EQ(Picker->Date(), c.Expected);
        EXPECT_EQ(Value(0), static_cast<int>(core::DecodeDate(c.Expected).Day));
        EXPECT_EQ(PopupModel().Columns()[0]->FDrawOffset, 0);
    }
}

TEST_F(PickerCtlTest, TwoQuickClicksOnTheDownButtonAdvanceOneValue)
{
    Open();
    const TPoint down = Centre(PopupModel().Columns()[0]->FDownButton.FBoundsRect);
    headless::MouseMove(PopupHandle(), down);
    ClickPopup(down);
    Run(50);
    ClickPopup(down);
    Run(300);
    EXPECT_EQ(Value(0), 21);
    // Once settled, each click is a step.
    ClickPopup(down);
    Run(300);
    EXPECT_EQ(Value(0), 22);
}

TEST_F(PickerCtlTest, TheYearStopsAtMaxYear)
{
    Picker->SetDate(EncodeDate(2998, 6, 15));
    Open();
    const TPoint year = RowPoint(2, 1);
    for (int i = 0; i < 4; ++i) {
        headless::Wheel(PopupHandle(), year, -120);
        Pump();
        Run(300);
    }
    EXPECT_EQ(Value(2), 3000);
    EXPECT_EQ(Texts(2), (TextList{u"2997", u"2998", u"2999", u"3000"}));
    // Further clicks below the band find no value there.
    ClickPopup(RowPoint(2, 1));
    EXPECT_FALSE(PopupModel().IsAnimating());
    Press(VK_RETURN);
    EXPECT_EQ(Picker->Date(), EncodeDate(3000, 6, 15));
}

TEST_F(PickerCtlTest, ChoosingFebruaryClampsDay31)
{
    struct Case {
        int Year;
        int Expected;
    };
    for (const Case c : {Case{2024, 29}, Case{2023, 28}}) {
        Picker->SetDate(EncodeDate(c.Year, 3, 31));
        ChangeSenders.clear();
        Open();
        ClickPopup(RowPoint(1, -1));
        Run(250);
        EXPECT_EQ(Value(1), 2);
        EXPECT_EQ(Texts(0)[3], std::u16string(c.Expected == 29 ? u"29" : u"28"));
        Press(VK_RETURN);
        EXPECT_EQ(Picker->Date(), EncodeDate(c.Year, 2, c.Expected));
        EXPECT_EQ(ChangeSenders.size(), 1u);
    }
}

TEST_F(PickerCtlTest, HoverHighlightsTheCellAndShowsTheColumnButtons)
{
    Open();
    headless::MouseMove(PopupHandle(), RowPoint(1, 2));
    Pump();
    EXPECT_EQ(PopupModel().MouseOver(), 1);
    ASSERT_TRUE(PopupModel().MouseOverValue().has_value());
    EXPECT_EQ(*PopupModel().MouseOverValue(), 6);
    const Bitmap shot = headless::Screenshot(PopupHandle());
    const TPoint p = RowPoint(1, 2);
    // Highlight colour behind the text, away from the glyphs.
    const auto& col = PopupModel().Columns()[1]->FDropDownBounds;
    EXPECT_EQ(shot.Pixel(col.Left + 3, p.Y - 12), ColorToRGB(core::clBtnFace));
    // Leaving the pop-up clears the hover.
    headless::MouseMove(Form->Handle(), {300, 10});
    Pump();
    EXPECT_EQ(PopupModel().MouseOver(), -1);
}

TEST_F(PickerCtlTest, DestroyingAnOpenPickerCancelsSilently)
{
    Open();
    ClickPopup(RowPoint(0, 2));
    Run(50);
    const size_t windows = WindowCount();
    delete Picker;
    Picker = nullptr;
    Run(300);
    EXPECT_EQ(WindowCount(), windows - 2); // the picker and its pop-up
    EXPECT_TRUE(ChangeSenders.empty());
    EXPECT_EQ(GetCapture(), HWND());
}

} // namespace

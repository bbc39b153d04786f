// Keyboard, wheel and mouse input of the picker and its pop-up, and the
// dialog codes that keep the keys with it.
#include "pickerctl_fixture.h"

using namespace platform;
using namespace pickerctl_test;
using core::EncodeDate;

namespace {

TEST_F(PickerCtlTest, DialogCodesKeepTheArrowsAndWhileOpenEnterAndEscape)
{
    EXPECT_EQ(SendMessage(Picker->Handle(), WM_GETDLGCODE), DLGC_WANTARROWS);
    Open();
    EXPECT_EQ(SendMessage(Picker->Handle(), WM_GETDLGCODE), DLGC_WANTARROWS | DLGC_WANTALLKEYS);
    EXPECT_EQ(SendMessage(PopupHandle(), WM_GETDLGCODE), DLGC_WANTARROWS);
}

struct TOpenKey {
    const char* Name;
    int Vk;
    unsigned Mods;
};

class OpenKeyTest : public PickerCtlTest, public ::testing::WithParamInterface<TOpenKey> {};

TEST_P(OpenKeyTest, DropsTheClosedPickerDown)
{
    Press(GetParam().Vk, GetParam().Mods);
    EXPECT_TRUE(Picker->DroppedDown());
    EXPECT_EQ(GetFocus(), Picker->Handle());
}

INSTANTIATE_TEST_SUITE_P(Keys, OpenKeyTest,
                         ::testing::Values(TOpenKey{"Enter", VK_RETURN, headless::None},
                                           TOpenKey{"Space", VK_SPACE, headless::None},
                                           TOpenKey{"AltDown", VK_DOWN, headless::Alt},
                                           TOpenKey{"AltUp", VK_UP, headless::Alt}),
                         [](const auto& p) { return std::string(p.param.Name); });

TEST_F(PickerCtlTest, ArrowsOnAClosedPickerChangeNothingAndKeepTheFocus)
{
    for (int vk : {VK_DOWN, VK_UP, VK_LEFT, VK_RIGHT, VK_DOWN}) {
        Press(vk);
        EXPECT_EQ(GetFocus(), Picker->Handle());
    }
    // Also after a pop-up has existed (its columns stay hidden).
    Open();
    Press(VK_ESCAPE);
    Press(VK_DOWN);
    Press(VK_DOWN);
    Run(300);
    EXPECT_FALSE(Picker->DroppedDown());
    EXPECT_EQ(Value(0), 20);
    EXPECT_EQ(Picker->Date(), EncodeDate(2022, 4, 20));
    EXPECT_TRUE(ChangeSenders.empty());
}

TEST_F(PickerCtlTest, ArrowKeysSelectAColumnAndStepIt)
{
    Open();
    Press(VK_DOWN); // no column selected yet: the first one
    Run(250);
    EXPECT_EQ(PopupModel().MouseOver(), 0);
    EXPECT_EQ(Value(0), 21);
    Press(VK_RIGHT);
    Press(VK_UP);
    Run(250);
    EXPECT_EQ(PopupModel().MouseOver(), 1);
    EXPECT_EQ(Value(1), 3);
    Press(VK_RIGHT);
    Press(VK_RIGHT); // stays on the last column
    Press(VK_DOWN);
    Run(250);
    EXPECT_EQ(PopupModel().MouseOver(), 2);
    EXPECT_EQ(Value(2), 2023);
    Press(VK_LEFT);
    EXPECT_EQ(PopupModel().MouseOver(), 1);
    Press(VK_RETURN);
    EXPECT_EQ(Picker->Date(), EncodeDate(2023, 3, 21));
    EXPECT_EQ(ChangeSenders.size(), 1u);
}

TEST_F(PickerCtlTest, EscapeOnAClosedPickerIsLeftToTheForm)
{
    uint16_t seen = 0;
    Picker->OnKeyDown = controls::TKeyEvent::Bind(
        this, [&seen](components::TObject*, uint16_t& key, controls::TShiftState) { seen = key; });
    Press(VK_ESCAPE);
    EXPECT_EQ(seen, VK_ESCAPE);
    EXPECT_FALSE(Picker->DroppedDown());
    EXPECT_EQ(CloseUpSenders.size(), 0u);
}

TEST_F(PickerCtlTest, WheelStepsTheColumnUnderThePointer)
{
    struct Case {
        int Column;
        int Delta;
        unsigned Mods;
        int Expected;
    };
    const Case cases[] = {
        {0, -120, headless::None, 21},
        {0, 120, headless::None, 19},
        {1, -120, headless::None, 5},
        {1, -120, headless::Ctrl, 7}, // the scroll-lines setting: 3
        {2, 120, headless::None, 2021},
    };
    for (const Case& c : cases) {
        Picker->SetDate(EncodeDate(2022, 4, 20));
        Open();
        if (c.Mods & headless::Ctrl)
            headless::KeyDown(VK_CONTROL);
        headless::Wheel(PopupHandle(), RowPoint(c.Column, 1), c.Delta);
        Pump();
        if (c.Mods & headless::Ctrl)
            headless::KeyUp(VK_CONTROL);
        Run(250);
        EXPECT_EQ(Value(c.Column), c.Expected) << "column " << c.Column << " delta " << c.Delta;
        Press(VK_ESCAPE);
    }
    // Closed, the wheel does nothing.
    headless::Wheel(Picker->Handle(), {10, 10}, -120);
    Pump();
    Run(250);
    EXPECT_EQ(Value(0), 20);
}

TEST_F(PickerCtlTest, ClickingThePickerTakesTheFocusAndToggles)
{
    Other->SetFocus();
    Pump();
    headless::Click(Picker->Handle(), {20, 10});
    Pump();
    EXPECT_EQ(GetFocus(), Picker->Handle());
    EXPECT_TRUE(Picker->DroppedDown());
}

TEST_F(PickerCtlTest, ColumnButtonsStepUpAndDown)
{
    Open();
    const auto& year = *PopupModel().Columns()[2];
    headless::MouseMove(PopupHandle(), Centre(year.FUpButton.FBoundsRect));
    Pump();
    EXPECT_EQ(year.FUpButton.FState, pickers::TPickerButtonState::pbsHot);
    ClickPopup(Centre(year.FUpButton.FBoundsRect));
    Run(250);
    EXPECT_EQ(Value(2), 2021);
    ClickPopup(Centre(year.FDownButton.FBoundsRect));
    Run(250);
    ClickPopup(Centre(year.FDownButton.FBoundsRect));
    Run(250);
    EXPECT_EQ(Value(2), 2023);
    // A click on the band changes nothing.
    ClickPopup(RowPoint(2, 0));
    EXPECT_FALSE(PopupModel().IsAnimating());
}

} // namespace

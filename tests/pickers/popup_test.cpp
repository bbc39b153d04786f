#include <gtest/gtest.h>

#include <memory>

#include "core/datetime.h"
#include "core/exception.h"
#include "picker_fixture.h"

using namespace pickers;
using core::EncodeDate;
using pickers_test::TFormPicker;

namespace {

using Texts = std::vector<std::u16string>;

int Day(const TFormPicker& f) { return f.Picker.Columns()[0]->GetCurrentValue(); }

TEST(PickerPopup, GeometryOfTheFormsPicker)
{
    TFormPicker f;
    TPickerPopupModel& p = f.Open();
    EXPECT_TRUE(f.Picker.DroppedDown());
    EXPECT_EQ(p.Width(), 150);
    EXPECT_EQ(p.Height(), 256);
    EXPECT_EQ(p.SelectRect(), (TRect{0, 96, 150, 128}));
    const auto& cols = p.Columns();
    ASSERT_EQ(cols.size(), 3u);
    EXPECT_EQ(cols[0]->FDropDownBounds, (TRect{0, 0, 40, 224}));
    EXPECT_EQ(cols[2]->FDropDownBounds, (TRect{80, 0, 150, 224}));
    EXPECT_EQ(cols[0]->FUpButton.FBoundsRect, (TRect{1, 1, 39, 15}));
    EXPECT_EQ(cols[0]->FDownButton.FBoundsRect, (TRect{1, 209, 39, 223}));
    EXPECT_EQ(p.OkCancelButtons().FBounds, (TRect{0, 224, 150, 256}));
    EXPECT_EQ(p.OkCancelButtons().FOkButton.FBoundsRect, (TRect{1, 225, 75, 255}));
    EXPECT_EQ(p.OkCancelButtons().FCancelButton.FBoundsRect, (TRect{75, 225, 149, 255}));

    // Without the button row the band is still the fourth of seven rows.
    f.Picker.CloseUp(false);
    f.Picker.SetShowOkCancel(false);
    f.Picker.DropDown();
    EXPECT_EQ(p.Height(), 224);
    EXPECT_EQ(p.SelectRect(), (TRect{0, 96, 150, 128}));
}

struct TPositionCase {
    TRect Picker;
    TSize Desktop;
    TPoint Expected;
};

class DropDownPositionTest : public ::testing::TestWithParam<TPositionCase> {};

TEST_P(DropDownPositionTest, BandOverThePickerInsideTheDesktop)
{
    const TPositionCase& c = GetParam();
    EXPECT_EQ(TBasePickerModel::CalcDropDownPosition(c.Picker, {150, 256}, 32, c.Desktop), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, DropDownPositionTest,
    ::testing::Values(TPositionCase{{376, 344, 526, 376}, {1920, 1080}, {376, 248}}, // band 248+96 = 344
                      TPositionCase{{376, 1000, 526, 1032}, {1920, 1080}, {376, 824}},
                      TPositionCase{{1850, 344, 2000, 376}, {1920, 1080}, {1770, 248}},
                      TPositionCase{{-20, 10, 130, 42}, {1920, 1080}, {0, 0}}));

TEST(PickerPopup, OpeningShowsThreeValuesEitherSide)
{
    TFormPicker f;
    TPickerPopupModel& p = f.Open();
    EXPECT_EQ(TFormPicker::Texts(p, 0), (Texts{u"17", u"18", u"19", u"20", u"21", u"22", u"23"}));
    EXPECT_EQ(TFormPicker::Texts(p, 1), (Texts{u"01", u"02", u"03", u"04", u"05", u"06", u"07"}));
    EXPECT_EQ(TFormPicker::Texts(p, 2), (Texts{u"2019", u"2020", u"2021", u"2022", u"2023", u"2024", u"2025"}));
    const auto cells = p.GetColumnCells(0);
    EXPECT_EQ(cells[3].Bounds, (TRect{0, 96, 40, 128}));
    EXPECT_EQ(cells[0].Bounds, (TRect{0, 0, 40, 32}));
}

TEST(PickerPopup, CyclicColumnsWrapAndTheYearStopsAtItsLimits)
{
    TFormPicker f;
    f.Picker.SetDate(EncodeDate(2999, 12, 2));
    TPickerPopupModel& p = f.Open();
    EXPECT_EQ(TFormPicker::Texts(p, 0), (Texts{u"30", u"31", u"01", u"02", u"03", u"04", u"05"}));
    EXPECT_EQ(TFormPicker::Texts(p, 1), (Texts{u"09", u"10", u"11", u"12", u"01", u"02", u"03"}));
    EXPECT_EQ(TFormPicker::Texts(p, 2), (Texts{u"2996", u"2997", u"2998", u"2999", u"3000"}));
}

TEST(PickerPopup, ClickTwoRowsBelowSlidesTheValueIn)
{
    TFormPicker f;
    TPickerPopupModel& p = f.Open();
    p.MouseDown(TFormPicker::RowPoint(p, 0, 0)); // the band itself: nothing to do
    EXPECT_FALSE(p.IsAnimating());
    p.MouseDown(TFormPicker::RowPoint(p, 0, 2));
    EXPECT_TRUE(p.IsAnimating());
    EXPECT_EQ(Day(f), 20); // applied when the slide ends

    f.Run(p, 120);
    // 2 rows up in 250 ms: offset = round(120 * -64 / 250) = -31.
    EXPECT_EQ(p.Columns()[0]->FDrawOffset, -31);
    const auto mid = p.GetColumnCells(0);
    EXPECT_EQ(TFormPicker::Texts(p, 0), (Texts{u"17", u"18", u"19", u"20", u"21", u"22", u"23", u"24"}));
    EXPECT_EQ(mid[3].Bounds, (TRect{0, 65, 40, 97}));

    f.Run(p, 110); // 230 ms: the next tick would not reach 250 ms yet
    EXPECT_TRUE(p.IsAnimating());
    f.Run(p, 10); // 240 ms: the last tick finishes the slide
    EXPECT_FALSE(p.IsAnimating());
    EXPECT_EQ(Day(f), 22);
    EXPECT_EQ(p.Columns()[0]->FDrawOffset, 0);
    EXPECT_EQ(TFormPicker::Texts(p, 0), (Texts{u"19", u"20", u"21", u"22", u"23", u"24", u"25"}));
    EXPECT_EQ(f.Picker.GetDate(), EncodeDate(2022, 4, 20)); // only the working date
}

struct TCloseCase {
    const char* Name;
    void (*Close)(TFormPicker&, TPickerPopupModel&);
    bool Accepted;
};

class CloseTest : public ::testing::TestWithParam<TCloseCase> {};

TEST_P(CloseTest, AcceptOrCancelAfterPickingTheTwentySecond)
{
    TFormPicker f;
    int closeUps = 0;
    f.Picker.OnCloseUp = core::Closure<void(TBasePickerModel*)>::Bind(&f, [&](TBasePickerModel*) { ++closeUps; });
    TPickerPopupModel& p = f.Open();
    p.MouseDown(TFormPicker::RowPoint(p, 0, 2));
    f.Run(p, 250);
    GetParam().Close(f, p);
    EXPECT_FALSE(f.Picker.DroppedDown());
    EXPECT_EQ(closeUps, 1);
    if (GetParam().Accepted) {
        EXPECT_EQ(f.Picker.GetDate(), EncodeDate(2022, 4, 22));
        EXPECT_EQ(f.Changes, 1);
        EXPECT_EQ(Day(f), 22);
    } else {
        EXPECT_EQ(f.Picker.GetDate(), EncodeDate(2022, 4, 20));
        EXPECT_EQ(f.Changes, 0);
        EXPECT_EQ(Day(f), 20); // the working date is back
    }
}

INSTANTIATE_TEST_SUITE_P(
    Triggers, CloseTest,
    ::testing::Values(
        TCloseCase{"OkReleased", [](TFormPicker&, TPickerPopupModel& p) { p.MouseDown({30, 240}); p.MouseUp({30, 240}); }, true},
        TCloseCase{"Enter", [](TFormPicker& f, TPickerPopupModel&) { EXPECT_TRUE(f.Picker.KeyDown(TPickerKey::pkEnter, false)); }, true},
        TCloseCase{"Space", [](TFormPicker& f, TPickerPopupModel&) { f.Picker.KeyDown(TPickerKey::pkSpace, false); }, true},
        TCloseCase{"AltUp", [](TFormPicker& f, TPickerPopupModel&) { f.Picker.KeyDown(TPickerKey::pkUp, true); }, true},
        TCloseCase{"ClickOnPicker", [](TFormPicker& f, TPickerPopupModel&) { f.Picker.Click(); }, true},
        TCloseCase{"CancelReleased", [](TFormPicker&, TPickerPopupModel& p) { p.MouseDown({100, 240}); p.MouseUp({100, 240}); }, false},
        TCloseCase{"Escape", [](TFormPicker& f, TPickerPopupModel&) { EXPECT_TRUE(f.Picker.KeyDown(TPickerKey::pkEscape, false)); }, false},
        TCloseCase{"Backspace", [](TFormPicker& f, TPickerPopupModel&) { f.Picker.KeyDown(TPickerKey::pkBack, false); }, false},
        TCloseCase{"FocusLost", [](TFormPicker& f, TPickerPopupModel&) { f.Picker.FocusLost(); }, false},
        TCloseCase{"ClickElsewhere", [](TFormPicker& f, TPickerPopupModel&) { f.Picker.CancelMode(); }, false}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.Name); });

TEST(PickerPopup, ClickElsewhereAcceptsWithoutOkCancel)
{
    TFormPicker f;
    f.Picker.SetShowOkCancel(false);
    TPickerPopupModel& p = f.Open();
    p.MouseDown(TFormPicker::RowPoint(p, 0, 1));
    f.Run(p, 250);
    f.Picker.CancelMode();
    EXPECT_EQ(f.Picker.GetDate(), EncodeDate(2022, 4, 21));
    EXPECT_EQ(f.Changes, 1);
}

TEST(PickerPopup, TwoClicksOnTheDownButtonWithinTheSlideAdvanceOneValue)
{
    TFormPicker f;
    TPickerPopupModel& p = f.Open();
    const TPoint down{20, 215};
    p.MouseDown(down);
    EXPECT_EQ(p.Columns()[0]->FDownButton.FState, TPickerButtonState::pbsPressed);
    p.MouseUp(down);
    f.Run(p, 100);
    // The second click's value is computed from the value at that moment
    // (still 20), and the running slide is finished first.
    p.MouseDown(down);
    p.MouseUp(down);
    EXPECT_EQ(Day(f), 21);
    f.Run(p, 250);
    EXPECT_EQ(Day(f), 21);
    // Up button likewise goes back one.
    p.MouseDown({20, 5});
    f.Run(p, 250);
    EXPECT_EQ(Day(f), 20);
}

TEST(PickerPopup, YearStopsAtMaxYear)
{
    TFormPicker f;
    f.Picker.SetDate(EncodeDate(2999, 4, 20));
    TPickerPopupModel& p = f.Open();
    const TPoint yearDown{115, 215};
    for (int i = 0; i < 3; ++i) {
        p.MouseDown(yearDown);
        f.Run(p, 250);
    }
    EXPECT_EQ(p.Columns()[2]->GetCurrentValue(), 3000);
    // Nothing further: no step, no slide, the wheel is not used.
    EXPECT_FALSE(p.MouseWheel(TFormPicker::RowPoint(p, 2, 0), true, false, 3));
    p.MouseDown(TFormPicker::RowPoint(p, 2, 1));
    EXPECT_FALSE(p.IsAnimating());
    EXPECT_FALSE(p.GetCellValueByMousePos(TFormPicker::RowPoint(p, 2, 1)).has_value());
    // Three rows up is still possible.
    EXPECT_EQ(p.GetCellValueByMousePos(TFormPicker::RowPoint(p, 2, -3))->Value, 2997);
}

struct TMonthCase {
    int Year;
    const char16_t* Band;
};

class ThirtyFirstToFebruaryTest : public ::testing::TestWithParam<TMonthCase> {};

TEST_P(ThirtyFirstToFebruaryTest, DayColumnShowsTheMonthsLastDay)
{
    TFormPicker f;
    f.Picker.SetDate(EncodeDate(GetParam().Year, 1, 31));
    TPickerPopupModel& p = f.Open();
    p.MouseDown(TFormPicker::RowPoint(p, 1, 1)); // month 02
    f.Run(p, 250);
    EXPECT_EQ(TFormPicker::Texts(p, 0)[3], GetParam().Band);
    EXPECT_EQ(TFormPicker::Texts(p, 0)[4], u"01"); // and wraps after it
    EXPECT_TRUE(f.Picker.KeyDown(TPickerKey::pkEnter, false));
    EXPECT_EQ(core::DecodeDate(f.Picker.GetDate()).Month, 2);
}

INSTANTIATE_TEST_SUITE_P(Years, ThirtyFirstToFebruaryTest,
                         ::testing::Values(TMonthCase{2022, u"28"}, TMonthCase{2024, u"29"},
                                           TMonthCase{2000, u"29"}, TMonthCase{1900, u"28"}));

struct THitCase {
    int Y;
    std::optional<int> Rows;
};

class CellHitTest : public ::testing::TestWithParam<THitCase> {};

// Rows are counted at the pitch the cells are painted at.
TEST_P(CellHitTest, RowOfThePaintedCell)
{
    TFormPicker f;
    TPickerPopupModel& p = f.Open();
    const auto hit = p.GetCellValueByMousePos({20, GetParam().Y});
    ASSERT_EQ(hit.has_value(), GetParam().Rows.has_value());
    if (hit) {
        EXPECT_EQ(hit->Rows, *GetParam().Rows);
        EXPECT_EQ(hit->Value, 20 + *GetParam().Rows);
    }
}

INSTANTIATE_TEST_SUITE_P(Points, CellHitTest,
                         ::testing::Values(THitCase{96, 0}, THitCase{127, 0}, THitCase{128, 1}, THitCase{159, 1},
                                           THitCase{160, 2}, THitCase{223, 3}, THitCase{95, -1},
                                           THitCase{64, -1}, THitCase{63, -2}, THitCase{0, -3},
                                           THitCase{224, std::nullopt}, THitCase{-1, std::nullopt}));

TEST(PickerPopup, HoverHighlightsTheCellUnderThePointer)
{
    TFormPicker f;
    TPickerPopupModel& p = f.Open();
    p.UpdateHoverItems(TFormPicker::RowPoint(p, 0, -1));
    EXPECT_EQ(p.MouseOver(), 0);
    EXPECT_EQ(p.MouseOverValue(), 19);
    auto cells = p.GetColumnCells(0);
    EXPECT_TRUE(cells[2].Highlighted);
    EXPECT_FALSE(cells[3].Highlighted);
    // Over a button: hot, no hovered value; over OK: no hovered column.
    p.UpdateHoverItems({20, 5});
    EXPECT_EQ(p.Columns()[0]->FUpButton.FState, TPickerButtonState::pbsHot);
    EXPECT_FALSE(p.MouseOverValue().has_value());
    p.UpdateHoverItems({30, 240});
    EXPECT_EQ(p.MouseOver(), -1);
    EXPECT_EQ(p.OkCancelButtons().FOkButton.FState, TPickerButtonState::pbsHot);
    EXPECT_EQ(p.Columns()[0]->FUpButton.FState, TPickerButtonState::pbsNone);
    // Nothing is highlighted while a column slides.
    p.UpdateHoverItems(TFormPicker::RowPoint(p, 0, -1));
    p.MouseDown(TFormPicker::RowPoint(p, 0, -1));
    for (const auto& c : p.GetColumnCells(0))
        EXPECT_FALSE(c.Highlighted);
    p.MouseLeave();
    EXPECT_EQ(p.MouseOver(), -1);
}

TEST(PickerPopup, WheelStepsTheColumnUnderThePointer)
{
    TFormPicker f;
    TPickerPopupModel& p = f.Open();
    EXPECT_TRUE(p.MouseWheel(TFormPicker::RowPoint(p, 2, 0), true, false, 3));
    f.Run(p, 250);
    EXPECT_EQ(p.Columns()[2]->GetCurrentValue(), 2023);
    EXPECT_TRUE(p.MouseWheel(TFormPicker::RowPoint(p, 2, 0), true, true, 3)); // Ctrl: scroll-lines setting
    f.Run(p, 250);
    EXPECT_EQ(p.Columns()[2]->GetCurrentValue(), 2026);
    EXPECT_TRUE(p.MouseWheel(TFormPicker::RowPoint(p, 1, 0), false, true, -1)); // "page" setting: one line
    f.Run(p, 250);
    EXPECT_EQ(p.Columns()[1]->GetCurrentValue(), 3);
    EXPECT_FALSE(p.MouseWheel({30, 240}, true, false, 3)); // not over a column
    f.Picker.CloseUp(false);
    EXPECT_FALSE(f.Picker.MouseWheel(TFormPicker::RowPoint(p, 2, 0), true, false, 3)); // closed
    EXPECT_EQ(p.Columns()[2]->GetCurrentValue(), 2022);
}

TEST(PickerPopup, KeysMoveTheSelectedColumnAndStepIt)
{
    TFormPicker f;
    TPickerPopupModel& p = f.Open();
    EXPECT_TRUE(f.Picker.KeyDown(TPickerKey::pkLeft, false)); // none selected: nothing
    EXPECT_EQ(p.MouseOver(), -1);
    EXPECT_TRUE(f.Picker.KeyDown(TPickerKey::pkDown, false)); // selects the first column, steps it
    EXPECT_EQ(p.MouseOver(), 0);
    f.Run(p, 250);
    EXPECT_EQ(Day(f), 21);
    for (int i = 0; i < 4; ++i)
        f.Picker.KeyDown(TPickerKey::pkRight, false);
    EXPECT_EQ(p.MouseOver(), 2); // not beyond the last
    f.Picker.KeyDown(TPickerKey::pkUp, false);
    f.Run(p, 250);
    EXPECT_EQ(p.Columns()[2]->GetCurrentValue(), 2021);
    f.Picker.KeyDown(TPickerKey::pkLeft, false);
    EXPECT_EQ(p.MouseOver(), 1);
    EXPECT_TRUE(f.Picker.KeyDown(TPickerKey::pkEnter, false));
    EXPECT_EQ(f.Picker.GetDate(), EncodeDate(2021, 4, 21));
    EXPECT_EQ(f.Changes, 1);
}

TEST(PickerPopup, ClosedPickerIgnoresArrowKeys)
{
    TFormPicker f;
    f.Open();
    f.Picker.CloseUp(false);
    for (TPickerKey k : {TPickerKey::pkUp, TPickerKey::pkDown, TPickerKey::pkLeft, TPickerKey::pkRight})
        EXPECT_FALSE(f.Picker.KeyDown(k, false));
    EXPECT_FALSE(f.Picker.KeyDown(TPickerKey::pkEscape, false)); // left to normal dialog handling
    EXPECT_EQ(Day(f), 20);
    EXPECT_FALSE(f.Picker.DroppedDown());
    EXPECT_TRUE(f.Picker.KeyDown(TPickerKey::pkDown, true)); // Alt+Down drops down
    EXPECT_TRUE(f.Picker.DroppedDown());
}

TEST(PickerPopup, ClosingDuringASlide)
{
    {
        TFormPicker f; // cancelled: the slide is dropped and later ticks change nothing
        TPickerPopupModel& p = f.Open();
        p.MouseDown(TFormPicker::RowPoint(p, 0, 2));
        f.Run(p, 50);
        f.Picker.KeyDown(TPickerKey::pkEscape, false);
        EXPECT_FALSE(p.IsAnimating());
        f.Run(p, 300);
        EXPECT_EQ(Day(f), 20);
        EXPECT_EQ(p.Columns()[0]->FDrawOffset, 0);
        EXPECT_EQ(f.Changes, 0);
    }
    {
        TFormPicker f; // accepted: the value sliding in is the one chosen
        TPickerPopupModel& p = f.Open();
        p.MouseDown(TFormPicker::RowPoint(p, 0, 2));
        f.Run(p, 50);
        f.Picker.KeyDown(TPickerKey::pkEnter, false);
        EXPECT_EQ(f.Picker.GetDate(), EncodeDate(2022, 4, 22));
        EXPECT_EQ(f.Changes, 1);
    }
}

TEST(PickerPopup, FormatChangeWhileOpenClosesAndReleasesTheColumns)
{
    TFormPicker f;
    TPickerPopupModel& p = f.Open();
    p.MouseDown(TFormPicker::RowPoint(p, 0, 2));
    f.Picker.SetDateFormat(u"yyyy-MM");
    EXPECT_FALSE(f.Picker.DroppedDown());
    EXPECT_TRUE(p.Columns().empty());
    f.Run(p, 300);
    EXPECT_EQ(f.Changes, 0);
    TPickerPopupModel& again = f.Open();
    EXPECT_EQ(again.Columns().size(), 2u);
    EXPECT_EQ(TFormPicker::Texts(again, 0)[3], u"2022");
}

TEST(PickerPopup, DestroyedWhileSliding)
{
    auto f = std::make_unique<TFormPicker>();
    TPickerPopupModel& p = f->Open();
    p.MouseDown(TFormPicker::RowPoint(p, 0, 2));
    f.reset(); // no events, no dangling slide
    SUCCEED();
}

TEST(PickerPopup, ZeroRowHeightHasNoRowsToHit)
{
    TFormPicker f;
    f.Picker.SetClientSize({150, 0});
    TPickerPopupModel& p = f.Open();
    EXPECT_FALSE(p.GetCellValueByMousePos({20, 0}).has_value());
    p.MouseDown({20, 0});
    EXPECT_FALSE(p.IsAnimating());
    EXPECT_LE(p.GetColumnCells(0).size(), 1u);
}

TEST(PickerPopup, BorderAsWideAsHalfARowStillHitsRows)
{
    TFormPicker f;
    f.Picker.SetBorderSize(16); // h - 2 x border = 0
    TPickerPopupModel& p = f.Open();
    EXPECT_EQ(p.GetCellValueByMousePos(TFormPicker::RowPoint(p, 0, 2))->Value, 22);
}

TEST(PickerPopup, FailedStepAtTheEndOfASlideStopsTheSlide)
{
    TFormPicker f;
    f.Picker.SetMaxYear(10000);
    f.Picker.SetDate(EncodeDate(9999, 4, 20));
    TPickerPopupModel& p = f.Open();
    // Year 10000 names no date: it is not shown, and stepping to it fails once.
    EXPECT_EQ(TFormPicker::Texts(p, 2).back(), u"9999");
    p.MouseDown({115, 215});
    bool raised = false;
    try {
        f.Run(p, 250);
    } catch (const core::EConvertError& e) {
        raised = true;
        EXPECT_EQ(e.Message(), u"Invalid argument to date encode");
    }
    EXPECT_TRUE(raised);
    EXPECT_FALSE(p.IsAnimating());
    f.Run(p, 50);
    EXPECT_EQ(p.Columns()[2]->GetCurrentValue(), 9999);
    EXPECT_EQ(p.Columns()[2]->FDrawOffset, 0);
}

} // namespace

namespace {

TEST(PickerPopupPosition, TheBandIsCentredOnThePickerWithOrWithoutTheButtonRow)
{
    struct Case {
        TSize Popup;
        TRect Band;
        TPoint Expected;
    };
    const TRect picker{376, 344, 526, 376};
    for (const Case& c : {Case{{150, 256}, {0, 96, 150, 128}, {376, 248}}, Case{{150, 224}, {0, 96, 150, 128}, {376, 248}},
                          Case{{150, 96}, {0, 32, 150, 64}, {376, 312}}}) {
        EXPECT_EQ(TBasePickerModel::CalcDropDownPosition(picker, c.Popup, c.Band, {1920, 1080}), c.Expected);
        // With the button row the older formula gives the same place.
        if (c.Popup.Height == 256) {
            EXPECT_EQ(TBasePickerModel::CalcDropDownPosition(picker, c.Popup, 32, {1920, 1080}), c.Expected);
        }
    }
}

} // namespace

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/datetime.h"
#include "core/exception.h"
#include "picker_fixture.h"
#include "pickers/date_columns.h"
#include "pickers/date_text.h"

using namespace pickers;
using core::EncodeDate;
using pickers_test::TFormPicker;

namespace {

std::vector<std::u16string> ClosedTexts(const TDatePickerModel& m)
{
    std::vector<std::u16string> out;
    for (const auto& c : m.Columns())
        out.push_back(c->GetValueString(c->GetCurrentValue()));
    return out;
}

TEST(DatePickerModel, Defaults)
{
    TDatePickerModel m;
    EXPECT_EQ(m.GetMinYear(), 1900);
    EXPECT_EQ(m.GetMaxYear(), 3000);
    EXPECT_EQ(m.GetDate(), Today());
    EXPECT_EQ(m.DropDownCount(), 7);
    EXPECT_TRUE(m.ShowOkCancel());
    EXPECT_FALSE(m.DroppedDown());
    // The locale's short format names all three parts.
    EXPECT_TRUE(m.DayVisible() && m.MonthVisible() && m.YearVisible()) << core::ToUtf8(m.GetDateFormat());
}

struct TFormatCase {
    const char16_t* Format;
    std::vector<std::u16string> Texts;
    bool Day, Month, Year;
};

class DateFormatTest : public ::testing::TestWithParam<TFormatCase> {};

TEST_P(DateFormatTest, ColumnsShowTheDate)
{
    TFormPicker f;
    f.Picker.SetDateFormat(GetParam().Format);
    EXPECT_EQ(ClosedTexts(f.Picker), GetParam().Texts);
    EXPECT_EQ(f.Picker.DayVisible(), GetParam().Day);
    EXPECT_EQ(f.Picker.MonthVisible(), GetParam().Month);
    EXPECT_EQ(f.Picker.YearVisible(), GetParam().Year);
    EXPECT_EQ(f.Picker.GetDate(), EncodeDate(2022, 4, 20));
    EXPECT_EQ(f.Changes, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, DateFormatTest,
    ::testing::Values(TFormatCase{u"dd/MM/yyyy", {u"20", u"04", u"2022"}, true, true, true},
                      TFormatCase{u"MMMM d, yyyy", {u"April", u"20", u"2022"}, true, true, true},
                      TFormatCase{u"ddd dd mmm yy", {u"Wed", u"20", u"Apr", u"22"}, true, true, true},
                      TFormatCase{u"MM/yyyy", {u"04", u"2022"}, false, true, true},
                      TFormatCase{u"hh:nn", {}, false, false, false}));

TEST(DatePickerModel, OnChangeOnlyForARealChange)
{
    TFormPicker f;
    f.Picker.SetDate(EncodeDate(2022, 4, 20));
    EXPECT_EQ(f.Changes, 0);
    f.Picker.SetDate(EncodeDate(2022, 4, 21));
    EXPECT_EQ(f.Changes, 1);
    EXPECT_EQ(ClosedTexts(f.Picker)[0], u"21");
    f.Picker.SetDateFormat(u"dd/MM/yyyy"); // same text: nothing happens
    f.Picker.SetMinYear(1950);
    EXPECT_EQ(f.Changes, 1);
}

TEST(DatePickerModel, DatesThatNameNoDayAreRejectedUnchanged)
{
    TFormPicker f;
    for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                       -700000.0, 3e6}) {
        try {
            f.Picker.SetDate(bad);
            ADD_FAILURE() << bad;
        } catch (const core::EConvertError& e) {
            EXPECT_EQ(e.Message(), u"Invalid argument to date encode");
        }
    }
    EXPECT_EQ(f.Picker.GetDate(), EncodeDate(2022, 4, 20));
    EXPECT_EQ(f.Changes, 0);
    EXPECT_EQ(ClosedTexts(f.Picker), (std::vector<std::u16string>{u"20", u"04", u"2022"}));
}

TEST(DatePickerModel, FormatWithoutPartsStillKeepsTheDate)
{
    TFormPicker f;
    f.Picker.SetDateFormat(u"'at' hh:nn");
    EXPECT_TRUE(f.Picker.Columns().empty());
    f.Picker.SetDate(EncodeDate(1999, 12, 31));
    EXPECT_EQ(f.Picker.GetDate(), EncodeDate(1999, 12, 31));
    EXPECT_EQ(f.Picker.GetDateFromColumns(), EncodeDate(1999, 12, 31));
    EXPECT_EQ(f.Picker.CalcSizes({150, 32}, pickers_test::FixedPitch), (TSize{150, 32}));
    // Dropping down and accepting changes nothing.
    f.Picker.DropDown();
    f.Picker.CloseUp(true);
    EXPECT_EQ(f.Changes, 1);
}

// Without a day column the committed day is clamped to the chosen month
// instead of failing to encode (31 January -> February).
struct TNoDayCase {
    const char16_t* Format;
    int Year, Month, Day;  // committed
    int NewMonth, NewYear; // picked (0: column not touched)
    int EYear, EMonth, EDay;
};

class NoDayColumnTest : public ::testing::TestWithParam<TNoDayCase> {};

TEST_P(NoDayColumnTest, AcceptClampsTheDay)
{
    const TNoDayCase& c = GetParam();
    TFormPicker f;
    f.Picker.SetDateFormat(c.Format);
    f.Picker.SetDate(EncodeDate(c.Year, c.Month, c.Day));
    f.Changes = 0;
    f.Picker.DropDown();
    for (const auto& col : f.Picker.Columns()) {
        if (c.NewMonth && dynamic_cast<TPickerMonthColumn*>(col.get()))
            col->SetCurrentValue(c.NewMonth);
        if (c.NewYear && dynamic_cast<TPickerYearColumn*>(col.get()))
            col->SetCurrentValue(c.NewYear);
    }
    f.Picker.CloseUp(true);
    EXPECT_EQ(f.Picker.GetDate(), EncodeDate(c.EYear, c.EMonth, c.EDay));
    EXPECT_EQ(f.Changes, f.Picker.GetDate() == EncodeDate(c.Year, c.Month, c.Day) ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, NoDayColumnTest,
    ::testing::Values(TNoDayCase{u"MM/yyyy", 2024, 1, 31, 2, 0, 2024, 2, 29},
                      TNoDayCase{u"MM/yyyy", 2023, 1, 31, 2, 0, 2023, 2, 28},
                      TNoDayCase{u"yyyy", 2024, 2, 29, 0, 2023, 2023, 2, 28},
                      TNoDayCase{u"MMMM", 2022, 8, 31, 9, 0, 2022, 9, 30},
                      // No year column: the committed leap day survives an
                      // unchanged accept whatever year the working date had.
                      TNoDayCase{u"dd/MM", 2024, 2, 29, 0, 0, 2024, 2, 29}));

TEST(DatePickerModel, UnchangedAcceptKeepsTheTimeOfDay)
{
    for (double committed : {44671.75, -10.25, -0.5, 0.5}) {
        TFormPicker f;
        f.Picker.SetDate(committed);
        f.Changes = 0;
        f.Picker.DropDown();
        f.Picker.CloseUp(true);
        EXPECT_EQ(f.Picker.GetDate(), committed);
        EXPECT_EQ(f.Changes, 0);
    }
}

TEST(DatePickerModel, StoredDateArrivesBeforeTheFormat)
{
    SetDateTextLocale("en_US");
    TDatePickerModel m;
    m.SetDate(44671); // 2022-04-20, spread over the locale format's columns first
    m.SetDateFormat(u"dd/MM/yyyy");
    EXPECT_EQ(ClosedTexts(m), (std::vector<std::u16string>{u"20", u"04", u"2022"}));
    EXPECT_EQ(m.GetDate(), EncodeDate(2022, 4, 20));
}

TEST(DatePickerModel, CommittedYearOutsideTheLimitsIsShownUnchanged)
{
    TFormPicker f;
    f.Picker.SetDate(EncodeDate(1850, 6, 1));
    EXPECT_EQ(ClosedTexts(f.Picker)[2], u"1850");
}

TEST(DatePickerModel, ClosedLayoutSharesTheWidthByMinimumSizes)
{
    TFormPicker f;
    const auto& cols = f.Picker.Columns();
    ASSERT_EQ(cols.size(), 3u);
    // Minimum widths 26 ("31"), 26 ("12"), 42 ("3000") share 148 pixels; the
    // last column is widened to the right edge.
    EXPECT_EQ(f.Picker.ClientSize(), (TSize{150, 32}));
    EXPECT_EQ(cols[0]->FBoundsRect, (TRect{0, 0, 40, 32}));
    EXPECT_EQ(cols[1]->FBoundsRect, (TRect{40, 0, 80, 32}));
    EXPECT_EQ(cols[2]->FBoundsRect, (TRect{80, 0, 150, 32}));
    // Never narrower or lower than the columns need.
    EXPECT_EQ(f.Picker.CalcSizes({20, 10}, pickers_test::FixedPitch), (TSize{96, 26}));
    // A measure that finds nothing shares the width equally.
    EXPECT_EQ(f.Picker.CalcSizes({92, 32}, [](std::u16string_view) { return TSize{}; }), (TSize{92, 32}));
    EXPECT_EQ(cols[1]->FBoundsRect, (TRect{30, 0, 60, 32}));
}

} // namespace

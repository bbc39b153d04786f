#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <optional>

#include "core/datetime.h"
#include "core/exception.h"
#include "pickers/date_columns.h"
#include "pickers/date_text.h"
#include "pickers/format_parser.h"

using namespace pickers;
using core::EncodeDate;

namespace {

using P = TDatePart;

struct TSplitCase {
    const char16_t* Format;
    std::vector<TFormatToken> Tokens;
};

class SplitDateFormatTest : public ::testing::TestWithParam<TSplitCase> {};

TEST_P(SplitDateFormatTest, MatchesInOrder)
{
    EXPECT_EQ(SplitDateFormat(GetParam().Format), GetParam().Tokens);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, SplitDateFormatTest,
    ::testing::Values(
        TSplitCase{u"dd/MM/yyyy", {{P::dpDay, u"dd"}, {P::dpMonth, u"MM"}, {P::dpYear, u"yyyy"}}},
        TSplitCase{u"MMMM d, yyyy", {{P::dpMonth, u"MMMM"}, {P::dpDay, u"d"}, {P::dpYear, u"yyyy"}}},
        TSplitCase{u"YYYY-Mm-Dd", {{P::dpYear, u"YYYY"}, {P::dpMonth, u"Mm"}, {P::dpDay, u"Dd"}}},
        // Alternatives are tried in order; long runs split.
        TSplitCase{u"yyy", {{P::dpYear, u"yy"}, {P::dpYear, u"y"}}},
        TSplitCase{u"yyyyy", {{P::dpYear, u"yyyy"}, {P::dpYear, u"y"}}},
        TSplitCase{u"mmmmmm", {{P::dpMonth, u"mmmm"}, {P::dpMonth, u"mm"}}},
        TSplitCase{u"ddddddd", {{P::dpDay, u"dddddd"}, {P::dpDay, u"d"}}},
        TSplitCase{u"d.d", {{P::dpDay, u"d"}, {P::dpDay, u"d"}}},
        // Without d, m or y letters there is nothing; other text is ignored.
        TSplitCase{u"hh:nn:ss", {}},
        TSplitCase{u"", {}},
        TSplitCase{u"\xD800y\xDC00", {{P::dpYear, u"y"}}}));

struct TTextCase {
    const char16_t* Token;
    int Year, Month, Day;
    const char16_t* Text;
};

class FormatDateTokenTest : public ::testing::TestWithParam<TTextCase> {
protected:
    void SetUp() override { SetDateTextLocale("en_US"); }
};

TEST_P(FormatDateTokenTest, FormatsOnePart)
{
    const TTextCase& c = GetParam();
    EXPECT_EQ(FormatDateToken(c.Token, EncodeDate(c.Year, c.Month, c.Day)), c.Text);
}

INSTANTIATE_TEST_SUITE_P(
    Tokens, FormatDateTokenTest,
    ::testing::Values(TTextCase{u"d", 2022, 4, 5, u"5"}, TTextCase{u"dd", 2022, 4, 5, u"05"},
                      TTextCase{u"ddd", 2022, 4, 20, u"Wed"}, TTextCase{u"DDDD", 2022, 4, 20, u"Wednesday"},
                      TTextCase{u"ddddd", 2022, 4, 20, u"4/20/22"},
                      TTextCase{u"dddddd", 2022, 4, 20, u"Wednesday, April 20, 2022"},
                      TTextCase{u"m", 2022, 4, 1, u"4"}, TTextCase{u"MM", 2022, 4, 1, u"04"},
                      TTextCase{u"mmm", 1901, 9, 1, u"Sep"}, TTextCase{u"MMMM", 1901, 12, 1, u"December"},
                      TTextCase{u"y", 2005, 1, 1, u"05"}, TTextCase{u"YY", 2022, 1, 1, u"22"},
                      TTextCase{u"yyyy", 3000, 1, 1, u"3000"}, TTextCase{u"yyyy", 99, 1, 1, u"0099"}));

// Whole dates use the same (proleptic Gregorian) calendar as the day names,
// also before the Gregorian reform.
TEST(FormatDateToken, WholeDatesAgreeWithWeekdayNames)
{
    SetDateTextLocale("en_US");
    for (int year : {1000, 1582, 1900, 2022, 9999}) {
        const double d = EncodeDate(year, 3, 1);
        EXPECT_EQ(FormatDateToken(u"dddddd", d).rfind(FormatDateToken(u"dddd", d), 0), 0u) << year;
        EXPECT_NE(FormatDateToken(u"dddddd", d).find(core::IntToStr(year)), std::u16string::npos) << year;
    }
}

TEST(FormatDateToken, DateThatNamesNoDayIsTheEncodeError)
{
    for (double bad : {std::numeric_limits<double>::quiet_NaN(), 1e9, -1e9}) {
        try {
            FormatDateToken(u"dd", bad);
            ADD_FAILURE() << bad;
        } catch (const core::EConvertError& e) {
            EXPECT_EQ(e.Message(), u"Invalid argument to date encode");
        }
    }
}

struct TColumns {
    IDateProviderRef Provider = std::make_shared<TDateProvider>();
    TPickerDayColumn Day{Provider, u"dd"};
    TPickerMonthColumn Month{Provider, u"MM"};
    TPickerYearColumn Year{Provider, u"yyyy"};

    TColumns(int y, int m, int d)
    {
        Provider->SetMinYear(1900);
        Provider->SetMaxYear(3000);
        Provider->SetDate(EncodeDate(y, m, d));
    }
};

TEST(DateColumns, ValuesAndTextsOfTheWorkingDate)
{
    SetDateTextLocale("en_US");
    TColumns c(2022, 4, 20);
    EXPECT_EQ(c.Day.GetValueString(c.Day.GetCurrentValue()), u"20");
    EXPECT_EQ(c.Month.GetValueString(c.Month.GetCurrentValue()), u"04");
    EXPECT_EQ(c.Year.GetValueString(c.Year.GetCurrentValue()), u"2022");
    EXPECT_EQ(c.Day.GetMaxValue(), 30);
    EXPECT_EQ(c.Month.GetMaxValue(), 12);
    EXPECT_EQ(c.Year.GetMinValue(), 1900);
    EXPECT_EQ(c.Year.GetMaxValue(), 3000);
    EXPECT_TRUE(c.Day.IsCyclic());
    EXPECT_TRUE(c.Month.IsCyclic());
    EXPECT_FALSE(c.Year.IsCyclic());
    // Weekday names follow the working date's year and month.
    TPickerDayColumn weekday(c.Provider, u"dddd");
    EXPECT_EQ(weekday.GetValueString(21), u"Thursday");
}

struct TStepCase {
    const char* Column;
    int Year, Month, Day;
    int From, Delta;
    TPickerStep Expected;
};

class StepTest : public ::testing::TestWithParam<TStepCase> {};

TEST_P(StepTest, CalcNextValue)
{
    const TStepCase& s = GetParam();
    TColumns c(s.Year, s.Month, s.Day);
    const TPickerColumn& col = std::string(s.Column) == "day" ? static_cast<TPickerColumn&>(c.Day)
                               : std::string(s.Column) == "month" ? static_cast<TPickerColumn&>(c.Month)
                                                                  : static_cast<TPickerColumn&>(c.Year);
    EXPECT_EQ(col.CalcNextValue(s.From, s.Delta), s.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, StepTest,
    ::testing::Values(TStepCase{"day", 2022, 1, 31, 31, 1, {1, 1}},       // wraps in a 31-day month
                      TStepCase{"day", 2022, 4, 20, 1, -1, {30, -1}},     // and backwards to the month's end
                      TStepCase{"day", 2024, 2, 10, 29, 1, {1, 1}},       // leap February
                      TStepCase{"day", 2023, 2, 10, 27, 3, {2, 3}},
                      TStepCase{"month", 2022, 4, 20, 12, 1, {1, 1}},
                      TStepCase{"month", 2022, 4, 20, 1, -1, {12, -1}},
                      TStepCase{"month", 2022, 4, 20, 4, 25, {5, 25}},
                      TStepCase{"year", 2022, 4, 20, 3000, 1, {3000, 0}}, // the step fails
                      TStepCase{"year", 2022, 4, 20, 2998, 5, {3000, 2}},
                      TStepCase{"year", 2022, 4, 20, 1901, -5, {1900, -1}},
                      TStepCase{"year", 2022, 4, 20, 1900, 1100, {3000, 1100}},
                      TStepCase{"year", 2022, 4, 20, 2022, 0, {2022, 0}},
                      // A committed year outside the limits only steps towards them.
                      TStepCase{"year", 2022, 4, 20, 1850, -1, {1850, 0}},
                      TStepCase{"year", 2022, 4, 20, 1850, 3, {1853, 3}},
                      // Huge deltas (a wheel set to scroll pages) cost nothing.
                      TStepCase{"month", 2022, 4, 20, 4, 2147483647, {11, 2147483647}},
                      TStepCase{"year", 2022, 4, 20, 2000, -2147483647 - 1, {1900, -100}}));

// The closed form agrees with stepping one value at a time.
TEST(PickerColumn, CalcNextValueEqualsRepeatedSteps)
{
    TColumns c(2024, 2, 10);
    for (const TPickerColumn* col : {static_cast<const TPickerColumn*>(&c.Day),
                                     static_cast<const TPickerColumn*>(&c.Month),
                                     static_cast<const TPickerColumn*>(&c.Year)}) {
        const int lo = col->GetMinValue();
        const int hi = col->GetMaxValue();
        for (int from : {lo - 3, lo, lo + 1, (lo + hi) / 2, hi - 1, hi, hi + 2}) {
            for (int delta : {-40, -13, -2, -1, 0, 1, 2, 13, 40}) {
                int v = from, steps = 0;
                for (int i = 0; i < std::abs(delta); ++i) {
                    const std::optional<int> n = delta > 0 ? col->NextValue(v) : col->PreviousValue(v);
                    if (!n)
                        break;
                    v = *n;
                    steps += delta > 0 ? 1 : -1;
                }
                EXPECT_EQ(col->CalcNextValue(from, delta), (TPickerStep{v, steps})) << from << " " << delta;
            }
        }
    }
}

TEST(PickerColumn, CyclicAndLimitedValues)
{
    TColumns c(2022, 4, 20);
    EXPECT_EQ(c.Month.GetCyclicValue(13), 1);
    EXPECT_EQ(c.Month.GetCyclicValue(0), 12);
    EXPECT_EQ(c.Month.GetCyclicValue(-11), 1);
    EXPECT_EQ(c.Year.LimitValue(3100), 3000);
    EXPECT_EQ(c.Year.LimitValue(10), 1900);
    // An empty range (MinYear above MaxYear) has no cycle and no division by zero.
    c.Provider->SetMinYear(2001);
    c.Provider->SetMaxYear(2000);
    EXPECT_EQ(c.Year.GetCyclicValue(1999), 2001);
}

struct TClampCase {
    const char* Column;
    int Year, Month, Day, Value;
    int EYear, EMonth, EDay;
};

class ClampTest : public ::testing::TestWithParam<TClampCase> {};

TEST_P(ClampTest, SetCurrentValueClampsTheDay)
{
    const TClampCase& s = GetParam();
    TColumns c(s.Year, s.Month, s.Day);
    TPickerColumn& col = std::string(s.Column) == "day" ? static_cast<TPickerColumn&>(c.Day)
                         : std::string(s.Column) == "month" ? static_cast<TPickerColumn&>(c.Month)
                                                            : static_cast<TPickerColumn&>(c.Year);
    col.SetCurrentValue(s.Value);
    EXPECT_EQ(c.Provider->GetDate(), EncodeDate(s.EYear, s.EMonth, s.EDay));
}

INSTANTIATE_TEST_SUITE_P(Clamps, ClampTest,
                         ::testing::Values(TClampCase{"month", 2024, 3, 31, 2, 2024, 2, 29},
                                           TClampCase{"month", 2023, 3, 31, 2, 2023, 2, 28},
                                           TClampCase{"month", 2022, 1, 31, 4, 2022, 4, 30},
                                           TClampCase{"year", 2024, 2, 29, 2023, 2023, 2, 28},
                                           TClampCase{"year", 2024, 2, 29, 2000, 2000, 2, 29},
                                           TClampCase{"day", 2022, 4, 20, 31, 2022, 4, 30},
                                           TClampCase{"day", 2022, 4, 20, 1, 2022, 4, 1}));

TEST(DateColumns, YearsBeyondTheCalendarAreTheEncodeError)
{
    TColumns c(2022, 4, 20);
    c.Provider->SetMaxYear(10000);
    const double before = c.Provider->GetDate();
    EXPECT_THROW(c.Year.SetCurrentValue(10000), core::EConvertError);
    EXPECT_THROW(c.Year.GetValueString(10000), core::EConvertError);
    EXPECT_THROW(c.Day.SetCurrentValue(0), core::EConvertError);
    EXPECT_EQ(c.Provider->GetDate(), before); // nothing half-applied
    c.Provider->SetDate(std::numeric_limits<double>::quiet_NaN());
    EXPECT_THROW(c.Day.GetCurrentValue(), core::EConvertError);
}

TEST(DateColumns, MinimumSizeIsTheMaximumValueGrownByAThirdOfItsHeight)
{
    TColumns c(2022, 4, 20);
    const TTextMeasure measure = [](std::u16string_view t) { return TSize{static_cast<int>(t.size()) * 8, 16}; };
    EXPECT_EQ(c.Day.GetMinSize(measure), (TSize{26, 26}));   // "30"
    EXPECT_EQ(c.Year.GetMinSize(measure), (TSize{42, 26}));  // "3000"
}

} // namespace

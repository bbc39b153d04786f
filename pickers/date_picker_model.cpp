#include "pickers/date_picker_model.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "pickers/date_columns.h"
#include "pickers/date_text.h"
#include "pickers/format_parser.h"

namespace pickers {

TDatePickerModel::TDatePickerModel() : FDateProvider(std::make_shared<TDateProvider>())
{
    FDateFormat = LocaleShortDateFormat();
    SetDate(Today());
    ParseFormat(FDateFormat);
    SetMaxYear(kDefaultMaxYear);
    SetMinYear(kDefaultMinYear);
    InitColumns();
}

void TDatePickerModel::SetDate(core::TDate value)
{
    core::DecodeDate(value); // rejects NaN, infinities and days outside 1..9999
    if (value == FDate)
        return;
    FDate = value;
    DoOnChange();
    SetDateToColumns(FDate);
    OnInvalidate();
}

void TDatePickerModel::SetDateFormat(std::u16string_view value)
{
    if (value == FDateFormat)
        return;
    FDateFormat = std::u16string(value);
    ParseFormat(FDateFormat);
    InitColumns();
    OnInvalidate();
}

void TDatePickerModel::SetMinYear(int value)
{
    FDateProvider->SetMinYear(value);
    OnInvalidate();
}

void TDatePickerModel::SetMaxYear(int value)
{
    FDateProvider->SetMaxYear(value);
    OnInvalidate();
}

template <class C>
bool TDatePickerModel::HasColumn() const
{
    return std::any_of(FColumns.begin(), FColumns.end(),
                       [](const auto& c) { return dynamic_cast<const C*>(c.get()) != nullptr; });
}

bool TDatePickerModel::DayVisible() const { return HasColumn<TPickerDayColumn>(); }
bool TDatePickerModel::MonthVisible() const { return HasColumn<TPickerMonthColumn>(); }
bool TDatePickerModel::YearVisible() const { return HasColumn<TPickerYearColumn>(); }

void TDatePickerModel::ParseFormat(std::u16string_view format)
{
    ClearColumns();
    for (const TFormatToken& t : SplitDateFormat(format)) {
        switch (t.Part) {
        case TDatePart::dpDay:
            FColumns.push_back(std::make_unique<TPickerDayColumn>(FDateProvider, t.Text));
            break;
        case TDatePart::dpMonth:
            FColumns.push_back(std::make_unique<TPickerMonthColumn>(FDateProvider, t.Text));
            break;
        case TDatePart::dpYear:
            FColumns.push_back(std::make_unique<TPickerYearColumn>(FDateProvider, t.Text));
            break;
        }
    }
}

void TDatePickerModel::InitColumns()
{
    SetDateToColumns(FDate);
    OnColumnsChanged();
}

void TDatePickerModel::DefineColumns(std::vector<TPickerColumn*>& list)
{
    TBasePickerModel::DefineColumns(list);
    SetDateToColumns(FDate);
}

void TDatePickerModel::SetDateToColumns(core::TDate value)
{
    const core::DateParts p = core::DecodeDate(value);
    // The whole working date starts from the committed one: a part without a
    // column must not keep a stale value (a leftover year would clamp the
    // day of 29 February in a format without a year column).
    FDateProvider->SetDate(core::EncodeDate(p.Year, p.Month, p.Day));
    TPickerColumn* year = nullptr;
    TPickerColumn* month = nullptr;
    TPickerColumn* day = nullptr;
    for (const auto& c : FColumns) {
        if (!year && dynamic_cast<TPickerYearColumn*>(c.get()))
            year = c.get();
        else if (!month && dynamic_cast<TPickerMonthColumn*>(c.get()))
            month = c.get();
        else if (!day && dynamic_cast<TPickerDayColumn*>(c.get()))
            day = c.get();
    }
    if (year)
        year->SetCurrentValue(p.Year);
    if (month)
        month->SetCurrentValue(p.Month);
    if (day)
        day->SetCurrentValue(p.Day);
}

core::TDate TDatePickerModel::GetDateFromColumns() const
{
    core::DateParts p = core::DecodeDate(FDate);
    for (const auto& c : FColumns) {
        if (dynamic_cast<const TPickerYearColumn*>(c.get()))
            p.Year = c->GetCurrentValue();
        else if (dynamic_cast<const TPickerMonthColumn*>(c.get()))
            p.Month = c->GetCurrentValue();
        else if (dynamic_cast<const TPickerDayColumn*>(c.get()))
            p.Day = c->GetCurrentValue();
    }
    // Without a day column the committed day may not exist in the chosen
    // month (31 January -> February): it is clamped like a column change.
    if (p.Month >= 1 && p.Month <= 12)
        p.Day = std::min(p.Day, core::DaysInMonth(p.Year, p.Month));
    // The committed time of day is kept, so accepting an unchanged pop-up
    // leaves Date as it was.
    const core::TDate day = core::EncodeDate(p.Year, p.Month, p.Day);
    const double time = std::fabs(FDate - std::trunc(FDate));
    // Before 1899-12-30 the fraction counts backwards; on that day itself
    // either sign names the same moment, so the committed one is kept.
    return (day < 0 || (day == 0 && FDate < 0)) ? day - time : day + time;
}

void TDatePickerModel::AcceptDropDown()
{
    SetDate(GetDateFromColumns());
}

void TDatePickerModel::RejectDropDown()
{
    SetDateToColumns(FDate);
}

void TDatePickerModel::DoOnChange()
{
    OnChange(this);
}

} // namespace pickers

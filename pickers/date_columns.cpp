#include "pickers/date_columns.h"

#include <algorithm>
#include <utility>

#include "pickers/date_text.h"

namespace pickers {

TDateColumn::TDateColumn(IDateProviderRef provider) : FDateProvider(std::move(provider)) {}

core::DateParts TDateColumn::ActualParts() const
{
    return core::DecodeDate(FDateProvider->GetDate());
}

// Every change goes through the working date with the day clamped to the
// length of the resulting month; the date is encoded (and may fail) before
// the provider is touched.

TPickerDayColumn::TPickerDayColumn(IDateProviderRef provider, std::u16string daysFormat)
    : TDateColumn(std::move(provider)), FDaysFormat(std::move(daysFormat))
{
}

int TPickerDayColumn::GetCurrentValue() const { return ActualParts().Day; }

void TPickerDayColumn::SetCurrentValue(int value)
{
    const core::DateParts p = ActualParts();
    SetActualDate(core::EncodeDate(p.Year, p.Month, std::min(value, core::DaysInMonth(p.Year, p.Month))));
}

int TPickerDayColumn::GetMaxValue() const
{
    const core::DateParts p = ActualParts();
    return core::DaysInMonth(p.Year, p.Month);
}

std::u16string TPickerDayColumn::GetValueString(int value) const
{
    const core::DateParts p = ActualParts();
    return FormatDateToken(FDaysFormat, core::EncodeDate(p.Year, p.Month, value));
}

TPickerMonthColumn::TPickerMonthColumn(IDateProviderRef provider, std::u16string monthFormat)
    : TDateColumn(std::move(provider)), FMonthFormat(std::move(monthFormat))
{
}

int TPickerMonthColumn::GetCurrentValue() const { return ActualParts().Month; }

void TPickerMonthColumn::SetCurrentValue(int value)
{
    const core::DateParts p = ActualParts();
    SetActualDate(core::EncodeDate(p.Year, value, std::min(p.Day, core::DaysInMonth(p.Year, value))));
}

std::u16string TPickerMonthColumn::GetValueString(int value) const
{
    return FormatDateToken(FMonthFormat, core::EncodeDate(1901, value, 1));
}

TPickerYearColumn::TPickerYearColumn(IDateProviderRef provider, std::u16string yearFormat)
    : TDateColumn(std::move(provider)), FYearFormat(std::move(yearFormat))
{
}

int TPickerYearColumn::GetCurrentValue() const { return ActualParts().Year; }

void TPickerYearColumn::SetCurrentValue(int value)
{
    const core::DateParts p = ActualParts();
    SetActualDate(core::EncodeDate(value, p.Month, std::min(p.Day, core::DaysInMonth(value, p.Month))));
}

std::u16string TPickerYearColumn::GetValueString(int value) const
{
    return FormatDateToken(FYearFormat, core::EncodeDate(value, 1, 1));
}

} // namespace pickers

#pragma once
// The date picker's columns: day, month and year of the provider's working
// date, each with the format token it was split from.
#include <string>

#include "pickers/date_provider.h"
#include "pickers/picker_column.h"

namespace pickers {

class TDateColumn : public TPickerColumn {
public:
    explicit TDateColumn(IDateProviderRef provider);

    core::TDateTime ActualDate() const { return FDateProvider->GetDate(); }
    void SetActualDate(core::TDateTime value) { FDateProvider->SetDate(value); }

protected:
    // The working date decoded; raises "Invalid argument to date encode"
    // when it names no day.
    core::DateParts ActualParts() const;

    IDateProviderRef FDateProvider;
};

class TPickerDayColumn final : public TDateColumn {
public:
    TPickerDayColumn(IDateProviderRef provider, std::u16string daysFormat);

    int GetCurrentValue() const override;
    void SetCurrentValue(int value) override;
    int GetMaxValue() const override;
    int GetMinValue() const override { return 1; }
    std::u16string GetValueString(int value) const override;

    const std::u16string& DaysFormat() const { return FDaysFormat; }

private:
    std::u16string FDaysFormat;
};

class TPickerMonthColumn final : public TDateColumn {
public:
    TPickerMonthColumn(IDateProviderRef provider, std::u16string monthFormat);

    int GetCurrentValue() const override;
    void SetCurrentValue(int value) override;
    int GetMaxValue() const override { return 12; }
    int GetMinValue() const override { return 1; }
    std::u16string GetValueString(int value) const override;

    const std::u16string& MonthFormat() const { return FMonthFormat; }

private:
    std::u16string FMonthFormat;
};

class TPickerYearColumn final : public TDateColumn {
public:
    TPickerYearColumn(IDateProviderRef provider, std::u16string yearFormat);

    int GetCurrentValue() const override;
    void SetCurrentValue(int value) override;
    int GetMaxValue() const override { return FDateProvider->GetMaxYear(); }
    int GetMinValue() const override { return FDateProvider->GetMinYear(); }
    std::u16string GetValueString(int value) const override;
    bool IsCyclic() const override { return false; }

    const std::u16string& YearFormat() const { return FYearFormat; }

private:
    std::u16string FYearFormat;
};

} // namespace pickers

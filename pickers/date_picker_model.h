#pragma once
// The date picker's state without its window: the committed Date and its
// format, the working date the columns change while the pop-up is open, the
// year limits, and OnChange, raised only when Date really changes.
#include <string>
#include <string_view>

#include "core/closure.h"
#include "core/datetime.h"
#include "pickers/base_picker_model.h"
#include "pickers/date_provider.h"

namespace pickers {

class TDatePickerModel : public TBasePickerModel {
public:
    static constexpr int kDefaultMinYear = 1900;
    static constexpr int kDefaultMaxYear = 3000;

    // Today in the locale's short date format, years 1900..3000.
    TDatePickerModel();

    core::TDate GetDate() const { return FDate; }
    // Raises EConvertError "Invalid argument to date encode" for NaN and for
    // values outside 0001-01-01..9999-12-31, leaving everything unchanged.
    void SetDate(core::TDate value);
    const std::u16string& GetDateFormat() const { return FDateFormat; }
    void SetDateFormat(std::u16string_view value);
    int GetMinYear() const { return FDateProvider->GetMinYear(); }
    void SetMinYear(int value);
    int GetMaxYear() const { return FDateProvider->GetMaxYear(); }
    void SetMaxYear(int value);

    bool DayVisible() const;
    bool MonthVisible() const;
    bool YearVisible() const;

    const IDateProviderRef& DateProvider() const { return FDateProvider; }
    // The committed date with every column's part replaced by its value
    // (the day clamped to the month, the time of day kept).
    core::TDate GetDateFromColumns() const;
    void SetDateToColumns(core::TDate value);

    void AcceptDropDown() override;
    // Appends the columns and resets the working date to Date.
    void DefineColumns(std::vector<TPickerColumn*>& list) override;
    void InitColumns() override;
    void ParseFormat(std::u16string_view format) override;
    void RejectDropDown() override;

    core::Closure<void(TDatePickerModel* sender)> OnChange;

protected:
    virtual void DoOnChange();

private:
    template <class C>
    bool HasColumn() const;

    core::TDate FDate = 0;
    std::u16string FDateFormat;
    IDateProviderRef FDateProvider;
};

} // namespace pickers

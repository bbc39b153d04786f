#pragma once
// A date picker model set up like the form's DatePicker1: "dd/MM/yyyy",
// 2022-04-20, 150 x 32, border 1, 7 rows with OK/Cancel, English names, a
// fixed-pitch text measure (8 x 16 pixels per character) and a virtual clock.
#include <cstdint>
#include <string>
#include <vector>

#include "core/datetime.h"
#include "pickers/date_picker_model.h"
#include "pickers/date_text.h"

namespace pickers_test {

inline pickers::TSize FixedPitch(std::u16string_view text)
{
    return {static_cast<int>(text.size()) * 8, 16};
}

struct TFormPicker {
    pickers::TDatePickerModel Picker;
    uint64_t Now = 1000;
    int Changes = 0;

    TFormPicker()
    {
        pickers::SetDateTextLocale("en_US");
        Picker.SetDate(core::EncodeDate(2022, 4, 20));
        Picker.SetDateFormat(u"dd/MM/yyyy");
        Picker.SetClientSize(Picker.CalcSizes({150, 32}, FixedPitch));
        Picker.OnChange = core::Closure<void(pickers::TDatePickerModel*)>::Bind(
            this, [this](pickers::TDatePickerModel*) { ++Changes; });
    }

    // Drops the picker down and puts the pop-up on the virtual clock.
    pickers::TPickerPopupModel& Open()
    {
        Picker.DropDown();
        pickers::TPickerPopupModel& p = *Picker.PopupControl();
        p.TickCount = [this] { return Now; };
        return p;
    }

    // Runs the 10 ms timer for `ms` milliseconds of virtual time.
    void Run(pickers::TPickerPopupModel& p, int ms)
    {
        for (int t = 0; t < ms; t += 10) {
            Now += 10;
            p.Tick();
        }
    }

    // The texts of a pop-up column from top to bottom.
    static std::vector<std::u16string> Texts(const pickers::TPickerPopupModel& p, int column)
    {
        std::vector<std::u16string> out;
        for (const auto& c : p.GetColumnCells(column))
            out.push_back(c.Text);
        return out;
    }

    // A point in column `column`, `rows` rows below (negative: above) the
    // middle of the band.
    static pickers::TPoint RowPoint(const pickers::TPickerPopupModel& p, int column, int rows)
    {
        const auto& b = p.Columns()[static_cast<size_t>(column)]->FDropDownBounds;
        const auto& band = p.SelectRect();
        return {(b.Left + b.Right) / 2, (band.Top + band.Bottom) / 2 + rows * p.ItemHeight()};
    }
};

} // namespace pickers_test

#include "pickers/picker_column.h"

#include <cstdlib>

#include "core/ustring.h"

namespace pickers {

TPickerColumn::TPickerColumn()
{
    FUpButton.FButtonType = TPickerButtonType::pbtUp;
    FDownButton.FButtonType = TPickerButtonType::pbtDown;
}

std::optional<int> TPickerColumn::NextValue(int value) const
{
    if (value < GetMaxValue())
        return value + 1;
    if (IsCyclic())
        return GetMinValue();
    return std::nullopt;
}

std::optional<int> TPickerColumn::PreviousValue(int value) const
{
    if (value > GetMinValue())
        return value - 1;
    if (IsCyclic())
        return GetMaxValue();
    return std::nullopt;
}

TPickerStep TPickerColumn::CalcNextValue(int value, int delta) const
{
    // Same result as applying NextValue/PreviousValue |delta| times, computed
    // in closed form so that a huge delta (a wheel set to scroll "a page")
    // costs nothing.
    const long long lo = GetMinValue();
    const long long hi = GetMaxValue();
    long long v = value;
    long long left = std::llabs(static_cast<long long>(delta));
    long long taken = 0;
    const auto take = [&](long long n) {
        n = n < left ? n : left;
        left -= n;
        taken += n;
        return n;
    };
    if (delta > 0) {
        if (v < hi)
            v += take(hi - v);
        if (left > 0 && IsCyclic()) {
            take(1); // at or beyond Max: wraps to Min
            v = lo;
            const long long n = take(left);
            if (lo < hi)
                v = lo + n % (hi - lo + 1);
        }
    } else if (delta < 0) {
        if (v > lo)
            v -= take(v - lo);
        if (left > 0 && IsCyclic()) {
            take(1); // at or below Min: wraps to Max
            v = hi;
            const long long n = take(left);
            if (lo < hi)
                v = hi - n % (hi - lo + 1);
        }
    }
    return {static_cast<int>(v), static_cast<int>(delta > 0 ? taken : -taken)};
}

int TPickerColumn::GetCyclicValue(int value) const
{
    const long long lo = GetMinValue();
    const long long range = static_cast<long long>(GetMaxValue()) - lo + 1;
    if (range <= 0) // an empty range has no cycle
        return GetMinValue();
    long long r = (static_cast<long long>(value) - lo) % range;
    if (r < 0)
        r += range;
    return static_cast<int>(lo + r);
}

int TPickerColumn::LimitValue(int value) const
{
    if (value > GetMaxValue())
        value = GetMaxValue();
    if (value < GetMinValue())
        value = GetMinValue();
    return value;
}

std::u16string TPickerColumn::GetValueString(int value) const
{
    return core::IntToStr(value);
}

TSize TPickerColumn::GetMinSize(const TTextMeasure& measure) const
{
    TSize s = measure ? measure(GetValueString(GetMaxValue())) : TSize{};
    const int grow = s.Height / 3;
    s.Width += 2 * grow;
    s.Height += 2 * grow;
    return s;
}

} // namespace pickers

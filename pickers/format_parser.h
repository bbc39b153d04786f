#pragma once
// Splits a date format into the parts a picker shows: every match of
// "(yyyy|yy|y)|(m{1,4})|(d{1,6})" (any letter case), in order; all other
// text is ignored.
#include <string>
#include <string_view>
#include <vector>

namespace pickers {

enum class TDatePart { dpDay, dpMonth, dpYear };

struct TFormatToken {
    TDatePart Part;
    std::u16string Text; // the matched letters as written
    friend bool operator==(const TFormatToken&, const TFormatToken&) = default;
};

std::vector<TFormatToken> SplitDateFormat(std::u16string_view format);

} // namespace pickers

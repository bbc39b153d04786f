#pragma once
// Date and time text for the date-time fields: the format settings in force,
// the format-string routine ("c", "d".."dddddd", "m".."mmmm", "yy", "yyyy",
// "h", "hh", "n", "nn", "s", "ss", "z", "zzz", "t", "tt", "am/pm", "a/p",
// "ampm", "/", ":", quoted text) and the parsers for typed text.
#include <string>
#include <string_view>

#include "core/datetime.h"

namespace data {

struct TDateFormatSettings {
    char16_t DateSeparator = u'/';
    char16_t TimeSeparator = u':';
    // Day, month and year letters in the order dates are typed and shown.
    std::u16string ShortDateFormat = u"dd/mm/yyyy";
    std::u16string LongDateFormat = u"dddd, d mmmm yyyy";
    std::u16string ShortTimeFormat = u"hh:nn";
    std::u16string LongTimeFormat = u"hh:nn:ss";
    std::u16string TimeAMString = u"AM";
    std::u16string TimePMString = u"PM";
    // A two-digit year below this is taken as 20yy, otherwise as 19yy.
    int TwoDigitYearPivot = 50;
};

// The settings every date-time field formats and parses with; changeable.
TDateFormatSettings& DateFormatSettings();

// Raises EConvertError "Invalid argument to date encode" when `value` names no day.
std::u16string FormatDateTime(std::u16string_view format, core::TDateTime value);

// Text as typed: leading and trailing blanks are ignored. A date has its
// parts in the short date format's order, separated by the date separator;
// with two parts the year is the current one. A time is hours[:minutes
// [:seconds[.milliseconds]]] optionally followed by the AM or PM string.
bool TryStrToDate(std::u16string_view text, core::TDateTime& value);
bool TryStrToTime(std::u16string_view text, core::TDateTime& value);
// A date, a time, or a date followed by blanks and a time.
bool TryStrToDateTime(std::u16string_view text, core::TDateTime& value);

} // namespace data

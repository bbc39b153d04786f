#pragma once
// Date text for the picker's columns: each format token ("d" .. "dddddd",
// "m" .. "mmmm", "y", "yy", "yyyy", any letter case) formatted with the
// current locale's names and date formats (ICU locale data).
#include <string>
#include <string_view>

#include "core/datetime.h"

namespace pickers {

// The locale used for month and weekday names and the short/long date
// formats. Empty selects ICU's default locale (from the environment).
void SetDateTextLocale(std::string_view localeName);
std::string DateTextLocale();

// Formats `date` with one token. Letters other than d, m and y, and tokens
// longer than the longest of their kind, are returned as they are. Raises
// EConvertError "Invalid argument to date encode" for a date that names no day.
std::u16string FormatDateToken(std::u16string_view token, core::TDateTime date);

// The locale's short date format written with d/M/y letters (e.g. "M/d/yy").
std::u16string LocaleShortDateFormat();

// Today's date in local time, without a time of day.
core::TDate Today();

} // namespace pickers

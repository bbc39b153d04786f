#pragma once
// Number text for numeric fields: parsing, general formatting and the
// format-string routine ("#", "0", ".", ",", sections separated by ";").
#include <string>
#include <string_view>

namespace data {

char16_t DecimalSeparator();
char16_t ThousandSeparator();
// Money as shown when a currency field has no display format.
std::u16string CurrencyDisplayFormat();
// Leading and trailing blanks allowed; anything else must be a number.
bool ParseFloat(std::u16string_view text, double& value);
// Shortest general form with at most `precision` significant digits.
std::u16string FormatGeneral(double value, int precision);
// `format` as described above; literal characters are copied, text in quotes verbatim.
std::u16string FormatFloat(std::u16string_view format, double value);

} // namespace data

#pragma once
// National language services through ICU: locale-aware comparison, case
// mapping, code-page conversion and locale names.
#include <string>
#include <string_view>

namespace platform {

// Comparison flags.
constexpr unsigned NORM_IGNORECASE = 0x1, NORM_IGNORENONSPACE = 0x2, SORT_STRINGSORT = 0x1000;

// The locale used when none is named ("en-US" unless changed).
std::string GetUserDefaultLocaleName();
void SetUserDefaultLocaleName(std::string_view name);
bool IsValidLocaleName(std::string_view name);

// Negative, 0 or positive as `a` sorts before, with or after `b` in the
// locale's collation (empty locale: the user default).
int CompareStringLocale(std::u16string_view a, std::u16string_view b, unsigned flags = 0, std::string_view locale = {});
std::u16string LocaleUpperCase(std::u16string_view s, std::string_view locale = {});
std::u16string LocaleLowerCase(std::u16string_view s, std::string_view locale = {});

// Code pages by number (1252, 1250, 437, 65001 = UTF-8, ...). Characters the
// page cannot hold become '?'. An unknown code page raises EConvertError
// "Code page {n} is not supported".
std::string ToCodePage(std::u16string_view text, int codePage);
std::u16string FromCodePage(std::string_view bytes, int codePage);
bool IsValidCodePage(int codePage);

} // namespace platform

#pragma once
// UTF-16 string helpers: conversion to and from UTF-8, case-insensitive
// comparison (for component names, property names, identifiers) and case
// mapping. Text held by components and datasets is std::u16string.
#include <string>
#include <string_view>

#include <fmt/format.h>

namespace core {

using String = std::u16string;

// Malformed sequences become U+FFFD; conversion never throws.
std::string ToUtf8(std::u16string_view s);
std::u16string FromUtf8(std::string_view s);
// Plain ASCII widening, for literals known to be ASCII.
std::u16string FromAscii(std::string_view s);

// Full Unicode simple case folding.
int CompareText(std::u16string_view a, std::u16string_view b);
inline bool SameText(std::u16string_view a, std::u16string_view b) { return CompareText(a, b) == 0; }
// Ordinal comparison of code units.
int CompareStr(std::u16string_view a, std::u16string_view b);

std::u16string UpperCase(std::u16string_view s);
std::u16string LowerCase(std::u16string_view s);
std::u16string Trim(std::u16string_view s);

// Decimal text of an integer.
std::u16string IntToStr(long long v);

// fmt into UTF-16: the template and the arguments are formatted as UTF-8 and
// the result converted. Pass UTF-16 arguments through ToUtf8 (fmt refuses to
// mix character types).
template <class... Args>
std::u16string Format(fmt::format_string<Args...> templ, Args&&... args)
{
    return FromUtf8(fmt::format(templ, std::forward<Args>(args)...));
}

} // namespace core


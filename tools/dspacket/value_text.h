// Text forms of packet values shared by `show` and `make`: dates, times,
// hex, 8-bit and UTF-16 text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dspacket {

std::string DateText(std::int32_t days);          // day 1 = 0001-01-01, 0 = 0000-00-00
std::optional<std::int32_t> DateFromText(const std::string& s);
std::string TimeText(std::int64_t ms);            // HH:MM:SS.mmm
std::optional<std::int64_t> TimeFromText(const std::string& s);
std::string Hex(const std::uint8_t* p, std::size_t n);
std::optional<std::vector<std::uint8_t>> FromHex(const std::string& s);
std::string Latin(const std::uint8_t* p, std::size_t n);  // code page 1252 to UTF-8
std::optional<std::string> ToLatin(const std::string& utf8);
std::string Utf16Le(const std::uint8_t* p, std::size_t n);  // UTF-16LE to UTF-8
std::vector<std::uint8_t> ToUtf16Le(const std::string& utf8);

}  // namespace dspacket

#include "value_text.h"

#include <fmt/format.h>
#include <unicode/ustring.h>

#include <cstdio>

#include "engine/collation.h"

namespace dspacket {

namespace {
// days since 0001-01-01 (day 1) <-> civil date, proleptic Gregorian
void CivilFromDay(std::int64_t day, std::int64_t& y, unsigned& m, unsigned& d) {
  const std::int64_t z = day - 1 + 306;  // 0001-01-01 is 306 days after 0000-03-01
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  if (m <= 2) ++y;
}

std::int64_t DayFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 306 + 1;
}
}  // namespace

std::string DateText(std::int32_t days) {
  if (days == 0) return "0000-00-00";
  std::int64_t y;
  unsigned m, d;
  CivilFromDay(days, y, m, d);
  return fmt::format("{:04}-{:02}-{:02}", y, m, d);
}

std::optional<std::int32_t> DateFromText(const std::string& s) {
  if (s == "0000-00-00") return 0;
  int y, m, d;
  char tail;
  if (std::sscanf(s.c_str(), "%d-%d-%d%c", &y, &m, &d, &tail) != 3) return std::nullopt;
  if (m < 1 || m > 12 || d < 1 || d > 31) return std::nullopt;
  const std::int64_t v = DayFromCivil(y, static_cast<unsigned>(m), static_cast<unsigned>(d));
  if (v < INT32_MIN || v > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(v);
}

std::string TimeText(std::int64_t ms) {
  const bool neg = ms < 0;
  std::uint64_t u = neg ? static_cast<std::uint64_t>(-(ms + 1)) + 1 : static_cast<std::uint64_t>(ms);
  return fmt::format("{}{:02}:{:02}:{:02}.{:03}", neg ? "-" : "", u / 3600000, u / 60000 % 60, u / 1000 % 60, u % 1000);
}

std::optional<std::int64_t> TimeFromText(const std::string& s) {
  long long h, mi, se, ms;
  char tail;
  if (std::sscanf(s.c_str(), "%lld:%lld:%lld.%lld%c", &h, &mi, &se, &ms, &tail) != 4) return std::nullopt;
  if (h < 0 || mi < 0 || mi > 59 || se < 0 || se > 59 || ms < 0 || ms > 999 || h > 1000000000) return std::nullopt;
  return ((h * 60 + mi) * 60 + se) * 1000 + ms;
}

std::string Hex(const std::uint8_t* p, std::size_t n) {
  static const char* d = "0123456789ABCDEF";
  std::string s;
  s.reserve(n * 2);
  for (std::size_t i = 0; i < n; ++i) {
    s.push_back(d[p[i] >> 4]);
    s.push_back(d[p[i] & 15]);
  }
  return s;
}

std::optional<std::vector<std::uint8_t>> FromHex(const std::string& s) {
  if (s.size() % 2) return std::nullopt;
  std::vector<std::uint8_t> out;
  auto v = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  for (std::size_t i = 0; i < s.size(); i += 2) {
    const int a = v(s[i]), b = v(s[i + 1]);
    if (a < 0 || b < 0) return std::nullopt;
    out.push_back(static_cast<std::uint8_t>(a * 16 + b));
  }
  return out;
}

static std::string Utf16ToUtf8(const std::u16string& w) {
  std::string out(w.size() * 3 + 1, '\0');
  int32_t n = 0;
  UErrorCode err = U_ZERO_ERROR;
  u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &n, reinterpret_cast<const UChar*>(w.data()),
                     static_cast<int32_t>(w.size()), 0xFFFD, nullptr, &err);
  out.resize(U_SUCCESS(err) ? static_cast<std::size_t>(n) : 0);
  return out;
}

std::string Latin(const std::uint8_t* p, std::size_t n) {
  auto c = engine::Collation::Get(0, engine::kDefaultCodePage);
  return Utf16ToUtf8(c->ToUtf16(reinterpret_cast<const char*>(p), n));
}

std::optional<std::string> ToLatin(const std::string& utf8) {
  std::u16string w(utf8.size() + 1, u'\0');
  int32_t n = 0;
  UErrorCode err = U_ZERO_ERROR;
  u_strFromUTF8(reinterpret_cast<UChar*>(w.data()), static_cast<int32_t>(w.size()), &n, utf8.data(),
                static_cast<int32_t>(utf8.size()), &err);
  if (U_FAILURE(err)) return std::nullopt;
  w.resize(static_cast<std::size_t>(n));
  auto c = engine::Collation::Get(0, engine::kDefaultCodePage);
  return c->FromUtf16(w.data(), w.size());
}

std::string Utf16Le(const std::uint8_t* p, std::size_t n) {
  std::u16string w;
  for (std::size_t i = 0; i + 1 < n; i += 2) w.push_back(static_cast<char16_t>(p[i] | (p[i + 1] << 8)));
  return Utf16ToUtf8(w);
}

std::vector<std::uint8_t> ToUtf16Le(const std::string& utf8) {
  std::u16string w(utf8.size() + 1, u'\0');
  int32_t n = 0;
  UErrorCode err = U_ZERO_ERROR;
  u_strFromUTF8WithSub(reinterpret_cast<UChar*>(w.data()), static_cast<int32_t>(w.size()), &n, utf8.data(),
                       static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr, &err);
  std::vector<std::uint8_t> out;
  for (int32_t i = 0; i < n && U_SUCCESS(err); ++i) {
    out.push_back(static_cast<std::uint8_t>(w[static_cast<std::size_t>(i)]));
    out.push_back(static_cast<std::uint8_t>(w[static_cast<std::size_t>(i)] >> 8));
  }
  return out;
}

}  // namespace dspacket

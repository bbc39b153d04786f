#include "data/filter/filter_constants.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "core/datetime.h"
#include "data/db_error.h"
#include "data/filter/filter_messages.h"
#include "engine/dstypes.h"

namespace data {

namespace {

template <class... Args>
[[noreturn]] void Error(const char* templ, Args&&... args) {
  throw EDatabaseError(core::Format(fmt::runtime(templ), std::forward<Args>(args)...));
}

template <class T>
void Append(std::vector<std::uint8_t>& out, T v) {
  const auto at = out.size();
  out.resize(at + sizeof(T));
  std::memcpy(out.data() + at, &v, sizeof(T));
}

std::string Ascii(std::u16string_view text, char16_t sep) {
  std::string s;
  for (char16_t c : text) {
    if (c == sep) s.push_back('.');
    else if (c < 128) s.push_back(static_cast<char>(c));
    else s.push_back('?');
  }
  std::size_t b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return s.substr(b, e - b);
}

std::string Shown(const core::Variant& v) { return core::ToUtf8(core::VarToStr(v)); }

// Integer value of a constant, or the range / conversion error.
std::int64_t IntegerOf(const TExprNode& n, char16_t sep, std::int64_t lo, std::int64_t hi) {
  std::int64_t v = 0;
  if (const bool* b = std::get_if<bool>(&n.FData)) {
    (void)b;
    Error(filtermsg::TypeMismatch);
  }
  const std::u16string text = core::VarToStr(n.FData);
  const std::string s = Ascii(text, sep);
  auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (s.empty() || r.ptr != s.data() + s.size() || r.ec == std::errc::invalid_argument) {
    double d = 0;  // "1E3" and "10.0" name integers too
    if (!ParseNumber(text, sep, d) || d != std::trunc(d)) Error(filtermsg::NotInteger, core::ToUtf8(text));
    if (!(d >= static_cast<double>(lo) && d <= static_cast<double>(hi))) Error(filtermsg::ConstantRange);
    return static_cast<std::int64_t>(d);
  }
  if (r.ec == std::errc::result_out_of_range || v < lo || v > hi) Error(filtermsg::ConstantRange);
  return v;
}

double FloatOf(const TExprNode& n, char16_t sep) {
  if (std::holds_alternative<bool>(n.FData)) Error(filtermsg::TypeMismatch);
  const std::u16string text = core::VarToStr(n.FData);
  double d = 0;
  if (!ParseNumber(text, sep, d)) Error(filtermsg::NotFloat, core::ToUtf8(text));
  return d;
}

bool BoolOf(const TExprNode& n) {
  if (const bool* b = std::get_if<bool>(&n.FData)) return *b;
  const std::u16string text = core::VarToStr(n.FData);
  if (core::SameText(text, u"TRUE") || core::SameText(text, filtermsg::WordTrue)) return true;
  if (core::SameText(text, u"FALSE") || core::SameText(text, filtermsg::WordFalse)) return false;
  double d = 0;
  if (n.FNumericLit && ParseNumber(text, u'.', d)) return d != 0;
  Error(filtermsg::NotBool, core::ToUtf8(text));
}

struct Stamp {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
  std::int32_t dayNo = 0;
  bool hasDate = false, hasTime = false;
};

bool Digits(const std::string& s, std::size_t& at, std::size_t n, int& out) {
  if (at + n > s.size()) return false;
  out = 0;
  for (std::size_t k = 0; k < n; ++k) {
    if (s[at + k] < '0' || s[at + k] > '9') return false;
    out = out * 10 + (s[at + k] - '0');
  }
  at += n;
  return true;
}

bool TimeText(const std::string& s, std::size_t& at, Stamp& st) {
  if (!Digits(s, at, 2, st.hour) || at >= s.size() || s[at++] != ':' || !Digits(s, at, 2, st.minute)) return false;
  if (at < s.size() && s[at] == ':') {
    ++at;
    if (!Digits(s, at, 2, st.second)) return false;
    if (at < s.size() && s[at] == '.') {
      ++at;
      if (!Digits(s, at, 3, st.msec)) return false;
    }
  }
  st.hasTime = true;
  return st.hour < 24 && st.minute < 60 && st.second < 60;
}

// "yyyy-mm-dd", "yyyy-mm-dd hh:mm[:ss[.zzz]]" or "hh:mm[:ss[.zzz]]".
bool ParseStamp(const std::string& s, Stamp& st) {
  std::size_t at = 0;
  if (s.size() >= 10 && s[4] == '-') {
    if (!Digits(s, at, 4, st.year) || s[at++] != '-' || !Digits(s, at, 2, st.month) || s[at++] != '-' ||
        !Digits(s, at, 2, st.day))
      return false;
    core::TDateTime d = 0;
    if (!core::TryEncodeDate(st.year, st.month, st.day, d)) return false;
    st.dayNo = static_cast<std::int32_t>(d) + core::DateDelta;
    st.hasDate = true;
    if (at == s.size()) return true;
    if (s[at] != ' ' && s[at] != 'T') return false;
    ++at;
  }
  return TimeText(s, at, st) && at == s.size();
}

Stamp StampOf(const TExprNode& n, const char* message, bool needDate, bool needTime) {
  const std::u16string text = core::VarToStr(n.FData);
  Stamp st;
  if (std::holds_alternative<bool>(n.FData) || !ParseStamp(Ascii(text, u'\0'), st) || (needDate && !st.hasDate) ||
      (needTime && !st.hasTime))
    Error(message, core::ToUtf8(text));
  return st;
}

std::int32_t MsOfDay(const Stamp& st) { return ((st.hour * 60 + st.minute) * 60 + st.second) * 1000 + st.msec; }

// 18-byte decimal image: precision 32, sign and scale, 16 bytes of digits.
std::vector<std::uint8_t> Bcd(const TExprNode& n, char16_t sep, int scale) {
  const std::u16string text = core::VarToStr(n.FData);
  double check = 0;
  if (std::holds_alternative<bool>(n.FData) || !ParseNumber(text, sep, check))
    Error(filtermsg::NotFloat, core::ToUtf8(text));
  if (scale < 0 || scale > 32) scale = 0;
  // Exact digits from the shortest text of the value.
  char buf[400];
  auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(check), std::chars_format::fixed, scale);
  if (r.ec != std::errc()) Error(filtermsg::ConstantRange);
  std::string digits(buf, r.ptr);
  std::string intPart = digits.substr(0, digits.find('.'));
  std::string frac = digits.find('.') == std::string::npos ? std::string() : digits.substr(digits.find('.') + 1);
  while (intPart.size() > 1 && intPart[0] == '0') intPart.erase(0, 1);
  if (intPart == "0") intPart.clear();
  if (static_cast<int>(intPart.size()) > 32 - scale) Error(filtermsg::ConstantRange);
  std::string all = std::string(static_cast<std::size_t>(32 - scale) - intPart.size(), '0') + intPart + frac;
  all.resize(32, '0');
  std::vector<std::uint8_t> out{32, static_cast<std::uint8_t>((check < 0 ? 0x80 : 0) | scale)};
  for (std::size_t k = 0; k < 32; k += 2)
    out.push_back(static_cast<std::uint8_t>(((all[k] - '0') << 4) | (all[k + 1] - '0')));
  return out;
}

}  // namespace

bool ParseNumber(std::u16string_view text, char16_t sep, double& out) {
  const std::string s = Ascii(text, sep);
  const char* first = s.data();
  if (!s.empty() && s[0] == '+') ++first;
  auto r = std::from_chars(first, s.data() + s.size(), out);
  return !s.empty() && r.ec == std::errc() && r.ptr == s.data() + s.size() && std::isfinite(out);
}

bool FitsScale(std::u16string_view text, char16_t sep, int scale) {
  const std::string s = Ascii(text, sep);
  if (s.find_first_of("eE") != std::string::npos) {
    double d = 0;
    return ParseNumber(text, sep, d) && (scale > 0 || d == std::trunc(d));
  }
  const auto dot = s.find('.');
  if (dot == std::string::npos) return true;
  std::string frac = s.substr(dot + 1);
  while (!frac.empty() && frac.back() == '0') frac.pop_back();
  return static_cast<int>(frac.size()) <= scale;
}

std::vector<std::uint8_t> EncodeConstant(const TExprNode& n, const IFilterFieldSource& source, TFieldMap fieldMap,
                                         char16_t sep, std::int32_t& engineType) {
  using F = TFieldType;
  engineType = fieldMap(n.FDataType);
  std::vector<std::uint8_t> out;
  if (core::VarIsNull(n.FData)) return out;  // null constant: no value bytes
  switch (n.FDataType) {
    case F::ftString:
    case F::ftFixedChar:
    case F::ftGuid: {
      if (std::holds_alternative<bool>(n.FData)) Error(filtermsg::TypeMismatch);
      const std::string stored = source.TranslateToStored(core::VarToStr(n.FData));
      out.assign(stored.begin(), stored.end());
      out.push_back(0);
      return out;
    }
    case F::ftWideString:
    case F::ftFixedWideChar: {
      if (std::holds_alternative<bool>(n.FData)) Error(filtermsg::TypeMismatch);
      const std::u16string text = core::VarToStr(n.FData);
      if (text.size() * 2 > 0xFFFF) Error(filtermsg::TooLong);
      engineType = engine::fldUNICODE;
      Append(out, static_cast<std::uint16_t>(text.size() * 2));
      for (char16_t c : text) Append(out, static_cast<std::uint16_t>(c));
      return out;
    }
    case F::ftSmallint: Append(out, static_cast<std::int16_t>(IntegerOf(n, sep, -32768, 32767))); return out;
    case F::ftWord: Append(out, static_cast<std::uint16_t>(IntegerOf(n, sep, 0, 65535))); return out;
    case F::ftShortint: Append(out, static_cast<std::int16_t>(IntegerOf(n, sep, -128, 127))); return out;
    case F::ftByte: Append(out, static_cast<std::uint16_t>(IntegerOf(n, sep, 0, 255))); return out;
    case F::ftInteger:
    case F::ftAutoInc:
      Append(out, static_cast<std::int32_t>(IntegerOf(n, sep, std::numeric_limits<std::int32_t>::min(),
                                                      std::numeric_limits<std::int32_t>::max())));
      return out;
    case F::ftLargeint:
      Append(out, IntegerOf(n, sep, std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max()));
      return out;
    case F::ftLongWord: Append(out, IntegerOf(n, sep, 0, 4294967295LL)); return out;
    case F::ftBoolean: Append(out, static_cast<std::uint16_t>(BoolOf(n) ? 1 : 0)); return out;
    case F::ftFloat:
    case F::ftCurrency:
    case F::ftExtended:
      engineType = engine::fldFLOAT;
      Append(out, FloatOf(n, sep));
      return out;
    case F::ftSingle: {
      const double d = FloatOf(n, sep);
      if (std::fabs(d) > std::numeric_limits<float>::max()) Error(filtermsg::ConstantRange);
      Append(out, static_cast<float>(d));
      return out;
    }
    case F::ftBCD: return Bcd(n, sep, n.FDataSize);
    case F::ftFMTBcd:
      engineType = engine::fldBCD;
      return Bcd(n, sep, n.FDataSize);
    case F::ftDate: Append(out, StampOf(n, filtermsg::NotDate, true, false).dayNo); return out;
    case F::ftTime: Append(out, MsOfDay(StampOf(n, filtermsg::NotTime, false, true))); return out;
    case F::ftDateTime: {
      const Stamp st = StampOf(n, filtermsg::NotDateTime, true, false);
      Append(out, static_cast<double>(st.dayNo) * static_cast<double>(core::MSecsPerDay) + MsOfDay(st));
      return out;
    }
    case F::ftTimeStamp:
    case F::ftOraTimeStamp:
    case F::ftTimeStampOffset: {
      const Stamp st = StampOf(n, filtermsg::NotDateTime, true, false);
      Append(out, static_cast<std::int16_t>(st.year));
      for (int v : {st.month, st.day, st.hour, st.minute, st.second}) Append(out, static_cast<std::uint16_t>(v));
      Append(out, static_cast<std::uint32_t>(st.msec));
      if (n.FDataType == F::ftTimeStampOffset) {
        Append(out, std::int16_t{0});
        Append(out, std::uint16_t{0});
      }
      return out;
    }
    default:
      Error(filtermsg::ConstantType, Shown(n.FData));
  }
}

}  // namespace data

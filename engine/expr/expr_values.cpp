// Engine storage formats to evaluation values, and temporal text.
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include "core/datetime.h"
#include "engine/expr/expr_compiled.h"

namespace engine::expr {

namespace {

template <class T>
T Load(const std::uint8_t* p) {
  T v;
  std::memcpy(&v, p, sizeof(T));
  return v;
}

double DecodeExtended(const std::uint8_t* p) {
  const std::uint64_t mant = Load<std::uint64_t>(p);
  const std::uint16_t se = Load<std::uint16_t>(p + 8);
  const int exp = se & 0x7FFF;
  const bool neg = (se & 0x8000) != 0;
  double v;
  if (exp == 0 && mant == 0) v = 0;
  else if (exp == 0x7FFF) v = mant << 1 ? std::nan("") : HUGE_VAL;
  else v = std::ldexp(static_cast<double>(mant), exp - 16383 - 63);
  return neg ? -v : v;
}

// BCD image: precision, sign/scale, digits two per byte.
bool DecodeBcd(const std::uint8_t* p, std::size_t size, double& out) {
  if (size < 2) return false;
  const unsigned precision = p[0];
  const unsigned scale = p[1] & 0x3F;
  const bool neg = (p[1] & 0x80) != 0;
  if (precision > 64 || scale > precision || 2 + (precision + 1) / 2 > size) return false;
  std::string text;
  for (unsigned d = 0; d < precision; ++d) {
    const unsigned nib = (d % 2 == 0) ? (p[2 + d / 2] >> 4) : (p[2 + d / 2] & 0x0F);
    if (nib > 9) return false;
    if (d == precision - scale) text += '.';
    text += static_cast<char>('0' + nib);
  }
  if (text.empty() || text[0] == '.') text.insert(text.begin(), '0');
  double v = 0;
  auto r = std::from_chars(text.data(), text.data() + text.size(), v);
  if (r.ec != std::errc()) return false;
  out = neg ? -v : v;
  return true;
}

bool SqlStampMs(const std::uint8_t* p, double& out) {
  const int year = Load<std::int16_t>(p);
  const int month = Load<std::uint16_t>(p + 2), day = Load<std::uint16_t>(p + 4);
  const int hour = Load<std::uint16_t>(p + 6), minute = Load<std::uint16_t>(p + 8);
  const int second = Load<std::uint16_t>(p + 10);
  const std::uint32_t fraction = Load<std::uint32_t>(p + 12);
  core::TDateTime d = 0;
  if (!core::TryEncodeDate(year, month, day, d)) return false;
  if (hour > 23 || minute > 59 || second > 59 || fraction > 999) return false;
  const double dayNo = d + core::DateDelta;
  out = dayNo * core::MSecsPerDay + ((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + fraction;
  return true;
}

}  // namespace

bool TypeOfEngineType(std::int32_t t, VType& type, int& intBits) {
  intBits = 32;
  switch (t) {
    case fldZSTRING: type = VType::Str; return true;
    case fldUNICODE:
    case fldWIDESTRING: type = VType::WStr; return true;
    case fldBOOL:
    case fldBOOL8:
    case fldBOOL32: type = VType::Bool; return true;
    case fldINT8:
    case fldUINT8:
    case fldINT16:
    case fldUINT16:
    case fldINT32: type = VType::Int; return true;
    case fldUINT32:
    case fldINT64:
    case fldUINT64: type = VType::Int; intBits = 64; return true;
    case fldFLOAT:
    case fldSINGLE:
    case fldFLOATIEEE:
    case fldBCD:
    case fldFMTBCD: type = VType::Float; return true;
    case fldDATE: type = VType::Date; return true;
    case fldTIME: type = VType::Time; return true;
    case fldTIMESTAMP:
    case fldDATETIME:
    case fldDATETIMEOFFSET: type = VType::Stamp; return true;
    default: return false;
  }
}

bool DecodeStored(std::int32_t t, const std::uint8_t* p, std::size_t size, Value& v, std::u16string& wide) {
  v = Value{};
  auto need = [&](std::size_t n) { return size >= n; };
  switch (t) {
    case fldZSTRING: {
      const auto* c = reinterpret_cast<const char*>(p);
      v.type = VType::Str;
      v.s = std::string_view(c, size ? strnlen(c, size) : 0);
      return true;
    }
    case fldUNICODE:
    case fldWIDESTRING: {
      if (!need(2)) return false;
      std::size_t bytes = Load<std::uint16_t>(p);
      if (bytes > size - 2) bytes = size - 2;
      wide.resize(bytes / 2);
      for (std::size_t k = 0; k < wide.size(); ++k)
        wide[k] = static_cast<char16_t>(p[2 + 2 * k] | (p[3 + 2 * k] << 8));
      v.type = VType::WStr;
      v.w = wide;
      return true;
    }
    case fldBOOL:
    case fldBOOL8:
    case fldBOOL32: {
      if (!need(1)) return false;
      bool any = false;
      for (std::size_t k = 0; k < size && k < 4; ++k) any = any || p[k] != 0;
      v.type = VType::Bool;
      v.b = any;
      return true;
    }
    case fldINT8: if (!need(1)) return false; v.i = static_cast<std::int8_t>(p[0]); break;
    case fldUINT8: if (!need(1)) return false; v.i = p[0]; break;
    case fldINT16:
    case fldUINT16:
    case fldINT32:
    case fldUINT32:
    case fldINT64:
    case fldUINT64: {
      const bool isSigned = t == fldINT16 || t == fldINT32 || t == fldINT64;
      // Unsigned 32-bit constants may come 8 bytes wide.
      const std::size_t min = (t == fldINT16 || t == fldUINT16) ? 2 : (t == fldINT32 || t == fldUINT32) ? 4 : 8;
      if (size < min) return false;
      const std::size_t n = (t == fldUINT32 && size >= 8) ? 8 : min;
      if (n == 2) v.i = isSigned ? std::int64_t{Load<std::int16_t>(p)} : std::int64_t{Load<std::uint16_t>(p)};
      else if (n == 4) v.i = isSigned ? std::int64_t{Load<std::int32_t>(p)} : std::int64_t{Load<std::uint32_t>(p)};
      else {
        const std::uint64_t u = Load<std::uint64_t>(p);
        if (!isSigned && u > static_cast<std::uint64_t>(INT64_MAX)) {
          v.type = VType::Float;
          v.f = static_cast<double>(u);
          return true;
        }
        v.i = static_cast<std::int64_t>(u);
      }
      break;
    }
    case fldFLOAT:
      if (!need(8)) return false;
      v.type = VType::Float;
      v.f = Load<double>(p);
      return true;
    case fldSINGLE:
      if (!need(4)) return false;
      v.type = VType::Float;
      v.f = Load<float>(p);
      return true;
    case fldFLOATIEEE:
      if (size >= 10) v.f = DecodeExtended(p);
      else if (size >= 8) v.f = Load<double>(p);
      else return false;
      v.type = VType::Float;
      return true;
    case fldBCD:
    case fldFMTBCD:
      v.type = VType::Float;
      return DecodeBcd(p, size, v.f);
    case fldDATE:
      if (!need(4)) return false;
      v.type = VType::Date;
      v.i = Load<std::int32_t>(p);
      return true;
    case fldTIME:
      if (!need(4)) return false;
      v.type = VType::Time;
      v.i = Load<std::int32_t>(p);
      return true;
    case fldTIMESTAMP:
      if (!need(8)) return false;
      v.type = VType::Stamp;
      v.f = Load<double>(p);
      return true;
    case fldDATETIME:
    case fldDATETIMEOFFSET:
      if (!need(16)) return false;
      v.type = VType::Stamp;
      return SqlStampMs(p, v.f);
    default:
      return false;
  }
  v.type = VType::Int;
  return true;
}

double TemporalMs(const Value& v) {
  switch (v.type) {
    case VType::Date: return static_cast<double>(v.i) * core::MSecsPerDay;
    case VType::Time: return static_cast<double>(v.i);
    default: return v.f;
  }
}

namespace {
bool Num(std::string_view s, std::size_t& at, std::size_t digits, int& out) {
  if (at + digits > s.size()) return false;
  out = 0;
  for (std::size_t k = 0; k < digits; ++k) {
    const char c = s[at + k];
    if (c < '0' || c > '9') return false;
    out = out * 10 + (c - '0');
  }
  at += digits;
  return true;
}

bool TimePart(std::string_view s, std::size_t& at, double& ms) {
  int h = 0, m = 0, sec = 0, milli = 0;
  if (!Num(s, at, 2, h) || at >= s.size() || s[at++] != ':' || !Num(s, at, 2, m)) return false;
  if (at < s.size() && s[at] == ':') {
    ++at;
    if (!Num(s, at, 2, sec)) return false;
    if (at < s.size() && s[at] == '.') {
      ++at;
      if (!Num(s, at, 3, milli)) return false;
    }
  }
  if (h > 23 || m > 59 || sec > 59) return false;
  ms = ((h * 60.0 + m) * 60.0 + sec) * 1000.0 + milli;
  return true;
}
}  // namespace

bool ParseTemporal(std::string_view s, VType type, Value& out) {
  std::size_t at = 0;
  out = Value{};
  out.type = type;
  if (type == VType::Time) {
    double ms = 0;
    if (!TimePart(s, at, ms) || at != s.size()) return false;
    out.i = static_cast<std::int64_t>(ms);
    return true;
  }
  int y = 0, mo = 0, d = 0;
  if (!Num(s, at, 4, y) || at >= s.size() || s[at++] != '-' || !Num(s, at, 2, mo) || at >= s.size() ||
      s[at++] != '-' || !Num(s, at, 2, d))
    return false;
  core::TDateTime dt = 0;
  if (!core::TryEncodeDate(y, mo, d, dt)) return false;
  const auto day = static_cast<std::int64_t>(dt) + core::DateDelta;
  double ms = 0;
  if (at < s.size()) {
    if (s[at] != ' ' && s[at] != 'T') return false;
    ++at;
    if (!TimePart(s, at, ms) || at != s.size()) return false;
  }
  if (type == VType::Date) {
    if (ms != 0) return false;
    out.i = day;
  } else {
    out.f = static_cast<double>(day) * core::MSecsPerDay + ms;
  }
  return true;
}

}  // namespace engine::expr

// The functions of expressions: trimming, case, substring and date parts.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>

#include "core/datetime.h"
#include "core/ustring.h"
#include "engine/expr/expr_compiled.h"

namespace engine::expr {

namespace {

[[noreturn]] void Fail(EngineResult code) { throw EvalError{code}; }

constexpr double kMsPerDay = static_cast<double>(core::MSecsPerDay);

Value IntValue(std::int64_t i) {
  Value v;
  v.type = VType::Int;
  v.i = i;
  return v;
}

std::u16string ToWide(const Value& v, const ExprProgram::State& st) {
  return v.type == VType::WStr ? std::u16string(v.w) : st.rec->WidenText(v.s);
}

Value StringResult(const std::u16string& text, VType type, ExprProgram::State& st) {
  Value v;
  v.type = type;
  if (type == VType::WStr) v.w = st.NewWScratch() = text;
  else v.s = st.NewScratch() = st.rec->NarrowText(text);
  return v;
}

// Day number and milliseconds of the day of a Date, Time or Stamp value.
void Split(const Value& v, std::int64_t& day, std::int64_t& ms) {
  if (v.type == VType::Date) {
    day = v.i;
    ms = 0;
  } else if (v.type == VType::Time) {
    day = 0;
    ms = v.i;
  } else {
    const double d = std::floor(v.f / kMsPerDay);
    if (!(d >= 0 && d <= 4e6)) Fail(DBERR_OUTOFRANGE);
    day = static_cast<std::int64_t>(d);
    ms = static_cast<std::int64_t>(v.f - d * kMsPerDay);
  }
}

core::DateParts DateOf(std::int64_t day) {
  core::DateParts p;
  if (!core::TryDecodeDate(static_cast<double>(day - core::DateDelta), p)) Fail(DBERR_OUTOFRANGE);
  return p;
}

std::int64_t Clamp(const Value& v) {
  const double d = v.type == VType::Int ? static_cast<double>(v.i) : std::trunc(v.f);
  if (!(d > -1e15)) return -1'000'000'000'000'000;
  if (!(d < 1e15)) return 1'000'000'000'000'000;
  return static_cast<std::int64_t>(d);
}

Value Now() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&t, &local);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  core::TDateTime d = 0;
  core::TryEncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, d);
  Value v;
  v.type = VType::Stamp;
  v.f = (d + core::DateDelta) * kMsPerDay +
        ((local.tm_hour * 60.0 + local.tm_min) * 60.0 + local.tm_sec) * 1000.0 + static_cast<double>(ms);
  return v;
}

}  // namespace

Value CallFunction(const CNode& n, const Value* args, std::size_t count, ExprProgram::State& st) {
  switch (n.func) {
    case FuncId::Trim:
    case FuncId::TrimLeft:
    case FuncId::TrimRight: {
      const std::u16string s = ToWide(args[0], st);
      const std::u16string set = count > 1 ? ToWide(args[1], st) : std::u16string(u" ");
      std::size_t b = 0, e = s.size();
      if (n.func != FuncId::TrimRight)
        while (b < e && set.find(s[b]) != std::u16string::npos) ++b;
      if (n.func != FuncId::TrimLeft)
        while (e > b && set.find(s[e - 1]) != std::u16string::npos) --e;
      return StringResult(s.substr(b, e - b), args[0].type, st);
    }
    case FuncId::Upper:
      return StringResult(core::UpperCase(ToWide(args[0], st)), args[0].type, st);
    case FuncId::Lower:
      return StringResult(core::LowerCase(ToWide(args[0], st)), args[0].type, st);
    case FuncId::Substring: {
      // Characters from `start` (1-based) on, `length` of them when given.
      const std::u16string s = ToWide(args[0], st);
      std::u32string chars;
      DecodeUtf16(s, chars);
      const std::int64_t start = Clamp(args[1]);
      const std::int64_t size = static_cast<std::int64_t>(chars.size());
      std::int64_t end = count > 2 ? start + std::max<std::int64_t>(Clamp(args[2]), 0) : size + 1;
      std::int64_t first = std::max<std::int64_t>(start, 1);
      end = std::min(end, size + 1);
      std::u16string out;
      for (std::int64_t k = first; k < end; ++k) {
        const char32_t c = chars[static_cast<std::size_t>(k - 1)];
        if (c > 0xFFFF) {
          out.push_back(static_cast<char16_t>(0xD7C0 + (c >> 10)));
          out.push_back(static_cast<char16_t>(0xDC00 | (c & 0x3FF)));
        } else {
          out.push_back(static_cast<char16_t>(c));
        }
      }
      return StringResult(out, args[0].type, st);
    }
    case FuncId::Year:
    case FuncId::Month:
    case FuncId::Day: {
      std::int64_t day = 0, ms = 0;
      Split(args[0], day, ms);
      const core::DateParts p = DateOf(day);
      return IntValue(n.func == FuncId::Year ? p.Year : n.func == FuncId::Month ? p.Month : p.Day);
    }
    case FuncId::Hour:
    case FuncId::Minute:
    case FuncId::Second: {
      std::int64_t day = 0, ms = 0;
      Split(args[0], day, ms);
      const std::int64_t secs = ms / 1000;
      return IntValue(n.func == FuncId::Hour ? secs / 3600 : n.func == FuncId::Minute ? secs / 60 % 60 : secs % 60);
    }
    case FuncId::Date: {
      std::int64_t day = 0, ms = 0;
      Split(args[0], day, ms);
      Value v;
      v.type = VType::Date;
      v.i = day;
      return v;
    }
    case FuncId::Time: {
      std::int64_t day = 0, ms = 0;
      Split(args[0], day, ms);
      Value v;
      v.type = VType::Time;
      v.i = ms;
      return v;
    }
    case FuncId::Now:
      return Now();
  }
  Fail(DBERR_INVALIDPARAM);
}

}  // namespace engine::expr
